#pragma once
// Rewriting the roster from the roster editing form.
#include "startup/fileerror.h"
#include "startup/hensuu1.h"

#include <QList>
#include <QString>
#include <optional>

namespace kanameru {

class FieldWriter;

// One record as a line of the roster file: number, birth year, spare1, spare2, "name", status,
// "spare text 1", "spare text 2"; texts padded to 20 characters.
void writeRosterLine(FieldWriter& out, const RosterRecord& record);

// The birth year typed in a box: the number at its start (0 when there is none), rounded to a
// whole number. Returns nullopt when it does not fit a 16-bit integer.
std::optional<qint16> birthYearFromText(const QString& text);

// A name is one line of printable text: line ends, tabs and other control or invisible
// characters are taken out of what is typed or pasted (a name copied from a spreadsheet cell
// brings its line end along, and it looks the same in the box).
QString withoutControlCharacters(const QString& text);

// A name typed in a box as the file holds it: control characters taken out, a half-width
// double quote in its full-width form "＂", spaces trimmed, cut or padded to 20 characters.
QString nameFromText(const QString& text);

// What the editing form changes in one record.
struct NameRow {
    QString name; // as typed
    QString birthYearText; // as typed
};

// Reads the roster file again, puts the rows into its first records (row i into record i;
// rows beyond the records of the file are ignored) and writes every record back. Every
// other field, and every record after the rows, is kept exactly as read. The new file is
// written completely beside the old one and then put in its place, so a failure leaves the
// old roster intact. A birth year that does not fit 16 bits, and a name with a character the
// roster's code page (CP932) cannot hold, are refused before anything is written, naming the
// row.
std::optional<FileError> writeRosterRows(const QString& path, const QList<NameRow>& rows);

// Writes the text (CP932, the line ends as given) completely to a temporary file in the same
// folder, checks that every byte reached the disk, and only then puts it in place of the old
// file in one step. On any failure the old file is left as it was.
std::optional<FileError> replaceFileCompletely(const QString& path, const QString& text);

} // namespace kanameru
