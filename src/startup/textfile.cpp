#include "startup/textfile.h"

#include "fileio/fileio.h"
#include "platform/nativepath.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>

namespace kanameru {

namespace {
constexpr const char* kCodePage = "Windows-31J";
} // namespace

QString FileError::message() const
{
    if (line > 0)
        return QStringLiteral("%1 の %2 行目: %3").arg(path).arg(line).arg(reason);
    return QStringLiteral("%1: %2").arg(path, reason);
}

std::optional<QString> decodeCp932(const QByteArray& bytes, int* badLine)
{
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
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
            QStringDecoder lineDecoder(kCodePage, QStringDecoder::Flag::Stateless);
            const QString decoded = lineDecoder.decode(bytes.mid(start, end - start));
            Q_UNUSED(decoded);
            if (lineDecoder.hasError()) {
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
    QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    if (badLine) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        *badLine = 1;
        for (int i = 0; i < lines.size(); ++i) {
            QStringEncoder lineEncoder(kCodePage, QStringEncoder::Flag::Stateless);
            const QByteArray encoded = lineEncoder.encode(lines[i]);
            Q_UNUSED(encoded);
            if (lineEncoder.hasError()) {
                *badLine = i + 1;
                break;
            }
        }
    }
    return std::nullopt;
}

Result<QString> readTextFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return FileError { path, 0, QStringLiteral("ファイルがありません。") };
    if (!file.open(QIODevice::ReadOnly))
        return FileError { path, 0, QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()) };
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError { path, 0, QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()) };
    int badLine = 0;
    std::optional<QString> text = decodeCp932(bytes, &badLine);
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

std::optional<QString> replaceFileBytes(const QString& path, const QByteArray& bytes)
{
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
