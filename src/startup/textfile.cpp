#include "startup/textfile.h"

#include "fileio/fileio.h"
#include "platform/codepage.h"
#include "platform/nativepath.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace kanameru {

namespace {
constexpr qsizetype kShownValueLength = 40;

QString systemReason(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
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

Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    fileio::File file;
    if (const int e = file.open(platform::nativePath(path), fileio::File::Mode::Read)) {
        if (e == ENOENT || e == ENOTDIR)
            return FileError { path, 0, QStringLiteral("ファイルがありません。") };
        if (QFileInfo(path).isDir()) // Windows does not open a folder as a file
            return notAFile(path, true);
        return cannotRead(path, systemReason(e));
    }
    fileio::File::Kind kind = fileio::File::Kind::Other;
    if (const int e = file.kind(&kind))
        return cannotRead(path, systemReason(e));
    if (kind != fileio::File::Kind::RegularFile)
        return notAFile(path, kind == fileio::File::Kind::Folder);
    std::int64_t size = 0;
    if (const int e = file.size(&size))
        return cannotRead(path, systemReason(e));
    if (size > maxBytes)
        return tooLarge(path, size, maxBytes);
    // The file may grow while it is read: never read more than the limit allows.
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes)
                return tooLarge(path, bytes.size(), maxBytes);
            bytes.resize(bytes.size() + 4096);
        }
        const std::int64_t wanted = bytes.size() - done;
        std::int64_t got = 0;
        if (const int e = file.readAt(bytes.data() + done, wanted, done, &got))
            return cannotRead(path, systemReason(e));
        done += got;
        if (got < wanted)
            break; // the end of the file
    }
    if (done > maxBytes)
        return tooLarge(path, done, maxBytes);
    bytes.resize(static_cast<qsizetype>(done));
    return bytes;
}

Result<QString> readTextFile(const QString& path, qint64 maxBytes)
{
    Result<QByteArray> bytes = readRegularFile(path, maxBytes);
    if (!bytes)
        return bytes.error();
    int badLine = 0;
    std::optional<QString> text = decodeCp932(*bytes, &badLine);
    if (!text)
        return FileError { path, badLine, QStringLiteral("Shift-JIS（CP932）の文字として読めないバイトがあります。") };
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
    if (const int e
        = fileio::replaceFile(platform::nativePath(path), std::string_view(bytes.constData(), bytes.size())))
        return QString::fromLocal8Bit(std::strerror(e));
    return std::nullopt;
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
