#include "drill/questionscheck.h"

#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kanameru {

double displayWidth(const QString& text)
{
    double width = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool half = (u >= 0x20 && u <= 0x7E) || (u >= 0xFF61 && u <= 0xFF9F);
        width += half ? 0.5 : 1.0;
    }
    return width;
}

namespace {

QString cell(const QStringList& fields, int column)
{
    return column <= fields.size() ? fields[column - 1] : QString();
}

// A half-width digit, after half-width blanks and a sign: what the drill takes as the year.
bool beginsWithNumber(const QString& text)
{
    const QString& t = text;
    qsizetype i = 0;
    while (i < t.size() && (t[i] == u' ' || t[i] == u'\t'))
        ++i;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    return i < t.size() && t[i] >= u'0' && t[i] <= u'9';
}

// The year as the drill reads it, for a year written as people write it: "紀元前57" (or
// "前57") is "-57", full-width digits are half-width ones. nullopt when it is no such year.
std::optional<QString> yearAsWritten(const QString& text)
{
    QString year = text.trimmed();
    bool beforeTheEra = false;
    for (const QString& prefix : { QStringLiteral("紀元前"), QStringLiteral("前") })
        if (year.startsWith(prefix)) {
            year = year.mid(prefix.size()).trimmed();
            beforeTheEra = true;
            break;
        }
    qsizetype digits = 0;
    for (; digits < year.size(); ++digits) {
        const char16_t u = year[digits].unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            year[digits] = QChar(u - 0xFF10 + u'0');
        else if (u < u'0' || u > u'9')
            break;
    }
    if (digits == 0)
        return std::nullopt;
    return (beforeTheEra ? QStringLiteral("-") : QString()) + year;
}

QString widthText(double width)
{
    return shortestNumber(width);
}

void checkWidth(QuestionCheck& check, int line, const QString& what, const QString& text, double limit)
{
    const double width = displayWidth(text);
    if (width > limit)
        check.problems.push_back({ line,
            QStringLiteral("%1「%2」が長すぎます（全角 %3 文字分。%4 文字分まで）。")
                .arg(what, shownValue(text), widthText(width), widthText(limit)) });
}

QString lineList(const std::vector<int>& lines)
{
    QStringList numbers;
    for (int line : lines)
        numbers << QString::number(line);
    return numbers.join(QStringLiteral("・"));
}

const QString kKanjiDigits = QStringLiteral("一二三四五六七八九");

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) // full-width digits, as a spreadsheet may keep them
        return c.unicode() - 0xFF10;
    return -1;
}

// A number written in digits (half or full width) or in kanji ("九", "十五", "二十六", "一五");
// -1 when it is none.
int numberValue(QStringView text)
{
    if (text.isEmpty())
        return -1;
    if (digitValue(text[0]) >= 0) {
        int value = 0;
        for (QChar c : text) {
            if (digitValue(c) < 0)
                return -1;
            value = value * 10 + digitValue(c);
        }
        return value;
    }
    auto digit = [](QStringView d) { return d.size() == 1 ? static_cast<int>(kKanjiDigits.indexOf(d[0])) + 1 : 0; };
    const qsizetype ten = text.indexOf(u'十');
    if (ten < 0) {
        // Digit by digit, as in "五・一五事件" (the fifteenth of May) and "一〇月".
        int value = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int d = text[i] == u'〇' ? 0 : digit(text.mid(i, 1));
            if (d < 0 || (d == 0 && text[i] != u'〇'))
                return -1;
            value = value * 10 + d;
        }
        return value;
    }
    const int tens = ten == 0 ? 1 : digit(text.left(ten));
    const int ones = ten + 1 == text.size() ? 0 : digit(text.mid(ten + 1));
    // "十", "十五", "二十", "二十六"; never "一十" or "十十".
    if (tens < 1 || (ten > 0 && tens == 1) || (ten + 1 < text.size() && ones < 1))
        return -1;
    return tens * 10 + ones;
}

// A month, and a day of it or -1 for the whole month.
std::optional<DayRange> dayRange(int month, int day)
{
    if (month < 1 || month > 12 || day == 0 || day > 31)
        return std::nullopt;
    if (day < 0)
        return DayRange { month * 100 + 1, month * 100 + 31 };
    return DayRange { month * 100 + day, month * 100 + day };
}

// Events of one year follow each other in the bank. A question draws any of them together, so
// each two must be in an order the pupil can see while ordering: both carry dates within the
// year that rise (the whole of a month before its days), or one explanation names the other.
void checkSameYearGroups(QuestionCheck& check, const ClearQuestionTable& table)
{
    size_t start = 0;
    while (start < table.lines.size()) {
        const QString startYear = cell(table.lines[start], kYearColumn);
        size_t end = start + 1;
        if (beginsWithNumber(startYear))
            while (end < table.lines.size() && beginsWithNumber(cell(table.lines[end], kYearColumn))
                && leadingNumber(cell(table.lines[end], kYearColumn)) == leadingNumber(startYear))
                ++end;
        if (end - start >= 2) {
            std::vector<int> lines;
            std::vector<std::optional<DayRange>> dates;
            for (size_t i = start; i < end; ++i) {
                lines.push_back(static_cast<int>(i) + 1);
                dates.push_back(sameYearCue(table.lines[i]));
            }
            bool cued = true;
            bool rising = true;
            for (size_t i = 0; i < dates.size(); ++i)
                for (size_t j = i + 1; j < dates.size(); ++j) {
                    if (dates[i] && dates[j])
                        rising = rising && dates[i]->last < dates[j]->first;
                    else if (!namesTheOrder(table.lines[start + i], table.lines[start + j]))
                        cued = false;
                }
            if (!cued || !rising)
                check.warnings.push_back({ lines.front(),
                    QStringLiteral(
                        "%1 年の出来事が %2 行あります（%3 行目）。%4並べるときに生徒に見えるのは出来事（%5 番目の"
                        "項目）と説明（%6 番目の項目）だけで、年（%7 番目の項目）は判定の後に表示されます。同じ年の中の"
                        "順番がわかるように、出来事か説明に「9月」「九月十五日」のような日付を入れて日付の順に並べるか"
                        "、"
                        "説明に同じ年のほかの出来事の名前を「〇〇の後」「〇〇の直前」のように入れてください（同じ日の"
                        "出来事や順番のわからない出来事は、どれか 1 つにします）。")
                        .arg(shortestNumber(leadingNumber(startYear)))
                        .arg(lines.size())
                        .arg(lineList(lines))
                        .arg(rising ? QStringLiteral("どちらが先かわからない組があります。")
                                    : QStringLiteral("日付が順に並んでいません。"))
                        .arg(kEventColumn)
                        .arg(kExplanationColumn)
                        .arg(kYearColumn),
                    WarningKind::SameYear });
        }
        start = end;
    }
}

} // namespace

std::optional<DayRange> dateWithinYear(const QString& text)
{
    // A number not preceded by another digit, "月", and perhaps a day.
    static const QString number = QStringLiteral("([0-9０-９]{1,2}|[〇一二三四五六七八九十]{1,3})");
    static const QRegularExpression date(
        QStringLiteral("(?<![0-9０-９〇一二三四五六七八九十])%1月(?:%1日)?").arg(number));
    const QRegularExpressionMatch found = date.match(text);
    if (!found.hasMatch())
        return std::nullopt;
    int day = -1;
    if (found.capturedLength(2) > 0 && (day = numberValue(found.capturedView(2))) < 1)
        return std::nullopt;
    return dayRange(numberValue(found.capturedView(1)), day);
}

std::optional<DayRange> sameYearCue(const QStringList& fields)
{
    if (std::optional<DayRange> date = dateWithinYear(cell(fields, kExplanationColumn)))
        return date;
    const QString event = cell(fields, kEventColumn).trimmed();
    if (std::optional<DayRange> date = dateWithinYear(event))
        return date;
    // An event named after its day: "五・一五事件" is the fifteenth of May.
    static const QRegularExpression named(QStringLiteral(
        "^([〇一二三四五六七八九十]{1,3})・([〇一二三四五六七八九十]{1,3})(?![〇一二三四五六七八九十・])"));
    const QRegularExpressionMatch found = named.match(event);
    const int day = found.hasMatch() ? numberValue(found.capturedView(2)) : -1;
    return day < 1 ? std::nullopt : dayRange(numberValue(found.capturedView(1)), day);
}

bool namesTheOrder(const QStringList& earlier, const QStringList& later)
{
    // The other event by its whole name, followed by a word that says which came first.
    static const QStringList after { QStringLiteral("の後"), QStringLiteral("の直後"), QStringLiteral("に続いて"),
        QStringLiteral("に続き"), QStringLiteral("を受けて"), QStringLiteral("をきっかけに"), QStringLiteral("を機に"),
        QStringLiteral("を終え") };
    static const QStringList before { QStringLiteral("の直前"), QStringLiteral("の前"), QStringLiteral("を前に"),
        QStringLiteral("に先立") };
    auto names = [](const QStringList& row, const QStringList& other, const QStringList& words) {
        const QString event = cell(other, kEventColumn).trimmed();
        const QString explanation = cell(row, kExplanationColumn);
        if (event.isEmpty())
            return false;
        for (qsizetype at = explanation.indexOf(event); at >= 0; at = explanation.indexOf(event, at + 1))
            for (const QString& word : words)
                if (QStringView(explanation).mid(at + event.size()).startsWith(word))
                    return true;
        return false;
    };
    return names(later, earlier, after) || names(earlier, later, before);
}

QuestionCheck checkQuestionRows(const ClearQuestionTable& table, int levels)
{
    QuestionCheck check;
    check.rowsAtLevel.assign(static_cast<size_t>(std::max(levels, 0)) + 1, 0);
    check.usableAtLevel.assign(static_cast<size_t>(std::max(levels, 0)) + 1, 0);
    if (levels < 1 || levels > kMaxLevel) {
        check.problems.push_back({ 0,
            QStringLiteral("レベルの数 %1 は 1 から %2 までにしてください。")
                .arg(QString::number(levels), QString::number(kMaxLevel)) });
        return check;
    }

    QHash<QString, int> explanationLine;
    QHash<QString, int> eventLine;
    bool havePrevious = false;
    double previousYear = 0;
    int previousLine = 0;
    for (size_t i = 0; i < table.lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        const QStringList& fields = table.lines[i];
        auto report = [&](const QString& reason) { check.problems.push_back({ line, reason }); };

        if (fields.size() < kQuestionFieldsRead)
            report(QStringLiteral("項目が %1 個しかありません（%2 個必要です）。")
                       .arg(QString::number(fields.size()), QString::number(kQuestionFieldsRead)));

        const QString levelText = cell(fields, kLevelColumn);
        double level = 0;
        if (!parseNumber(levelText, &level)) {
            report(QStringLiteral("レベル「%1」が数字ではありません。").arg(shownValue(levelText)));
        } else if (level > levels) {
            report(QStringLiteral("レベル %1 の行は、レベル 1 から %2 のどこでも出題されません。")
                       .arg(shownValue(levelText.trimmed()), QString::number(levels)));
        } else {
            if (level <= 0)
                ++check.rowsAtLevel[0];
            else if (level == std::floor(level))
                ++check.rowsAtLevel[static_cast<size_t>(level)];
            for (int l = 1; l <= levels; ++l)
                if (level <= l)
                    ++check.usableAtLevel[static_cast<size_t>(l)];
        }

        const QString yearText = cell(fields, kYearColumn);
        const double year = leadingNumber(yearText);
        if (!beginsWithNumber(yearText)) {
            const std::optional<QString> written = yearAsWritten(yearText);
            report(QStringLiteral("年「%1」が数字で始まっていません（年 0 として扱われます）。%2")
                       .arg(shownValue(yearText),
                           written ? QStringLiteral("「%1」と書いてください。").arg(shownValue(*written)) : QString()));
        }
        if (havePrevious && year < previousYear)
            report(QStringLiteral("年代順になっていません（%1 年が %2 行目の %3 年より前です）。")
                       .arg(shortestNumber(year), QString::number(previousLine), shortestNumber(previousYear)));
        havePrevious = true;
        previousYear = year;
        previousLine = line;

        const QString event = cell(fields, kEventColumn);
        const QString explanation = cell(fields, kExplanationColumn);
        if (event.trimmed().isEmpty())
            report(QStringLiteral("出来事（%1 番目の項目）が空です。").arg(QString::number(kEventColumn)));
        if (explanation.trimmed().isEmpty())
            report(QStringLiteral("説明（%1 番目の項目）が空です。").arg(QString::number(kExplanationColumn)));
        if (!event.trimmed().isEmpty()) {
            if (eventLine.contains(event))
                report(QStringLiteral("出来事「%1」が %2 行目と同じです。")
                           .arg(shownValue(event), QString::number(eventLine.value(event))));
            else
                eventLine.insert(event, line);
            if (explanation.contains(event.trimmed()))
                report(QStringLiteral("説明が出来事の名前「%1」をそのまま含んでいます。")
                           .arg(shownValue(event.trimmed())));
        }
        if (!explanation.trimmed().isEmpty()) {
            if (explanationLine.contains(explanation))
                report(QStringLiteral("説明「%1」が %2 行目と同じです。")
                           .arg(shownValue(explanation), QString::number(explanationLine.value(explanation))));
            else
                explanationLine.insert(explanation, line);
        }
        const QString clear = fields.join(QLatin1Char(','));
        if (clear.contains(QLatin1Char('"')))
            report(
                QStringLiteral("「\"」で囲まれていない項目の中に半角の「\"」があります（表計算ソフトの引用符と"
                               "区別できません）。全角の「”」を使うか、項目全体を「\"」で囲み、中の「\"」を「\"\"」と"
                               "重ねてください。"));
        const qsizetype storedClear = clear.size() + questionEndMarker().size();
        if (storedClear > requiredStoredLength())
            check.warnings.push_back({ line,
                QStringLiteral("行が長く（終わりの印まで %1 文字）、%2 文字目から先は入れ替えられず、問題ファイルの"
                               "中でそのまま読めます。")
                    .arg(storedClear)
                    .arg(requiredStoredLength() + 1),
                WarningKind::LongLine });
        checkWidth(check, line, QStringLiteral("年"), yearText, kMaxYearWidth);
        checkWidth(check, line, QStringLiteral("出来事"), event, kMaxEventWidth);
        checkWidth(check, line, QStringLiteral("説明"), explanation, kMaxExplanationWidth);
    }

    checkSameYearGroups(check, table);
    for (int l = 1; l <= levels; ++l) {
        const int usable = check.usableAtLevel[static_cast<size_t>(l)];
        if (usable < kRowsPerQuestion)
            check.problems.push_back({ 0,
                QStringLiteral("レベル %1 で出題できる行が %2 行しかありません（%3 行以上必要です）。")
                    .arg(QString::number(l), QString::number(usable), QString::number(kRowsPerQuestion)) });
    }
    return check;
}

QuestionCheck checkStoredQuestionFile(const QString& storedPath, int levels)
{
    Result<ClearQuestionTable> table = readStoredQuestionFile(storedPath);
    if (!table) {
        QuestionCheck check;
        check.problems.push_back({ table.error().line, table.error().reason });
        return check;
    }
    return checkQuestionRows(*table, levels);
}

QStringList ClearCsv::clearLines() const
{
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(records.size()));
    for (const QStringList& cells : records)
        lines << cells.join(QLatin1Char(','));
    return lines;
}

ClearCsv readClearCsv(const QString& text)
{
    ClearCsv csv;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    auto atLineEnd = [&] { return i < n && (text[i] == u'\r' || text[i] == u'\n'); };
    // Passes one line end (CR LF, LF or CR), appending it to `into` when given.
    auto passLineEnd = [&](QString* into) {
        const qsizetype from = i;
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
        if (into)
            *into += QStringView(text).mid(from, i - from);
    };
    while (i < n) {
        const int record = static_cast<int>(csv.records.size()) + 1;
        csv.lineOf.push_back(line);
        QStringList cells;
        bool replaced = false;
        for (;;) {
            QString cell;
            if (i < n && text[i] == u'"') {
                ++i;
                bool closed = false;
                while (i < n && !closed) {
                    const QChar c = text[i];
                    if (c == u'"' && i + 1 < n && text[i + 1] == u'"') {
                        cell += QChar(0xFF02); // ＂
                        replaced = true;
                        i += 2;
                    } else if (c == u'"') {
                        closed = true;
                        ++i;
                    } else if (c == u',') {
                        cell += QChar(0xFF0C); // ，
                        replaced = true;
                        ++i;
                    } else if (c == u'\r' || c == u'\n') {
                        passLineEnd(&cell); // the stored line cannot hold it: the checks report it
                    } else {
                        cell += c;
                        ++i;
                    }
                }
                if (!closed)
                    csv.problems.push_back({ record,
                        QStringLiteral("「\"」で始まる項目の終わりの「\"」がありません（ファイルの終わりまで 1 つの"
                                       "項目になります）。") });
                else if (i < n && text[i] != u',' && !atLineEnd()) {
                    csv.problems.push_back({ record,
                        QStringLiteral("「\"」で囲んだ項目の、閉じる「\"」の後に文字があります（項目の中の「\"」は"
                                       "「\"\"」と 2 つ重ねます）。") });
                    while (i < n && text[i] != u',' && !atLineEnd())
                        cell += text[i++];
                }
            } else {
                while (i < n && text[i] != u',' && !atLineEnd())
                    cell += text[i++];
            }
            cells << cell;
            if (i < n && text[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n)
            passLineEnd(nullptr);
        if (replaced)
            csv.warnings.push_back({ record,
                QStringLiteral("「\"」で囲んだ項目の中の半角の「,」や「\"」は、問題ファイルに書けないため、全角の"
                               "「，」「＂」にして書きます。"),
                WarningKind::QuotedCharacter });
        csv.records.push_back(std::move(cells));
    }
    return csv;
}

QuestionCheck checkClearTable(const ClearCsv& csv, int levels)
{
    QuestionCheck check = checkQuestionRows(ClearQuestionTable { csv.records }, levels);
    std::vector<QuestionProblem> storing = csv.problems;
    const QStringList lines = csv.clearLines();
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (std::optional<QString> problem = clearLineProblem(lines[i]))
            storing.push_back({ static_cast<int>(i) + 1, *problem });
    if (lines.size() > kMaxQuestionLines)
        storing.push_back({ kMaxQuestionLines + 1,
            QStringLiteral("問題ファイルは %1 行までです（%2 行あります）。")
                .arg(kMaxQuestionLines)
                .arg(lines.size()) });
    check.problems.insert(check.problems.begin(), storing.begin(), storing.end());
    check.warnings.insert(check.warnings.begin(), csv.warnings.begin(), csv.warnings.end());
    // Records are numbered as the stored file's lines; the teacher edits the table, whose lines
    // differ where a quoted cell holds a line break.
    for (auto* list : { &check.problems, &check.warnings }) {
        for (QuestionProblem& p : *list)
            if (p.line > 0 && static_cast<size_t>(p.line) <= csv.lineOf.size())
                p.line = csv.lineOf[static_cast<size_t>(p.line) - 1];
        std::stable_sort(list->begin(), list->end(), [](const QuestionProblem& a, const QuestionProblem& b) {
            return (a.line == 0 ? INT_MAX : a.line) < (b.line == 0 ? INT_MAX : b.line);
        });
    }
    return check;
}

std::optional<QuestionProblem> unusableBank(const ClearCsv& csv, const QuestionCheck& check, int levels)
{
    for (size_t i = 0; i < csv.records.size(); ++i) {
        const QString levelText = csv.records[i].value(kLevelColumn - 1).trimmed();
        double level = 0;
        if (!levelText.isEmpty() && !parseNumber(levelText, &level))
            return QuestionProblem { csv.lineOf[i],
                QStringLiteral("レベル「%1」が数字ではありません。この行があると、ドリルはどのレベルも始められません。")
                    .arg(shownValue(levelText)) };
    }
    const int usable
        = levels >= 1 && static_cast<size_t>(levels) < check.usableAtLevel.size() ? check.usableAtLevel[levels] : 0;
    if (usable < kRowsPerQuestion)
        return QuestionProblem { 0,
            QStringLiteral("どのレベルでも出題できる行が %1 行に足りません（いちばん高いレベル %2 でも %3 行）。"
                           "ドリルはどのレベルでも問題を作れません。")
                .arg(QString::number(kRowsPerQuestion), QString::number(levels), QString::number(usable)) };
    return std::nullopt;
}

int highestLevelOf(const ClearCsv& csv)
{
    double highest = 1;
    for (const QStringList& cells : csv.records) {
        double level = 0;
        if (parseNumber(cells.value(kLevelColumn - 1), &level) && level > highest)
            highest = level;
    }
    return static_cast<int>(std::min<double>(std::ceil(highest), kMaxLevel));
}

} // namespace kanameru
