#pragma once
// What every teachers' tool does alike, whatever its command: where its outputs may go, the
// grade labels it accepts, and the encoding of what it prints.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kanameru::tools {

// ---- Output targets ---------------------------------------------------------------------------

// What a tool reads and which installation it works on, for the checks of its outputs.
struct OutputRules {
    QStringList inputs; // the files the tool reads
    QStringList dataFolders; // folders of the installation: their data files are never an output
    QString allowedDataName; // the one data file name this output may have (encode: the question file)
    bool refuseDataNames = true; // a data file's name is refused in any folder (not for the build's converters)
};

// Where an output goes once its symbolic links are followed, or why it is refused.
struct OutputTarget {
    QString path; // the file to write (the link stays a link)
    QString refusal; // the whole message, naming the output and why; empty when it may be written
    bool refused() const { return !refusal.isEmpty(); }
};

// Checks an output before anything is written. Refused: the same file as an input or as a data
// file of the installation (also through links or under another name), a data file's name, a
// symbolic link that names nothing or goes round (never replaced by a file, its target never
// made), a file this user may not write or whose owner a replacement could not keep, a folder,
// a missing folder. A device or a FIFO passes (it is written into, never replaced).
OutputTarget checkOutput(const QString& output, const OutputRules& rules);

// The same for the standard output when it is a file (a shell's ">" or ">>"): nullopt when it
// is none of the inputs and data files.
std::optional<QString> checkStandardOutput(const OutputRules& rules);

// The folders of the installation whose drill set's folder is `folder` (one holding 設定.txt):
// that folder, the shared data folder and the sound folder, as the settings name them; only
// `folder` itself for any other folder. Loads the settings into the register.
QStringList installationFolders(const QString& folder);

// The names of an installation's data files: roster and its temporary copy, settings, common
// data, level file, question file, both results files, sound map, events file.
QStringList dataFileNames();

// ---- Grade labels -------------------------------------------------------------------------------

// The board's grade choice for a grade label as the program shows it anywhere (the board's
// choices, the start screen's list, the CSV: 中2 or 中２, 高1, 幼3, 大+, the list marks ① Ⅰ), in
// half- or full-width digits and signs; nullopt for anything else.
std::optional<QString> gradeChoiceOf(const QString& typed);

// The refusal of a grade that is none of them, naming the accepted ones.
QString gradeRefusal(const QString& typed);

// ---- What the tools print -----------------------------------------------------------------------

// The bytes of text for the standard output: on a terminal in the terminal's own encoding,
// into a file or a pipe as `forFiles` makes them (a CSV in CP932, the question table in UTF-8).
QByteArray outputBytes(const QString& text, const std::function<QByteArray(const QString&)>& forFiles);

// Writes bytes to the standard output; false when it fails, with the message printed (a reader
// that closed early is named as such).
bool writeOutput(const QByteArray& bytes);

// Prints a message on the standard error, after the prefix and ending with a line end: on a
// terminal in its encoding, into a file or a pipe in UTF-8.
void printError(const QString& text);
// What every message of the tool begins with ("kanameru-results: "); none by default.
void setMessagePrefix(const QString& prefix);

} // namespace kanameru::tools
