#include "roster/rosterwrite.h"

#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <cmath>
#include <limits>

namespace kanameru {

void writeRosterLine(FieldWriter& w, const RosterRecord& r)
{
    w.number(r.number).number(r.birthYear).number(r.spare1).number(r.spare2);
    w.text(fixedText(r.name, 20)).number(r.status);
    w.text(fixedText(r.spareText1, 20)).text(fixedText(r.spareText2, 20)).endLine();
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

QString withoutControlCharacters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.category()) {
        case QChar::Other_Control: // C0 and C1 controls: line ends, tabs, NUL, DEL
        case QChar::Other_Format: // invisible marks: byte order mark, zero-width space, direction marks
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString nameFromText(const QString& text)
{
    QString name = trimSpaces(withoutControlCharacters(text));
    name.replace(QLatin1Char('"'), QChar(0xFF02));
    // Never cut a character in two.
    if (name.size() > 20 && name[19].isHighSurrogate())
        name.truncate(19);
    return fixedText(name, 20);
}

namespace {

// The first character of the text that CP932 cannot hold; nullopt when every one fits.
std::optional<QString> firstCharacterOutsideCp932(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, n);
        if (!encodeCp932(c))
            return c;
        i += n - 1;
    }
    return std::nullopt;
}

} // namespace

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
        const QString name = nameFromText(rows[i].name);
        if (std::optional<QString> c = firstCharacterOutsideCp932(name)) {
            return FileError { path, static_cast<int>(i + 1),
                QStringLiteral("名前「%1」の「%2」は名簿の文字コード（Shift-JIS）にない文字のため書けません。")
                    .arg(shownValue(trimSpaces(name)), *c) };
        }
        records[i].name = name;
        records[i].birthYear = *year;
    }
    FieldWriter w;
    for (const RosterRecord& r : std::as_const(records))
        writeRosterLine(w, r);
    Result<QString> text = w.result(path);
    if (!text)
        return text.error();
    return replaceFileCompletely(path, text->replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
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
