#include "roster/rosterwrite.h"

#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>
#include <vector>

namespace kanameru {

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

namespace {

// A field of a line to be written anew: the characters begin..end of the line's text.
struct Replacement {
    qsizetype begin;
    qsizetype end;
    QString text;
};

// What a row changes in its line; the error names the line when a typed value is refused.
std::variant<std::vector<Replacement>, FileError> changesOfRow(
    const QString& path, const RosterLine& entry, const NameRow& row)
{
    std::vector<Replacement> changes; // in the order of the line: the year comes before the name
    if (row.yearEdited) {
        const std::optional<qint16> year = birthYearFromText(row.birthYearText);
        if (!year)
            return FileError { path, entry.line,
                QStringLiteral("生まれた年「%1」は -32768～32767 の数でなければなりません。")
                    .arg(shownValue(row.birthYearText)) };
        if (*year != entry.record.birthYear)
            changes.push_back({ entry.yearBegin, entry.yearEnd, QString::number(*year) });
    }
    if (row.nameEdited) {
        const QString name = nameFromText(row.name);
        if (trimmedFixed(name) != trimmedFixed(entry.name)) {
            if (trimmedFixed(name).isEmpty())
                return FileError { path, entry.line, QStringLiteral("名前が空白だけです。名前を入れてください。") };
            if (std::optional<QString> c = firstCharacterOutsideCp932(name))
                return FileError { path, entry.line,
                    QStringLiteral("名前「%1」の %2 は名簿の文字コード（Shift-JIS）にない文字のため書けません。")
                        .arg(shownValue(trimSpaces(name)), shownCharacter(*c)) };
            changes.push_back({ entry.nameBegin, entry.nameEnd, QLatin1Char('"') + name + QLatin1Char('"') });
        }
    }
    return changes;
}

} // namespace

std::optional<FileError> writeRosterRows(const QString& path, const QList<NameRow>& rows)
{
    Result<RosterFile> read = readRosterFile(path);
    if (!read)
        return read.error();
    RosterFile& file = *read;
    // A roster that is all ASCII gets the program's own code page for what is typed.
    const TextEncoding encoding = file.encoding == TextEncoding::Utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932;
    struct Changed {
        qsizetype index; // of the line
        RosterRecord expected; // what the line must read as once written
    };
    std::vector<Changed> changed;
    qsizetype row = 0;
    for (qsizetype i = 0; i < file.lines.size() && row < rows.size(); ++i) {
        RosterFileLine& line = file.lines[i];
        if (!line.entry)
            continue; // a blank line, or one that holds no record: never a row, kept as it is
        auto changes = changesOfRow(path, *line.entry, rows[row++]);
        if (const FileError* refused = std::get_if<FileError>(&changes))
            return *refused;
        const auto& replacements = std::get<std::vector<Replacement>>(changes);
        if (replacements.empty())
            continue;
        // Only the changed fields are encoded anew; every other byte of the line stays as read.
        const QList<qsizetype> at = characterOffsets(line.text.bytes, encoding);
        QString text = line.text.text;
        for (auto r = replacements.rbegin(); r != replacements.rend(); ++r) {
            const std::optional<QByteArray> encoded = encodeText(r->text, encoding);
            if (!encoded)
                return FileError { path, line.entry->line,
                    QStringLiteral("名簿の文字コードで書けない文字があります。") };
            line.text.bytes.replace(at[r->begin], at[r->end] - at[r->begin], *encoded);
            text.replace(r->begin, r->end - r->begin, r->text);
        }
        const auto expected = parseRosterLine(text, line.entry->line);
        changed.push_back({ i, std::get<RosterLine>(expected).record });
    }
    if (changed.empty())
        return std::nullopt; // nothing typed differs from the file: it stays as it is
    const QByteArray written = file.bytes();
    // A writer never writes what its reader cannot read back: the new file is read as the next
    // reader will read it. Each changed line must give what was typed, every other line what
    // it gave before (a line in a UTF-8 roster that reads better as CP932 would turn the file).
    const TextLines back = decodeTextLines(written);
    auto readsBack = [&](qsizetype i) {
        const TextLine& now = back.lines[i];
        const auto it = std::find_if(changed.cbegin(), changed.cend(), [i](const Changed& c) { return c.index == i; });
        if (it == changed.cend())
            return now.problem.isEmpty() == file.lines[i].text.problem.isEmpty() && now.text == file.lines[i].text.text;
        const auto parsed = parseRosterLine(now.text, 1);
        const RosterLine* entry = std::get_if<RosterLine>(&parsed);
        return now.problem.isEmpty() && entry && entry->record.name == it->expected.name
            && entry->record.birthYear == it->expected.birthYear;
    };
    for (qsizetype i = 0; i < file.lines.size(); ++i) {
        if (back.lines.size() != file.lines.size() || !readsBack(i))
            return FileError { path, static_cast<int>(std::min<qsizetype>(i, changed.front().index)) + 1,
                QStringLiteral(
                    "名前や生まれた年を %1 で書き込むと、名簿のほかの行の読み方（文字コード）が変わってしまう"
                    "ため書けません。")
                    .arg(encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                        : QStringLiteral("Shift-JIS（CP932）")) };
    }
    if (std::optional<QString> why = replaceFileBytes(path, written))
        return FileError { path, 0, QStringLiteral("名簿を書けません（%1）。").arg(*why) };
    return std::nullopt;
}

} // namespace kanameru
