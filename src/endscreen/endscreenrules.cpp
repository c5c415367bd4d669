#include "endscreen/endscreenrules.h"

#include "startup/anyvalue.h"
#include "startup/hensuu1.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kanameru {

Announcement chooseAnnouncement(
    qint16 timeUp, qint16 newOverallBest, qint16 newPersonalBest, qint32 result, qint32 levelTargetB)
{
    if (timeUp == 1)
        return Announcement::TimeUp;
    if (newOverallBest == 1)
        return Announcement::OverallRecord;
    if (newPersonalBest == 1)
        return Announcement::PersonalRecord;
    if (result <= levelTargetB)
        return Announcement::GoodResult;
    return Announcement::None;
}

QString announcementText(Announcement announcement)
{
    switch (announcement) {
    case Announcement::TimeUp:
        return QStringLiteral("時間切れ");
    case Announcement::OverallRecord:
        return QStringLiteral("！！！最高新記録！！！");
    case Announcement::PersonalRecord:
        return QStringLiteral("新記録おめでとう");
    case Announcement::GoodResult:
    case Announcement::None:
        break;
    }
    return QString();
}

int basePoints(qint32 result, qint32 target)
{
    if (result > kTimeOut - 2 || target <= 0 || result < 0)
        return 0;
    const double t = result;
    const double T = target;
    if (t <= T) {
        const double share = (T - t) / T;
        return static_cast<int>(std::floor(50.0 * share * share * share + 5.0));
    }
    if (t < 2 * T)
        return 4;
    if (t < 10 * T)
        return 1;
    return 0;
}

namespace {
// The decimal a single float was written as: 1.1f gives 1.1, not 1.10000002384.
double writtenValue(float value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text - 1, value).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}
} // namespace

int factoredPoints(int points, float factor)
{
    const double product = points * writtenValue(factor);
    if (!std::isfinite(product))
        return 0;
    // Products such as 100 x 0.29 land a hair below the whole number they stand for.
    const double whole = std::floor(product + 1e-9);
    if (whole > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (whole < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(whole);
}

QString shortestSingle(float value)
{
    return shortestNumber(writtenValue(value));
}

QString pointsLine(qint32 result, qint32 target, float factor)
{
    const int p = basePoints(result, target);
    return QStringLiteral("獲得ポイント：%1点×%2→%3点")
        .arg(shortestNumber(p), shortestSingle(factor), shortestNumber(factoredPoints(p, factor)));
}

QString resultLine(qint32 result)
{
    if (result > kTimeOut - 2)
        return QStringLiteral("記録なし");
    return QStringLiteral("今の成績：%1秒").arg(shortestNumber(result));
}

QString provisionalLevelCountText(float todayCountBefore)
{
    return shortestSingle(todayCountBefore + 1.0f);
}

QString levelCountLine(float todayCount)
{
    return QStringLiteral(" (このレベル　%1回目)").arg(shortestSingle(todayCount));
}

QString totalCountLine(qint16 todayTotalCount)
{
    return QStringLiteral("（%1回目)").arg(shortestNumber(todayTotalCount));
}

bool isTargetLevel(int level)
{
    return reg.targetLevel.toDouble() == level;
}

bool drillSetWithoutEnd()
{
    for (int k = 1; k <= kMaxLevel; ++k)
        if (reg.levelRequiredCount[k] == 9999)
            return true;
    return false;
}

bool capReached(int level, int pupil)
{
    const double capCount = reg.levelCapCount[level].toDouble();
    const double capPoints = reg.levelCapPoints[level].toDouble();
    return (capCount != 0 && reg.capCount(level, pupil) >= capCount)
        || (capPoints != 0 && reg.capPoints(level, pupil) >= capPoints);
}

qint16 sumTodayCount(int pupil)
{
    double sum = 0;
    for (int k = 1; k <= kMaxLevel; ++k)
        sum += reg.todayCount(k, pupil);
    const qint64 whole = roundHalfEven(sum);
    return static_cast<qint16>(
        std::clamp<qint64>(whole, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

AgainDecision decideAgain(bool capReached, bool cleared, bool isTargetLevel, bool targetLevelCleared)
{
    if (!capReached || !cleared)
        return { true, ClearedNote::Keep };
    if (isTargetLevel)
        return { true, ClearedNote::ClearAndHide };
    if (!targetLevelCleared)
        return { false, ClearedNote::NextLevel };
    return { true, ClearedNote::Keep };
}

QString nextLevelText()
{
    return QStringLiteral("次のレベルへ進みましょう");
}

EndScreenPlan planEndScreen(bool levelIsCleared)
{
    const int L = reg.currentLevel;
    const int P = reg.currentPupilNo;
    EndScreenPlan plan;
    plan.cleared = levelIsCleared;
    const bool clearedTarget = levelIsCleared && isTargetLevel(L);
    plan.showPanel = clearedTarget && !drillSetWithoutEnd();
    plan.points = pointsLine(reg.attemptResult, reg.levelTarget[L], reg.levelPointFactor[L]);
    plan.result = resultLine(reg.attemptResult);
    plan.pupilName = reg.currentPupilName.trimmed();
    plan.title = reg.drillSetTitle;
    plan.levelTitle = reg.levelTitles[L];
    plan.levelCount = levelCountLine(reg.todayCount(L, P));
    plan.todayTotalCount = sumTodayCount(P);
    plan.totalCount = totalCountLine(plan.todayTotalCount);
    plan.announcement = chooseAnnouncement(
        reg.timeUp, reg.newOverallBest, reg.newPersonalBest, reg.attemptResult, reg.levelTargetB[L]);
    plan.playClearedSound = clearedTarget && reg.alreadyCleared != 1;
    return plan;
}

} // namespace kanameru
