#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kanameru {

// What the command takes from the tool's own helpers, so that it finds folders, writes its
// output and complains as the other commands do.
struct ToolHelpers {
    // The drill set's folder of a folder given (it complains when there is none).
    std::function<std::optional<QString>(const QString& given)> drillSetFolder;
    // Writes to standard output (an empty path) or replaces the file whole; complains on failure.
    std::function<bool(const QString& path, const QByteArray& bytes)> writeBytes;
    std::function<void(const QString& text)> complain;
};

// kanameru-results events: the teachers' table of events; `arguments` follow the word "events".
// Returns the exit code.
int eventsCommand(const QStringList& arguments, const ToolHelpers& helpers);

} // namespace kanameru
