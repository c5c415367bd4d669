#include "roster/rosterwrite.h"

#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <cmath>
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
            return FileError { path, static_cast<int>(i + 1),
                QStringLiteral("生まれた年「%1」は -32768～32767 の数でなければなりません。")
                    .arg(shownValue(rows[i].birthYearText)) };
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
    if (std::optional<QString> why = replaceFileBytes(path, *bytes))
        return failed(*why);
    return std::nullopt;
}

} // namespace kanameru
