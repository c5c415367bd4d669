#include "startup/textfile.h"

#include "fileio/fileio.h"
#include "platform/events.h"
#include "platform/codepage.h"
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
    if (value.size() <= kShownValueLength)
        return value;
    qsizetype cut = kShownValueLength;
    if (value[cut - 1].isHighSurrogate())
        --cut; // never split a character in two
    return value.left(cut) + QChar(0x2026);
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

std::optional<QString> decodeTextBytes(const QByteArray& bytes, int* badLine)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(body);
    if (!utf8.hasError())
        return asUtf8;
    int cp932Line = 0;
    if (std::optional<QString> asCp932 = decodeCp932(bytes, &cp932Line))
        return asCp932;
    if (badLine) {
        // The decoder puts U+FFFD where a byte is no UTF-8.
        const qsizetype bad = asUtf8.indexOf(QChar(QChar::ReplacementCharacter));
        const int utf8Line = static_cast<int>(QStringView(asUtf8).left(std::max<qsizetype>(bad, 0)).count(u'\n')) + 1;
        *badLine = std::max(cp932Line, utf8Line);
    }
    return std::nullopt;
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
    std::optional<QString> text = decodeTextBytes(*bytes, &badLine);
    if (!text)
        return FileError { path, badLine,
            QStringLiteral("UTF-8 としても Shift-JIS（CP932）としても読めないバイトがあります。") };
    return *text;
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
