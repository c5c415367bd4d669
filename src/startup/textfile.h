#pragma once
#include "startup/fileerror.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace kanameru {

// Every text file of an installation is in the Japanese Windows code page (CP932, which keeps
// ① Ⅰ ～ that plain Shift-JIS tables lose) with CR LF line ends.

// Decodes CP932. On bytes that are not valid CP932 returns nullopt and the 1-based line of
// the first bad byte in *badLine.
std::optional<QString> decodeCp932(const QByteArray& bytes, int* badLine = nullptr);
// Encodes CP932. On a character the code page cannot hold returns nullopt and the 1-based
// line of the first such character in *badLine.
std::optional<QByteArray> encodeCp932(const QString& text, int* badLine = nullptr);

// Decodes the bytes of a text file a teacher may have saved with any editor: UTF-8 when they
// are valid UTF-8 (as Windows Notepad saves today; a byte order mark is dropped), else CP932.
// UTF-8 goes first because Japanese UTF-8 text often also passes as CP932 ("山田" does, as
// four other characters), while CP932 Japanese text is practically never valid UTF-8. On bytes
// that are neither returns nullopt and in *badLine the 1-based line of the first bad byte, in
// the encoding that reads further.
std::optional<QString> decodeTextBytes(const QByteArray& bytes, int* badLine = nullptr);

// Size limits of the files read whole. Each is far above what a real file of its kind holds,
// and low enough that a wrong file (a disk image, /dev/zero behind a link) is refused at once.
constexpr qint64 kSmallTextFileLimit = 1 << 20; // settings, common data, level and sound map files
constexpr qint64 kRosterFileLimit = 16 << 20; // 5000 pupils take well under 1 MB
constexpr qint64 kQuestionFileLimit = 16 << 20; // 1000 lines of up to 100 fields

// Reads the whole of a regular file of at most maxBytes bytes. Anything else (a folder, a
// FIFO, a device) is refused without waiting and without reading: a FIFO would block the
// program and a device could be read for ever.
Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// Why the path names no regular file to read: missing, a folder, or something else (a FIFO, a
// device); nullopt for a regular file, also one behind a symbolic link. Opens nothing.
std::optional<FileError> notARegularFile(const QString& path);

// Reads a whole text file (a regular file of at most maxBytes bytes) and decodes it with
// decodeTextBytes; line ends are left as they are. Files are always written in CP932.
Result<QString> readTextFile(const QString& path, qint64 maxBytes = kSmallTextFileLimit);

// A value of a file as a message shows it: cut to a readable length, with an ellipsis where it
// was cut, so a damaged file cannot turn a message into megabytes of text.
QString shownValue(const QString& value);

// Writes text as CP932 with CR LF line ends (any LF or CR LF in the text becomes CR LF).
// The file is written completely to a temporary file in the same folder and only then put
// in place of the old one, so a failure leaves the old file as it was.
std::optional<FileError> writeTextFile(const QString& path, const QString& text);

// Puts the bytes in place of the file (of the file a symbolic link points to, so the link
// stays a link): written completely to a temporary file in the same
// folder, synced to the disk, its length checked, and only then renamed over the old file in
// one step, so the file is always either the old or the new one. Returns why it failed.
std::optional<QString> replaceFileBytes(const QString& path, const QByteArray& bytes);

// Splits text into lines at CR LF, LF or CR; a final line end does not make an empty line.
QStringList splitLines(const QString& text);

// A fixed-length text of `length` characters: cut, or padded with spaces on the right.
QString fixedText(const QString& text, int length = 20);

// Trims the spaces (half- and full-width) of a fixed-length text for display.
QString trimmedFixed(const QString& text);

} // namespace kanameru
