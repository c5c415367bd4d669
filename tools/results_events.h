#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

} // namespace kanameru
