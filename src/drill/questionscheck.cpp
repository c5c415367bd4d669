#include "drill/questionscheck.h"

#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QHash>
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

} // namespace

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
        checkWidth(check, line, QStringLiteral("年"), yearText, kMaxYearWidth);
        checkWidth(check, line, QStringLiteral("出来事"), event, kMaxEventWidth);
        checkWidth(check, line, QStringLiteral("説明"), explanation, kMaxExplanationWidth);
    }

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

} // namespace kanameru
