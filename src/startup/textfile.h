#pragma once
#include "startup/fileerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
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

// The encoding a teacher's text file is read in.
enum class TextEncoding {
    Ascii, // no byte above 0x7F: the same text either way
    Utf8,
    Cp932,
};

// One line of a text file as read.
struct TextLine {
    QByteArray bytes; // as read, without the line end
    QByteArray end; // the line end as read: CR LF, LF, CR, or nothing after the last line
    QString text; // the line in the file's encoding; empty when it does not read in it
    QString problem; // why the line does not read in the file's encoding; empty when it does
};

// A text file as read, line by line, in the encoding decided for the whole file.
struct TextLines {
    TextEncoding encoding = TextEncoding::Ascii;
    bool byteOrderMark = false; // the file starts with UTF-8's byte order mark
    QList<TextLine> lines;
};

// Decides the encoding of a file a teacher may have saved with any editor, and reads it line
// by line. A Japanese school's files are Shift-JIS (CP932) or UTF-8, and many lines read
// either way, so each line that is not plain ASCII is judged on its own:
// - a file that starts with UTF-8's byte order mark is UTF-8 (the mark is dropped);
// - a line that reads in only one of the two belongs to it;
// - a line that reads both ways belongs to UTF-8 unless its UTF-8 reading holds more
//   characters foreign to a Japanese text than its CP932 reading. Foreign are the characters
//   of UTF-8's two-byte sequences (accented Latin, Greek, Cyrillic, Arabic...: the half-width
//   katakana "ﾐｷ" read as UTF-8 is "з"), private-use characters (CP932's user-defined area),
//   and the characters of the basic plane CP932 has no code for other than invisible format
//   characters (a zero-width space); kanji beyond the basic plane (𠮷) are not foreign.
//   Japanese UTF-8 often also passes as CP932 ("山田" as "螻ｱ逕ｰ", nothing foreign either way:
//   UTF-8 then), while CP932 Japanese text is practically never valid UTF-8.
// The file's encoding is the one most such lines belong to (the first one's on a tie). A line
// that belongs to the other encoding, or reads in neither (a damaged character), keeps its
// bytes and gets a problem that names both readings.
TextLines decodeTextLines(const QByteArray& bytes);

// The whole text of decodeTextLines, line ends as they are. When a line has a problem returns
// nullopt, with the 1-based line in *badLine and the problem in *reason.
std::optional<QString> decodeTextBytes(const QByteArray& bytes, int* badLine = nullptr, QString* reason = nullptr);

// The start of each character of a line of the encoding in its bytes: for each UTF-16 unit
// of the decoded line, the offset of the first byte of its character, and one more entry with
// the length of the line. Both encodings decode a character from bytes of their own, so a
// range of the text is a range of the bytes.
QList<qsizetype> characterOffsets(QByteArrayView line, TextEncoding encoding);
// Encodes text in the encoding (ASCII and CP932: CP932); nullopt when a character has no code.
std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding);

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
// decodeTextBytes; line ends are left as they are. A line that does not read, and a NUL byte
// (damage: a crash while the file was written, a copy cut short), are refused naming the
// line. Files the program writes are written in CP932.
Result<QString> readTextFile(const QString& path, qint64 maxBytes = kSmallTextFileLimit);
// Reads a whole text file as readTextFile does, keeping each line's bytes, and leaves a line
// that does not read to the caller (TextLine::problem).
Result<TextLines> readTextFileLines(const QString& path, qint64 maxBytes);

// A value of a file as a message shows it, on one line: a line end is shown as "↵", a tab as
// "→", another control or invisible character (a direction override, a zero-width space) by
// its code "<U+202E>", and the value is cut to a readable length with an ellipsis, so a
// damaged file cannot turn a message into megabytes of text or reverse its words.
QString shownValue(const QString& value);
// One character as a message names it: 「山」, or its code U+0301 when it cannot be seen (a
// combining mark, a control or format character, a space other than the plain ones).
QString shownCharacter(const QString& character);

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

// A text from a file or a person as it is shown: one line of printable text. Line ends,
// tabs and other control or invisible characters (direction overrides such as U+202E, which
// would reverse the words around them, zero-width spaces, byte order marks) are taken out.
// With `removed`, also gives the characters taken out, in their order.
QString withoutControlCharacters(const QString& text, QString* removed = nullptr);

// Trims the spaces (half- and full-width) of a fixed-length text for display.
QString trimmedFixed(const QString& text);

} // namespace kanameru
