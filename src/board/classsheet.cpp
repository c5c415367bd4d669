#include "board/classsheet.h"

#include "board/boardtexts.h"
#include "board/grades.h"
#include "results/results.h"
#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace kanameru {

namespace {

constexpr int kStartScreenDisplayMode = 1; // the start screen opens showing points

// Written in place: a copy of the whole figures after setting its last byte stalls the
// processor once per cell, and a large school's sheet has tens of thousands of cells.
void fillFigures(SheetFigures& f, const SheetLevel& level, int pupil)
{
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
}

void addTo(SheetFigures& sum, const SheetFigures& f)
{
    sum.totalCount += f.totalCount;
    sum.totalPoints += f.totalPoints;
    sum.recentCount += f.recentCount;
    sum.recentPoints += f.recentPoints;
    sum.todayCount += f.todayCount;
    sum.todayPoints += f.todayPoints;
    sum.clearedLevels = static_cast<qint16>(sum.clearedLevels + (f.cleared ? 1 : 0));
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
    std::vector<int> positions;
    const QStringList sortedLines = sortedPupilLines(schoolYear, kStartScreenDisplayMode, &positions);
    const PupilDirectory listed;
    std::vector<bool> done(kPupils, false);
    std::map<int, bool> gradeShown; // the grade choice is compared once per grade
    auto shown = [&](int grade) {
        const auto known = gradeShown.find(grade);
        if (known != gradeShown.end())
            return known->second;
        return gradeShown[grade] = passesGradeFilter(gradeChoice, grade) == 1;
    };
    sheet.rows.reserve(static_cast<size_t>(sortedLines.size()));
    for (const int position : positions) {
        // The number each line ends with.
        const int pupil = reg.roster[static_cast<size_t>(position)].number;
        const int k = listed.position(pupil);
        if (k == 0 || done[static_cast<size_t>(pupil)])
            continue;
        done[static_cast<size_t>(pupil)] = true;
        const int birthYear = reg.pupilBirthYear[static_cast<size_t>(k)];
        if (!shown(gradeOfBirthYear(birthYear)))
            continue;
        SheetRow row;
        row.pupilNo = pupil;
        row.grade = gradeLabel(gradeIndexOf(schoolYear, birthYear));
        row.name = trimSpaces(reg.pupilNames[static_cast<size_t>(k)]);
        row.levels.resize(sheet.levels.size());
        sheet.rows.push_back(std::move(row));
    }
    // In the order of the pupil numbers: each table keeps a level's pupils together by number,
    // so neighbouring pupils share what is read of each level's row, and each pupil's figures
    // are written one after the other.
    std::vector<SheetRow*> byNumber;
    byNumber.reserve(sheet.rows.size());
    for (SheetRow& row : sheet.rows)
        byNumber.push_back(&row);
    std::sort(
        byNumber.begin(), byNumber.end(), [](const SheetRow* a, const SheetRow* b) { return a->pupilNo < b->pupilNo; });
    for (SheetRow* row : byNumber)
        for (size_t i = 0; i < sheet.levels.size(); ++i)
            fillFigures(row->levels[i], sheet.levels[i], row->pupilNo);
    for (SheetRow& row : sheet.rows)
        for (const SheetFigures& f : row.levels)
            addTo(row.total, f);
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

namespace {

void appendNumber(QString& out, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(QLatin1StringView(digits, end - digits));
}

void appendFigures(QString& out, const SheetFigures& f)
{
    for (const qint64 v : std::initializer_list<qint64> {
             static_cast<qint64>(f.totalCount), f.totalPoints, static_cast<qint64>(f.recentCount), f.recentPoints }) {
        out += QLatin1Char(',');
        appendNumber(out, v);
    }
    out += QLatin1Char(',');
    if (f.todayCount == std::floor(f.todayCount) && std::abs(f.todayCount) < 1e15)
        appendNumber(out, static_cast<qint64>(f.todayCount));
    else
        out += shortestNumber(f.todayCount);
    out += QLatin1Char(',');
    appendNumber(out, f.todayPoints);
}

} // namespace

QString ClassSheet::csv() const
{
    QString out;
    out.reserve(static_cast<qsizetype>((rows.size() + 1) * (levels.size() + 1) * 40));
    const QStringList cells = header();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        appendCell(out, cells[i]);
    }
    out += QLatin1String("\r\n");
    for (const SheetRow& row : rows) {
        appendNumber(out, row.pupilNo);
        out += QLatin1Char(',');
        appendCell(out, spreadsheetText(row.grade));
        out += QLatin1Char(',');
        appendCell(out, spreadsheetText(row.name));
        for (const SheetFigures& f : row.levels) {
            appendFigures(out, f);
            out += QLatin1Char(',');
            if (f.best >= 0)
                appendNumber(out, f.best);
            out += QLatin1Char(',');
            if (f.cleared)
                out += QChar(u'○');
        }
        appendFigures(out, row.total);
        out += QLatin1Char(',');
        appendNumber(out, row.total.clearedLevels);
        out += QLatin1String("\r\n");
    }
    return out;
}

QString spreadsheetText(const QString& text)
{
    // A tab or a line end first counts too: some spreadsheets drop it and run what follows.
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r\n").contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

void appendCell(QString& out, const QString& cell)
{
    if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) || cell.contains(QLatin1Char('\n'))
        || cell.contains(QLatin1Char('\r')))
        out += QLatin1Char('"') + QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    else
        out += cell;
}

QString csvText(const std::vector<QStringList>& lines)
{
    QString text;
    for (const QStringList& cells : lines) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                text += QLatin1Char(',');
            appendCell(text, cells[i]);
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
