#include "board/classsheet.h"

#include "board/boardtexts.h"
#include "board/grades.h"
#include "results/results.h"
#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <set>

namespace kanameru {

namespace {

constexpr int kStartScreenDisplayMode = 1; // the start screen opens showing points

SheetFigures figuresOf(const SheetLevel& level, int pupil)
{
    SheetFigures f;
    const int l = level.level;
    f.totalCount = reg.totalCount(l, pupil);
    f.totalPoints = reg.totalPoints(l, pupil);
    f.recentCount = reg.recentCount(l, pupil);
    f.recentPoints = reg.recentPoints(l, pupil);
    f.todayCount = reg.todayCount(l, pupil);
    f.todayPoints = reg.todayPoints(l, pupil);
    const qint32 best = reg.bestScore(l, pupil);
    f.best = best < kCompletedBelow ? best : -1;
    f.cleared = level.hasClearCondition && levelCleared(l, pupil);
    return f;
}

void addTo(SheetFigures& sum, const SheetFigures& f)
{
    sum.totalCount += f.totalCount;
    sum.totalPoints += f.totalPoints;
    sum.recentCount += f.recentCount;
    sum.recentPoints += f.recentPoints;
    sum.todayCount += f.todayCount;
    sum.todayPoints += f.todayPoints;
    sum.clearedLevels += f.cleared ? 1 : 0;
}

} // namespace

ClassSheet ClassSheet::build(const QString& gradeChoice, const QDate& date)
{
    ClassSheet sheet;
    sheet.schoolName = reg.schoolName;
    sheet.drillSetTitle = reg.drillSetTitle;
    sheet.gradeChoice = gradeChoice;
    sheet.date = date;
    const int levelCount = std::clamp(static_cast<int>(reg.levelCount), 0, kMaxLevel);
    for (int level = 1; level <= levelCount; ++level) {
        const QString& title = reg.levelTitles[static_cast<size_t>(level)];
        if (!isPracticeTitle(title))
            sheet.levels.push_back({ level, title, reg.levelPassPoints[static_cast<size_t>(level)] != 9999 });
    }

    // The start screen's order: its own list, built and sorted by its own code.
    const int schoolYear = static_cast<int>(reg.schoolYear.toInteger());
    const PupilList list = buildPupilList(schoolYear, kStartScreenDisplayMode, QStringLiteral("全学年"));
    const PupilDirectory listed;
    std::set<int> done;
    for (const QString& line : list.sortedLines) {
        const int pupil = pupilNoOfTail(line);
        const int k = listed.position(pupil);
        if (k == 0 || !done.insert(pupil).second)
            continue;
        const int birthYear = reg.pupilBirthYear[static_cast<size_t>(k)];
        if (passesGradeFilter(gradeChoice, gradeOfBirthYear(birthYear)) != 1)
            continue;
        SheetRow row;
        row.pupilNo = pupil;
        row.grade = gradeLabel(gradeIndexOf(schoolYear, birthYear));
        row.name = trimSpaces(reg.pupilNames[static_cast<size_t>(k)]);
        row.levels.reserve(sheet.levels.size());
        for (const SheetLevel& level : sheet.levels) {
            row.levels.push_back(figuresOf(level, pupil));
            addTo(row.total, row.levels.back());
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

QStringList ClassSheet::header() const
{
    QStringList cells { QStringLiteral("生徒番号"), QStringLiteral("学年"), QStringLiteral("名前") };
    auto figures = [&](const QString& what, bool withBest) {
        for (const char* part : { "今まで回数", "今まで得点", "最近回数", "最近得点", "今日回数", "今日得点" })
            cells << spreadsheetText(what + QLatin1Char(' ') + QString::fromUtf8(part));
        if (withBest)
            cells << spreadsheetText(what + QStringLiteral(" ベスト"));
        cells << spreadsheetText(what + QStringLiteral(" 合格"));
    };
    for (const SheetLevel& level : levels)
        figures(level.title, true);
    figures(QStringLiteral("合計"), false);
    return cells;
}

std::vector<QStringList> ClassSheet::cellLines() const
{
    std::vector<QStringList> lines;
    lines.reserve(rows.size() + 1);
    lines.push_back(header());
    for (const SheetRow& row : rows) {
        QStringList cells { QString::number(row.pupilNo), spreadsheetText(row.grade), spreadsheetText(row.name) };
        auto figures = [&](const SheetFigures& f) {
            cells << QString::number(f.totalCount) << QString::number(f.totalPoints) << QString::number(f.recentCount)
                  << QString::number(f.recentPoints) << shortestNumber(f.todayCount) << QString::number(f.todayPoints);
        };
        for (size_t i = 0; i < levels.size(); ++i) {
            const SheetFigures& f = row.levels[i];
            figures(f);
            cells << (f.best >= 0 ? QString::number(f.best) : QString())
                  << (f.cleared ? QStringLiteral("○") : QString());
        }
        figures(row.total);
        cells << QString::number(row.total.clearedLevels);
        lines.push_back(cells);
    }
    return lines;
}

QString spreadsheetText(const QString& text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QString csvText(const std::vector<QStringList>& lines)
{
    QString text;
    for (const QStringList& cells : lines) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const QString& c = cells[i];
            if (i > 0)
                text += QLatin1Char(',');
            if (c.contains(QLatin1Char(',')) || c.contains(QLatin1Char('"')) || c.contains(QLatin1Char('\n'))
                || c.contains(QLatin1Char('\r')))
                text += QLatin1Char('"') + QString(c).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                    + QLatin1Char('"');
            else
                text += c;
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QByteArray csvBytes(const QString& text, bool utf8)
{
    if (utf8)
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    if (std::optional<QByteArray> all = encodeCp932(text))
        return *all;
    QByteArray out; // a character the code page lacks becomes "?"
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        std::optional<QByteArray> piece = encodeCp932(text.mid(i, n));
        out += piece ? *piece : QByteArray("?");
        i += n - 1;
    }
    return out;
}

} // namespace kanameru
