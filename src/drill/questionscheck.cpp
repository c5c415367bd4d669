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

// Events of one year follow each other in the bank; a pupil can order them only when each
// carries a date within the year and the dates rise, the whole of a month before its days.
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
            bool dated = true;
            bool rising = true;
            std::optional<DayRange> previous;
            for (size_t i = start; i < end; ++i) {
                lines.push_back(static_cast<int>(i) + 1);
                const std::optional<DayRange> date = sameYearCue(table.lines[i]);
                if (!date)
                    dated = false;
                else if (previous && !(previous->last < date->first))
                    rising = false;
                previous = date;
            }
            if (!dated || !rising)
                check.warnings.push_back({ lines.front(),
                    QStringLiteral(
                        "%1 年の出来事が %2 行あります（%3 行目）。%4同じ年の中の順番を生徒が知ることができる"
                        "ように、年（%5 番目の項目。答え合わせで表示されます）を「1600年9月15日」のように書くか、"
                        "説明（%6 番目の項目。並べるときに見えます）に「9月」や「9月15日」のような日付を入れ、"
                        "日付の順に並べてください（同じ日の出来事や順番のわからない出来事は、どれか 1 つにします）。")
                        .arg(shortestNumber(leadingNumber(startYear)))
                        .arg(lines.size())
                        .arg(lineList(lines))
                        .arg(dated ? QStringLiteral("日付が順に並んでいません。")
                                   : QStringLiteral("日付のない行があります。"))
                        .arg(kYearColumn)
                        .arg(kExplanationColumn) });
        }
        start = end;
    }
}

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) // full-width digits, as a spreadsheet may keep them
        return c.unicode() - 0xFF10;
    return -1;
}

} // namespace

std::optional<DayRange> withinYearDate(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    auto number = [&]() {
        int value = 0;
        const qsizetype from = i;
        while (i < t.size() && i - from < 2 && digitValue(t[i]) >= 0)
            value = value * 10 + digitValue(t[i++]);
        return i == from ? -1 : value;
    };
    const int month = number();
    if (month < 1 || month > 12 || i >= t.size() || t[i] != u'月')
        return std::nullopt;
    ++i;
    if (i == t.size())
        return DayRange { month * 100 + 1, month * 100 + 31 };
    const int day = number();
    if (day < 1 || day > 31 || i + 1 != t.size() || t[i] != u'日')
        return std::nullopt;
    return DayRange { month * 100 + day, month * 100 + day };
}

std::optional<DayRange> sameYearCue(const QStringList& fields)
{
    const QString year = cell(fields, kYearColumn).trimmed();
    qsizetype i = 0;
    if (i < year.size() && (year[i] == u'-' || year[i] == u'+'))
        ++i;
    while (i < year.size() && year[i] >= u'0' && year[i] <= u'9')
        ++i;
    if (i < year.size() && year[i] == u'年')
        ++i;
    if (std::optional<DayRange> date = withinYearDate(year.mid(i)))
        return date;
    static const QRegularExpression inText(QStringLiteral("[0-9０-９]{1,2}月(?:[0-9０-９]{1,2}日)?"));
    const QRegularExpressionMatch found = inText.match(cell(fields, kExplanationColumn));
    return found.hasMatch() ? withinYearDate(found.captured()) : std::nullopt;
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
        if (!beginsWithNumber(yearText))
            report(QStringLiteral("年「%1」が数字で始まっていません（年 0 として扱われます）。")
                       .arg(shownValue(yearText)));
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
                    .arg(requiredStoredLength() + 1) });
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
                               "「，」「＂」にして書きます。") });
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
