#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPdfWriter;

namespace kanameru {

// What the command takes from the tool's own code, so that it finds folders, checks and writes
// its output and complains as the other commands do.
struct ToolHelpers {
    // The drill set's folder of a folder given (it complains when there is none).
    std::function<std::optional<QString>(const QString& given)> drillSetFolder;
    // Checks the output (an empty path: the standard output) against the file the command reads
    // and the installation's files before anything is written; false, the refusal told, when
    // it may not be written.
    std::function<bool(const QString& path, bool utf8, const QString& input)> prepareOutput;
    // Writes the CSV text as the other commands write theirs, or the bytes of the PDF.
    std::function<bool(const QString& csv)> writeCsv;
    std::function<bool(const QByteArray& bytes)> writeBytes;
    std::function<void(const QString& text)> complain;
};

// kanameru-results events: the teachers' table of events; `arguments` follow the word "events".
// Returns the exit code.
int eventsCommand(const QStringList& arguments, const ToolHelpers& helpers);

// The bytes of a landscape A4 document at 300 dpi titled `title`, drawn by `print` (which
// returns its page count, 0 when it could not draw). Made in memory so that the file is then
// written whole, as every other output: a failure leaves no half PDF. nullopt when print drew
// nothing.
std::optional<QByteArray> landscapePdf(const QString& title, const std::function<int(QPdfWriter&)>& print);

} // namespace kanameru
