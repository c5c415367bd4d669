#include "startup/textfile.h"

#include "fileio/fileio.h"
#include "platform/codepage.h"
#include "platform/events.h"
#include "platform/nativepath.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kanameru {

namespace {
constexpr qsizetype kShownValueLength = 40;

QString systemReason(int error)
{
    return QString::fromStdString(fileio::errorText(error));
}

FileError tooLarge(const QString& path, qint64 size, qint64 maxBytes)
{
    return FileError { path, 0,
        QStringLiteral("ファイルが大きすぎます（%1 バイト。%2 バイトまでです）。")
            .arg(QString::number(size), QString::number(maxBytes)) };
}

FileError notAFile(const QString& path, bool folder)
{
    return FileError { path, 0,
        folder ? QStringLiteral("ファイルではなくフォルダです。")
               : QStringLiteral("普通のファイルではありません（FIFO や装置は読めません）。") };
}

FileError missingFile(const QString& path)
{
    return FileError { path, 0, QStringLiteral("ファイルがありません。") };
}

FileError cannotRead(const QString& path, const QString& why)
{
    return FileError { path, 0, QStringLiteral("ファイルを読めません（%1）。").arg(why) };
}
} // namespace

QString FileError::message() const
{
    if (line > 0)
        return QStringLiteral("%1 の %2 行目: %3").arg(path, QString::number(line), reason);
    return QStringLiteral("%1: %2").arg(path, reason);
}

QString shownValue(const QString& value)
{
    QString shown;
    shown.reserve(std::min<qsizetype>(value.size(), kShownValueLength) + 1);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (characters >= kShownValueLength)
            return shown + QChar(0x2026);
        const QChar c = value[i];
        ++characters;
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
                ++i;
            shown += QChar(0x21B5); // ↵
        } else if (c == u'\t') {
            shown += QChar(0x2192); // →
        } else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph) {
            shown += QStringLiteral("<U+%1>").arg(
                QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        } else if (c.isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            shown += c;
            shown += value[++i]; // never split a character in two
        } else {
            shown += c;
        }
    }
    return shown;
}

QString shownCharacter(const QString& character)
{
    const char32_t code = character.isEmpty() ? 0 : character.toUcs4().value(0);
    bool visible = !character.isEmpty();
    switch (QChar::category(code)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        visible = false;
        break;
    case QChar::Separator_Space:
        visible = code == u' ' || code == 0x3000;
        break;
    default:
        break;
    }
    const QString hex = QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    if (!visible)
        return QStringLiteral("U+") + hex;
    return QStringLiteral("「%1」").arg(character);
}

std::optional<QString> decodeCp932(const QByteArray& bytes, int* badLine)
{
    if (std::optional<QString> text = platform::fromCp932(bytes))
        return text;
    if (badLine) {
        // Find the first line that does not decode on its own.
        *badLine = 1;
        qsizetype start = 0;
        int line = 1;
        while (start <= bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            if (!platform::fromCp932(QByteArrayView(bytes).sliced(start, end - start))) {
                *badLine = line;
                break;
            }
            start = end + 1;
            ++line;
        }
    }
    return std::nullopt;
}

namespace {

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// The characters of a reading that a Japanese text file would not hold (see decodeTextLines).
int foreignCharacters(const QString& text)
{
    int foreign = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80)
            continue;
        if (c < 0x800 || (c >= 0xE000 && c <= 0xF8FF))
            ++foreign;
        else if (c < 0x10000 && !platform::cp932Holds(c) && QChar::category(c) != QChar::Other_Format)
            ++foreign; // an invisible format character (a zero-width space) tells neither way
        else if (c >= 0x10000 && (c < 0x20000 || c > 0x3FFFF))
            ++foreign;
    }
    return foreign;
}

QString encodingName(TextEncoding encoding)
{
    // Followed by a space when it ends in a half-width letter, as the messages are written.
    return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8 ") : QStringLiteral("Shift-JIS（CP932）");
}

// A short piece of a reading for a message: from its first character that is not ASCII.
QString readingSample(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text[first].unicode() < 0x80)
        ++first;
    QString piece = text.mid(first, 12);
    while (!piece.isEmpty() && (piece.back().unicode() < 0x80 || piece.back().isHighSurrogate()))
        piece.chop(1); // up to its last character that is not ASCII
    return shownValue(piece);
}

struct LineReading {
    std::optional<QString> utf8;
    std::optional<QString> cp932;
    std::optional<TextEncoding> belongs; // nullopt: plain ASCII, or reads in neither
};

LineReading readLine(QByteArrayView bytes, bool byteOrderMark)
{
    LineReading r;
    const bool ascii
        = std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; });
    if (ascii) {
        r.utf8 = r.cp932 = QString::fromLatin1(bytes);
        return r;
    }
    r.utf8 = strictUtf8(bytes);
    if (byteOrderMark) {
        if (r.utf8)
            r.belongs = TextEncoding::Utf8;
        return r;
    }
    r.cp932 = platform::fromCp932(bytes);
    if (r.utf8 && r.cp932)
        r.belongs
            = foreignCharacters(*r.utf8) <= foreignCharacters(*r.cp932) ? TextEncoding::Utf8 : TextEncoding::Cp932;
    else if (r.utf8)
        r.belongs = TextEncoding::Utf8;
    else if (r.cp932)
        r.belongs = TextEncoding::Cp932;
    return r;
}

QString lineProblem(const LineReading& r, TextEncoding file, bool byteOrderMark, int exampleLine)
{
    if (byteOrderMark)
        return QStringLiteral("UTF-8 として読めないバイトがあります（このファイルは BOM 付きの UTF-8 です）。"
                              "壊れた文字か、Shift-JIS（CP932）で書かれた部分があります。");
    if (!r.belongs)
        return QStringLiteral(
            "UTF-8 としても Shift-JIS（CP932）としても読めないバイトがあります（壊れた文字があります）。");
    const TextEncoding other = *r.belongs;
    const QString others = exampleLine > 0 ? QStringLiteral("ファイルのほかの行（%1 行目など）は %2です。")
                                                 .arg(QString::number(exampleLine), encodingName(file))
                                           : QString();
    const std::optional<QString>& inFile = file == TextEncoding::Utf8 ? r.utf8 : r.cp932;
    const std::optional<QString>& inOther = other == TextEncoding::Utf8 ? r.utf8 : r.cp932;
    QString reason;
    if (!inFile)
        reason = QStringLiteral("この行は %1として読めません。%2で書かれた行か、壊れた文字があります。")
                     .arg(encodingName(file), encodingName(other));
    else
        reason = QStringLiteral("この行は %1で書かれているようです（%1として読むと「%2」、%3として読むと「%4」）。")
                     .arg(encodingName(other), readingSample(*inOther), encodingName(file), readingSample(*inFile));
    return reason + others + QStringLiteral("ファイル全体を一つの文字コードで保存し直してください。");
}

} // namespace

TextLines decodeTextLines(const QByteArray& bytes)
{
    TextLines file;
    file.byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = QByteArrayView(bytes).sliced(file.byteOrderMark ? 3 : 0);
    std::vector<LineReading> readings;
    for (qsizetype start = 0; start < body.size();) {
        qsizetype end = start;
        while (end < body.size() && body[end] != '\r' && body[end] != '\n')
            ++end;
        qsizetype next = end; // after the line end: CR LF, LF or CR
        if (next < body.size() && body[next] == '\r')
            ++next;
        if (next < body.size() && body[next] == '\n' && next == end + (body[end] == '\r' ? 1 : 0))
            ++next;
        TextLine line;
        line.bytes = body.sliced(start, end - start).toByteArray();
        line.end = body.sliced(end, next - end).toByteArray();
        readings.push_back(readLine(line.bytes, file.byteOrderMark));
        file.lines.append(std::move(line));
        start = next;
    }
    // The encoding most lines that are not plain ASCII belong to; the first one's on a tie.
    int utf8Lines = 0;
    int cp932Lines = 0;
    std::optional<TextEncoding> first;
    for (const LineReading& r : readings) {
        if (!r.belongs)
            continue;
        (*r.belongs == TextEncoding::Utf8 ? utf8Lines : cp932Lines) += 1;
        if (!first)
            first = r.belongs;
    }
    if (file.byteOrderMark)
        file.encoding = TextEncoding::Utf8;
    else if (first)
        file.encoding = utf8Lines > cp932Lines ? TextEncoding::Utf8
            : cp932Lines > utf8Lines           ? TextEncoding::Cp932
                                               : *first;
    else
        file.encoding = TextEncoding::Ascii;
    int example = 0; // a line of the file's encoding, for the messages
    for (size_t i = 0; i < readings.size() && example == 0; ++i) {
        if (readings[i].belongs == file.encoding)
            example = static_cast<int>(i) + 1;
    }
    for (size_t i = 0; i < readings.size(); ++i) {
        const LineReading& r = readings[i];
        TextLine& line = file.lines[static_cast<qsizetype>(i)];
        const bool ascii = r.utf8 && r.cp932 && !r.belongs;
        if (line.bytes.contains('\0'))
            // Damage (a crash while the file was written, a copy cut short), not a value: a
            // NUL would end the text for many programs and hide what follows it.
            line.problem = QStringLiteral("NUL バイトがあります（壊れたファイルです）。");
        else if (ascii || r.belongs == file.encoding)
            line.text = r.belongs == TextEncoding::Cp932 ? *r.cp932 : *r.utf8;
        else
            line.problem = lineProblem(r, file.encoding, file.byteOrderMark, example);
    }
    return file;
}

std::optional<QString> decodeTextBytes(const QByteArray& bytes, int* badLine, QString* reason)
{
    const TextLines file = decodeTextLines(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < file.lines.size(); ++i) {
        const TextLine& line = file.lines[i];
        if (!line.problem.isEmpty()) {
            if (badLine)
                *badLine = static_cast<int>(i) + 1;
            if (reason)
                *reason = line.problem;
            return std::nullopt;
        }
        text += line.text;
        text += QLatin1StringView(line.end);
    }
    return text;
}

QList<qsizetype> characterOffsets(QByteArrayView line, TextEncoding encoding)
{
    QList<qsizetype> offsets;
    offsets.reserve(line.size() + 1);
    for (qsizetype i = 0; i < line.size();) {
        const auto byte = static_cast<unsigned char>(line[i]);
        qsizetype length = 1;
        int units = 1;
        if (encoding == TextEncoding::Utf8) {
            length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            units = length == 4 ? 2 : 1;
        } else if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
            length = 2;
        }
        for (int u = 0; u < units; ++u)
            offsets.append(i);
        i = std::min(i + length, line.size());
    }
    offsets.append(line.size());
    return offsets;
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return text.toUtf8();
    return encodeCp932(text);
}

std::optional<QByteArray> encodeCp932(const QString& text, int* badLine)
{
    if (std::optional<QByteArray> bytes = platform::toCp932(text))
        return bytes;
    if (badLine) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        *badLine = 1;
        for (int i = 0; i < lines.size(); ++i) {
            if (!platform::toCp932(lines[i])) {
                *badLine = i + 1;
                break;
            }
        }
    }
    return std::nullopt;
}

// Another program holding the file (a teacher's editor, a backup or a virus scanner) is waited
// for, every second for a few seconds, letting window events run; only then is the file
// reported, with the real reason.
constexpr int kInUseTries = 5;
constexpr int kInUseWaitMs = 1000;

Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    std::string bytes;
    std::int64_t size = 0;
    int e = 0;
    for (int tries = 1;; ++tries) {
        e = fileio::readWholeFile(platform::nativePath(path), maxBytes, &bytes, &size);
        if (!fileio::inUse(e) || tries >= kInUseTries)
            break;
        platform::waitLettingEventsRun(kInUseWaitMs);
    }
    switch (e) {
    case 0:
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    case ENOENT:
    case ENOTDIR:
        return missingFile(path);
    case EISDIR:
        return notAFile(path, true);
    case fileio::kNotRegularFile:
        return notAFile(path, false);
    case EFBIG:
        return tooLarge(path, size, maxBytes);
    default:
        return cannotRead(path, systemReason(e));
    }
}

std::optional<FileError> notARegularFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return missingFile(path);
    if (!info.isFile())
        return notAFile(path, info.isDir());
    return std::nullopt;
}

Result<QString> readTextFile(const QString& path, qint64 maxBytes)
{
    Result<QByteArray> bytes = readRegularFile(path, maxBytes);
    if (!bytes)
        return bytes.error();
    int badLine = 0;
    QString reason;
    std::optional<QString> text = decodeTextBytes(*bytes, &badLine, &reason);
    if (!text)
        return FileError { path, badLine, reason };
    return *text;
}

Result<TextLines> readTextFileLines(const QString& path, qint64 maxBytes)
{
    Result<QByteArray> bytes = readRegularFile(path, maxBytes);
    if (!bytes)
        return bytes.error();
    return decodeTextLines(*bytes);
}

QStringList splitLines(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

namespace {
// The file a path finally names: a symbolic link is followed (through any chain of links,
// also to a target that does not exist yet), so writing there keeps the link a link.
std::optional<QString> linkTarget(const QString& path, QString* why)
{
    QString at = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(at);
        if (!info.isSymLink())
            return at;
        at = info.symLinkTarget();
        if (at.isEmpty())
            break;
    }
    *why = QStringLiteral("シンボリックリンクの先をたどれません");
    return std::nullopt;
}
} // namespace

std::optional<QString> replaceFileBytes(const QString& linkPath, const QByteArray& bytes)
{
    QString why;
    const std::optional<QString> target = linkTarget(linkPath, &why);
    if (!target)
        return why;
    const QString& path = *target;
    // A short write (a full disk, a size limit) must not pass for a finished file: the file layer
    // counts every byte and checks the length on the disk before the new file replaces the old.
    const int e = fileio::replaceFile(platform::nativePath(path), std::string_view(bytes.constData(), bytes.size()));
    switch (e) {
    case 0:
        return std::nullopt;
    // A device or a FIFO is written into, never replaced; these are what cannot be.
    case EISDIR:
        return QStringLiteral("フォルダです");
    case ENXIO:
        return QStringLiteral("読む側のいない FIFO か、使えない装置です");
    case ENODEV:
        return QStringLiteral("ブロック装置やソケットには書きません");
    case EPIPE:
        return QStringLiteral("読む側が途中で閉じました");
    default:
        return systemReason(e);
    }
}

std::optional<FileError> writeTextFile(const QString& path, const QString& text)
{
    QString crlf = splitLines(text).join(QLatin1String("\r\n"));
    if (!text.isEmpty() && (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))))
        crlf += QLatin1String("\r\n");
    int badLine = 0;
    std::optional<QByteArray> bytes = encodeCp932(crlf, &badLine);
    if (!bytes)
        return FileError { path, badLine, QStringLiteral("Shift-JIS（CP932）で書けない文字があります。") };
    if (std::optional<QString> why = replaceFileBytes(path, *bytes))
        return FileError { path, 0, QStringLiteral("ファイルに書けません（%1）。").arg(*why) };
    return std::nullopt;
}

QString fixedText(const QString& text, int length)
{
    if (text.size() >= length)
        return text.left(length);
    return text + QString(length - text.size(), QLatin1Char(' '));
}

QString withoutControlCharacters(const QString& text, QString* removed)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.category()) {
        case QChar::Other_Control: // C0 and C1 controls: line ends, tabs, NUL, DEL
        case QChar::Other_Format: // invisible marks: byte order mark, zero-width space, direction marks
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            if (removed)
                *removed += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString trimmedFixed(const QString& text)
{
    int begin = 0;
    int end = static_cast<int>(text.size());
    auto blank = [](QChar c) { return c == u' ' || c == u'\u3000' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace kanameru
