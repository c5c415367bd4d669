#include "board/report.h"

#include "board/ranking.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <algorithm>
#include <cmath>

namespace kanameru {

ReportFigures reportFigures(int level, int pupil, const QString& gradeChoice)
{
    ReportFigures figures;
    RankingOptions options;
    options.level = level;
    options.gradeChoice = gradeChoice;
    options.currentPupil = pupil;
    options.displayKind = 1;
    // A pupil without a best time stands in the time ranking as "--", without a rank.
    const bool hasBestTime = reg.bestScore(level, pupil) != kTimeOut;
    for (const RankedPupil& entry : buildRanking(options).order)
        if (entry.pupil == pupil) {
            figures.timeRank = hasBestTime ? entry.rank : 0;
            break;
        }
    options.displayKind = 2;
    options.pointsOrder = 1;
    for (const RankedPupil& entry : buildRanking(options).order) {
        const int total = reg.totalPoints(level, entry.pupil);
        if (entry.pupil == pupil && figures.pointsRank == 0) {
            figures.pointsRank = entry.rank;
            figures.points = total;
        }
        if (entry.shown && total > 0) {
            figures.pointsSum += total;
            ++figures.pointsCount;
        }
    }
    return figures;
}

std::vector<std::vector<double>> reportLayout(int sections)
{
    std::vector<std::vector<double>> pages;
    double top = -0.25;
    for (int i = 0; i < sections; ++i) {
        top += 0.3;
        if (pages.empty() || top > 0.9) {
            if (!pages.empty())
                top = 0.05;
            pages.emplace_back();
        }
        pages.back().push_back(top);
    }
    return pages;
}

QString reportNumber(qint64 value, int width, bool blankZero)
{
    const QString text = value == 0 && blankZero ? QString() : QString::number(value);
    return (QString(width, QLatin1Char(' ')) + text).right(width);
}

ReportSection buildReportSection(const ReportRequest& request, int level, double top, const ReportFigures& figures,
    const std::vector<LoadedResult>& attempts)
{
    ReportSection section;
    section.level = level;
    section.top = top;
    section.name = request.pupilName.trimmed();
    section.title = reg.drillSetTitle + QLatin1Char(' ') + reg.levelTitles[static_cast<size_t>(level)];

    // The rows count attempts under 1800 seconds.
    qint64 ownSum = 0, allSum = 0;
    int ownCount = 0, allCount = 0;
    qint32 ownBest = 0, allBest = 0;
    for (const LoadedResult& a : attempts) {
        if (a.level != level || a.result < 0 || a.result >= kReportTimeLimit)
            continue;
        allSum += a.result;
        ++allCount;
        if (allCount == 1 || a.result < allBest)
            allBest = a.result;
        if (a.pupilNo == request.pupil) {
            ownSum += a.result;
            ++ownCount;
            if (ownCount == 1 || a.result < ownBest)
                ownBest = a.result;
        }
    }
    const qint64 ownAverage = ownCount ? ownSum / ownCount : 0;
    const qint64 allAverage = allCount ? allSum / allCount : 0;
    section.rows = {
        // The count stands right-aligned in three characters, under the ranks; a longer count
        // keeps all its digits.
        QStringLiteral("回数　　　　　　　") + QString::number(ownCount).rightJustified(3, QLatin1Char(' '))
            + QStringLiteral("回"),
        QStringLiteral("タイム  　　 　    本人 / 全体"),
        QStringLiteral("　　順位　　　　") + reportNumber(figures.timeRank, 5) + QStringLiteral("位"),
        QStringLiteral("　　最高　　　　") + reportNumber(ownBest, 6, ownCount == 0) + QStringLiteral(" /")
            + reportNumber(allBest, 6, allCount == 0) + QStringLiteral("秒"),
        QStringLiteral("　　平均　　　　") + reportNumber(ownAverage, 6, ownCount == 0) + QStringLiteral(" /")
            + reportNumber(allAverage, 6, allCount == 0) + QStringLiteral("秒"),
        QStringLiteral("ポイント  　　　"),
        QStringLiteral("　　順位　　　　") + reportNumber(figures.pointsRank, 5) + QStringLiteral("位"),
        QStringLiteral("　　獲得ポイント") + reportNumber(figures.points, 6, false) + QStringLiteral("点"),
    };
    if (figures.pointsCount != 0) {
        // The number pattern rounds the quotient to the nearest whole point, halves upwards.
        const qint64 average = (2 * figures.pointsSum + figures.pointsCount) / (2 * figures.pointsCount);
        section.rows.append(
            QStringLiteral("　　　　　　　　　　　　/") + reportNumber(average, 6, false) + QStringLiteral("点"));
        section.rows.append(QStringLiteral("　　　　　　　　　　　　 (全平均)"));
    }

    // The graph: later attempts further right, longer times higher; 200 seconds span 0.7 of
    // a third of the height. Points are kept inside their section.
    const double third = 1.0 / 3.0;
    // The frame ends just under the lowest point, leaving a line for the weak events below it.
    section.frame = QRectF(0.5 * 0.15, top, 0.5 * 0.8, third * 0.82);
    if (!request.gradeOfPupilPasses)
        return section;
    const int n = ownCount;
    int k = 0;
    // The first best is the first counted time: an attempt of 1800 seconds or more (one that
    // ran out of time) is never drawn as a best.
    double bestY = top + third * (0.8 - 0.7 * kReportTimeLimit / 200.0);
    int bestPoints = 0;
    for (const LoadedResult& a : attempts) {
        if (a.level != level || a.pupilNo != request.pupil)
            continue;
        if (a.result >= 0 && a.result < kReportTimeLimit)
            ++k;
        // Without attempts under 1800 seconds every point stands at the left edge.
        const double x = 0.5 * (0.2 + (n > 0 ? 0.7 * k / n : 0.0));
        const double y = top + third * (0.8 - 0.7 * a.result / 200.0);
        // The colour follows the point's own height; only its drawing is kept inside the section.
        ReportPoint point { x, std::clamp(y, top, top + third * 0.8), false };
        if (y > bestY && bestPoints < kReportMaxBestPoints) {
            point.best = true;
            bestY = y;
            ++bestPoints;
        }
        section.points.push_back(point);
    }
    return section;
}

std::vector<ReportPage> buildReport(const ReportRequest& request, const std::vector<LoadedResult>& attempts)
{
    std::vector<ReportPage> pages;
    const std::vector<std::vector<double>> layout = reportLayout(static_cast<int>(request.levels.size()));
    size_t next = 0;
    for (const std::vector<double>& tops : layout) {
        ReportPage page;
        for (double top : tops) {
            const int level = request.levels[next++];
            if (level < 1 || level > request.levelCount)
                continue;
            const ReportFigures figures = reportFigures(level, request.pupil, request.gradeChoice);
            page.sections.push_back(buildReportSection(request, level, top, figures, attempts));
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

} // namespace kanameru

namespace kanameru {

Result<PupilListing> fillPupilList()
{
    const int schoolYear = computeSchoolYear();
    const QString path = rosterFileName();
    // A line that holds no record, and a record whose number has no place in the tables, are
    // left out, as the start screen does (which names them).
    Result<RosterFile> file = readRosterFile(path);
    if (!file)
        return file.error();
    PupilListing listing;
    for (const RosterFileLine& line : std::as_const(file->lines)) {
        if (!line.entry)
            continue;
        const RosterRecord& r = line.entry->record;
        if (r.number < 1 || r.number > kMaxPupil)
            continue;
        const auto no = static_cast<size_t>(r.number);
        listing.names[no] = r.name.trimmed();
        listing.birthYears[no] = r.birthYear;
        const QString label = fullWidthGradeLabel(gradeIndexOf(schoolYear, r.birthYear));
        if (!label.isEmpty())
            listing.gradeLabels[no] = label;
        if (r.status == 0)
            listing.items.append(listing.gradeLabels[no] + QStringLiteral(" /  ") + listing.names[no] + QLatin1Char('/')
                + QString::number(r.number));
    }
    return listing;
}

PupilIdentity identifyPupil(int pupilNo, const PupilListing* roster, const PupilDirectory& listed)
{
    const auto no = static_cast<size_t>(pupilNo);
    if (roster && pupilNo >= 1 && no < roster->names.size() && !roster->names[no].isEmpty())
        return { roster->names[no], gradeOfBirthYear(roster->birthYears[no]) };
    return { listed.name(pupilNo), listed.grade(pupilNo) };
}

int pupilNoOfItem(const QString& item)
{
    const qsizetype slash = item.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return 0;
    bool ok = false;
    const int no = item.mid(slash + 1).trimmed().toInt(&ok);
    return ok ? no : 0;
}

} // namespace kanameru
