#pragma once
// The terminal a command-line tool may print to.
#include <QByteArray>
#include <QString>

namespace platform {

// Makes the standard output and error pass bytes through unchanged, as on Linux: Windows's C
// library would otherwise write every "\n" as "\r\n" and a CSV's "\r\n" as "\r\r\n".
// Call first thing in a tool's main().
void writeStandardStreamsAsBytes();

// Whether the standard output is a terminal (a console window), not a file or a pipe.
bool standardOutputIsTerminal();
// The same for the standard error, where the tools' messages go.
bool standardErrorIsTerminal();

// Text in the encoding the terminal shows: the console's code page on Windows, the character
// set the locale names elsewhere (UTF-8 when it names none, or one that is unknown).
QByteArray terminalBytes(const QString& text);

} // namespace platform
