#include "roster/rosterwrite.h"

#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif
#include <limits>

namespace kanameru {

QString rosterLine(const RosterRecord& r)
{
    FieldWriter w;
    w.number(r.number).number(r.birthYear).number(r.spare1).number(r.spare2);
    w.text(fixedText(r.name, 20)).number(r.status);
    w.text(fixedText(r.spareText1, 20)).text(fixedText(r.spareText2, 20));
    return w.result();
}

std::optional<qint16> birthYearFromText(const QString& text)
{
    const double v = leadingNumber(text);
    if (!std::isfinite(v))
        return std::nullopt;
    const qint64 rounded = roundHalfEven(v);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

QString nameFromText(const QString& text)
{
    return fixedText(trimSpaces(text), 20);
}

std::optional<FileError> writeRosterRows(const QString& path, const QList<NameRow>& rows)
{
    Result<QList<RosterRecord>> read = readRosterRecords(path);
    if (!read)
        return read.error();
    QList<RosterRecord> records = *read;
    for (qsizetype i = 0; i < rows.size() && i < records.size(); ++i) {
        const std::optional<qint16> year = birthYearFromText(rows[i].birthYearText);
        if (!year) {
            return FileError {
                path, static_cast<int>(i + 1),
                QStringLiteral("生まれた年「%1」は -32768～32767 の数でなければなりません。").arg(rows[i].birthYearText)
            };
        }
        records[i].name = nameFromText(rows[i].name);
        records[i].birthYear = *year;
    }
    QString text;
    for (const RosterRecord& r : std::as_const(records))
        text += rosterLine(r) + QStringLiteral("\r\n");
    return replaceFileCompletely(path, text);
}

std::optional<FileError> replaceFileCompletely(const QString& path, const QString& text)
{
    int badLine = 0;
    const std::optional<QByteArray> bytes = encodeCp932(text, &badLine);
    if (!bytes)
        return FileError { path, badLine, QStringLiteral("Shift-JIS（CP932）で書けない文字があります。") };
    auto failed = [&path](const QString& why) {
        return FileError { path, 0, QStringLiteral("名簿を書けません（%1）。").arg(why) };
    };
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return failed(temp.errorString());
    // A short write (a full disk, a size limit) must not pass for a finished file: every
    // byte is counted, and the file on disk must have the full length before it replaces the
    // old roster.
    qint64 written = 0;
    while (written < bytes->size()) {
        const qint64 n = temp.write(bytes->constData() + written, bytes->size() - written);
        if (n <= 0)
            return failed(temp.errorString());
        written += n;
    }
    if (!temp.flush())
        return failed(temp.errorString());
#ifndef Q_OS_WIN
    if (::fsync(temp.handle()) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    if (QFileInfo(temp.fileName()).size() != bytes->size())
        return failed(QStringLiteral("書き込みが途中で止まりました"));
    temp.close();
    if (QFile::exists(path))
        temp.setPermissions(QFile::permissions(path));
    std::error_code ec;
    std::filesystem::rename(
        std::filesystem::path(temp.fileName().toStdU16String()), std::filesystem::path(path.toStdU16String()), ec);
    if (ec)
        return failed(QString::fromStdString(ec.message()));
    temp.setAutoRemove(false);
    return std::nullopt;
}

} // namespace kanameru
