#include "board/attemptlists.h"

#include "board/grades.h"
#include "board/report.h"
#include "platform/clock.h"
#include "startup/hensuu1.h"

#include <cmath>

namespace kanameru {

int periodDaysFor(int periodChoice, const QDate& today)
{
    // Weekday counted from Sunday = 1.
    const int d = today.dayOfWeek() % 7 + 1;
    switch (periodChoice) {
    case 1:
        return d == 1 ? 7 : d - 1;
    case 2:
        return d == 1 ? 14 : d - 1 + 7;
    case 3:
        return 30;
    case 4:
        return 365;
    default:
        return 3650;
    }
}

QString attemptName(const QString& name)
{
    return (name.trimmed() + QStringLiteral("　　　　")).left(5);
}

QString attemptSeconds(qint32 result)
{
    return (QStringLiteral("      ") + QString::number(result) + QStringLiteral("秒")).right(5);
}

QString attemptClock(double dayTime)
{
    const double fraction = dayTime - std::floor(dayTime);
    // Whole seconds of the day, rounded as the day count stores them.
    int seconds = static_cast<int>(std::lround(fraction * 86400.0));
    if (seconds >= 86400)
        seconds = 86399;
    return platform::shortTime(QTime(0, 0).addSecs(seconds));
}

QString attemptHoursMinutes(double dayTime)
{
    return (QStringLiteral("00") + attemptClock(dayTime)).right(8).left(5);
}

QString attemptMonthDay(double dayDate)
{
    return platform::shortDate(platform::fromDayCount(std::floor(dayDate)).date()).right(5);
}

QString attemptPointsText(int points)
{
    return (QStringLiteral("      ") + QString::number(points)).right(5);
}

int attemptListPoints(qint32 result, int level)
{
    if (level < 0 || level > kMaxLevel || result < 0 || result > 99997)
        return 0;
    const qint64 target = reg.levelTarget[static_cast<size_t>(level)];
    if (target <= 0)
        return 0;
    if (result <= target) {
        const double share = static_cast<double>(target - result) / static_cast<double>(target);
        return static_cast<int>(share * share * share * 50.0 + 5.0);
    }
    if (result < 2 * target)
        return 4;
    if (result < 10 * target)
        return 1;
    return 0;
}

QString attemptLine(AttemptListKind kind, const AttemptLineInput& input)
{
    const LoadedResult& a = *input.attempt;
    const QString who = input.mark + attemptName(input.name) + input.mark;
    const bool failed = a.result >= kFailedFrom;
    switch (kind) {
    case AttemptListKind::Today:
        if (failed)
            return QStringLiteral("　　× ") + attemptHoursMinutes(a.time) + who;
        return attemptSeconds(a.result) + QLatin1Char(' ') + attemptHoursMinutes(a.time) + who
            + QString::number(input.points);
    case AttemptListKind::PeriodTimes:
        if (failed)
            return QStringLiteral("　　× ") + attemptMonthDay(a.date) + who;
        return attemptSeconds(a.result) + QLatin1Char(' ') + attemptMonthDay(a.date) + who
            + QString::number(input.points);
    case AttemptListKind::PeriodPoints:
        if (failed)
            return QStringLiteral("　　× ") + attemptMonthDay(a.date) + who;
        return attemptPointsText(input.points) + QLatin1Char(' ') + attemptMonthDay(a.date) + who
            + QString::number(a.result) + QStringLiteral("秒");
    case AttemptListKind::Own: {
        const QString day = platform::shortDate(platform::fromDayCount(std::floor(a.date)).date()).right(10)
            + QLatin1Char(' ') + attemptClock(a.time).right(10);
        if (failed)
            return day;
        return day + (QStringLiteral("      ") + QString::number(a.result) + QStringLiteral("秒")).right(5);
    }
    }
    return QString();
}

std::vector<QStringList> attemptLists(const std::vector<LoadedResult>& attempts, const AttemptListOptions& options,
    const std::function<void(int done)>& progress)
{
    const int levelCount = std::clamp(options.levelCount, 0, kMaxLevel);
    std::vector<QStringList> lists(static_cast<size_t>(levelCount) + 1);
    const double periodStart = options.todayDayCount - options.periodDays;
    const PupilDirectory pupils;
    int done = 0;
    for (const LoadedResult& a : attempts) {
        ++done;
        if (progress && (done & 255) == 0)
            progress(done);
        if (a.level < 1 || a.level > levelCount || a.pupilNo < 1 || a.pupilNo > kMaxPupil)
            continue;
        const double day = std::floor(a.date);
        if (options.kind == AttemptListKind::Today ? day != options.todayDayCount : !(a.date > periodStart))
            continue;
        const PupilIdentity who = identifyPupil(a.pupilNo, options.roster, pupils);
        if (passesGradeFilter(options.gradeChoice, who.grade) != 1)
            continue;
        AttemptLineInput input;
        input.attempt = &a;
        input.name = who.name;
        input.mark = a.pupilNo == options.currentPupil ? QStringLiteral("●") : gradeSymbol(who.grade);
        input.points = a.result >= kFailedFrom ? 0 : attemptListPoints(a.result, a.level);
        lists[static_cast<size_t>(a.level)].append(attemptLine(options.kind, input));
    }
    if (progress)
        progress(done);
    return lists;
}

} // namespace kanameru
