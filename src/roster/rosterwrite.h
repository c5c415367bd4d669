#pragma once
// Rewriting the roster from the roster editing form.
#include "startup/fileerror.h"
#include "startup/hensuu1.h"

#include <QList>
#include <QString>
#include <optional>

namespace kanameru {

// The birth year typed in a box: the number at its start (0 when there is none), rounded to a
// whole number. Returns nullopt when it does not fit a 16-bit integer.
std::optional<qint16> birthYearFromText(const QString& text);

// A name typed in a box as the file holds it: control characters taken out, a half-width
// double quote in its full-width form "＂", spaces trimmed, cut or padded to 20 characters.
QString nameFromText(const QString& text);

// What the editing form changes in one record.
struct NameRow {
    QString name; // as typed
    QString birthYearText; // as typed
    bool nameEdited = true; // the name box was changed
    bool yearEdited = true; // the birth year box was changed
};

// Reads the roster file again and puts the rows into its first records (row i into the i-th
// line that holds a record; rows beyond the records of the file are ignored). Only a field
// that was edited and now differs from the file is written anew, in the file's encoding
// (CP932 for a file that is all ASCII); every other byte of the file stays as read: the other
// fields and lines, a line that holds no record, the line ends. A birth year that does not fit
// 16 bits, a name of blanks only and a name with a character the roster's code page (CP932)
// cannot hold are refused before anything is written, naming the line. Nothing is written
// when nothing changes. The new file is written completely beside the old one and then put in
// its place, so a failure leaves the old roster intact.
std::optional<FileError> writeRosterRows(const QString& path, const QList<NameRow>& rows);

} // namespace kanameru
