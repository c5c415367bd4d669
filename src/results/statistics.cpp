// Points and the per-level, per-pupil statistics built from the records read back.
#include "results/results.h"
#include "results/statistics_internal.h"

#include "startup/hensuu1.h"

#include <cmath>

namespace kanameru {
namespace {

std::vector<LoadedResult> kept;

bool indexable(int level, int pupil)
{
    return level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil;
}

// A record that can count as an attempt: a real date, a pupil 1..5000, a level 1..35 and a
// result that is not negative. Anything else is skipped (a damaged or foreign record).
bool keepable(const LoadedResult& r)
{
    return std::isfinite(r.date) && r.date >= 0 && r.pupilNo >= 1 && r.pupilNo <= kMaxPupil && r.level >= 1
        && r.level <= kMaxLevel && r.result >= 0;
}

double days(const AnyValue& v)
{
    const double d = v.toDouble();
    return std::isfinite(d) ? d : 0;
}

} // namespace

int attemptPoints(qint32 result, int level)
{
    if (level < 0 || level > kMaxLevel)
        return 0;
    const qint64 target = reg.levelTarget[level];
    // A target of 0 would divide by zero; a negative result is no real time.
    if (target <= 0 || result < 0 || result > 99997)
        return 0;
    int p;
    if (result <= target) {
        const double share = static_cast<double>(target - result) / static_cast<double>(target);
        p = static_cast<int>(std::floor(50.0 * share * share * share + 5.0));
    } else if (result < 2 * target) {
        p = 4;
    } else if (result < 10 * target) {
        p = 1;
    } else {
        p = 0;
    }
    // The factor is a single float: multiply in single precision, so 10 x 0.7 gives 7.
    const float points = static_cast<float>(p) * reg.levelPointFactor[level];
    if (!std::isfinite(points))
        return 0;
    return static_cast<int>(std::floor(points));
}

bool levelCleared(int level, int pupil)
{
    if (level < 0 || level > kMaxLevel || pupil < 0 || pupil > kMaxPupil)
        return false;
    return reg.recentPoints(level, pupil) >= reg.levelPassPoints[level]
        && reg.recentCount(level, pupil) >= reg.levelRequiredCount[level];
}

const std::vector<LoadedResult>& loadedResults()
{
    return kept;
}

int loadedCount()
{
    return static_cast<int>(kept.size());
}

void clearCounts()
{
    reg.totalCount.fill(0);
    reg.totalPoints.fill(0);
    reg.recentCount.fill(0);
    reg.recentPoints.fill(0);
    reg.capCount.fill(0);
    reg.capPoints.fill(0);
    reg.todayCount.fill(0);
    reg.todayPoints.fill(0);
}

void keepRecords(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater)
{
    reg.bestScore.fill(kTimeOut);
    reg.levelBestScore.fill(kTimeOut);

    const double today = std::floor(asOf);

    // Every record read may lower the best result of its slot, also one that is not kept.
    // The kept ones are the newest valid records, at most kResultsKeptMax of them.
    std::vector<const LoadedResult*> valid;
    valid.reserve(records.size());
    for (const LoadedResult& r : records) {
        if (ignoreLater && !(r.date < today + 1))
            continue;
        if (indexable(r.level, r.pupilNo) && r.result >= 0 && reg.bestScore(r.level, r.pupilNo) > r.result)
            reg.bestScore(r.level, r.pupilNo) = r.result;
        if (keepable(r))
            valid.push_back(&r);
    }
    const size_t skip = valid.size() > static_cast<size_t>(kResultsKeptMax) ? valid.size() - kResultsKeptMax : 0;
    kept.clear();
    kept.reserve(valid.size() - skip);
    for (size_t i = skip; i < valid.size(); ++i)
        kept.push_back(*valid[i]);

    for (int level = 1; level <= kMaxLevel; ++level) {
        qint32 best = kTimeOut;
        for (int pupil = 1; pupil <= kMaxPupil; ++pupil)
            best = qMin(best, reg.bestScore(level, pupil));
        reg.levelBestScore[level] = best;
    }
}

void accumulate(double asOf)
{
    const double today = std::floor(asOf);

    // The window edges of each level: a record counts when its date is later than them.
    ByLevel<double> recentEdge {};
    ByLevel<double> capEdge {};
    for (int level = 1; level <= kMaxLevel; ++level) {
        recentEdge[level] = asOf - days(reg.levelRecentDays[level]);
        capEdge[level] = asOf - days(reg.levelCapDays[level]);
    }

    for (const LoadedResult& r : kept) {
        const int level = r.level;
        const int pupil = r.pupilNo;
        const bool completed = r.result < kCompletedBelow;
        const int p = attemptPoints(r.result, level);
        if (completed)
            reg.totalCount(level, pupil) += 1;
        reg.totalPoints(level, pupil) += p;
        if (r.date > recentEdge[level]) {
            if (completed)
                reg.recentCount(level, pupil) += 1;
            reg.recentPoints(level, pupil) += p;
        }
        if (r.date > capEdge[level]) {
            if (completed)
                reg.capCount(level, pupil) += 1;
            reg.capPoints(level, pupil) += p;
        }
        if (std::floor(r.date) == today) {
            if (completed)
                reg.todayCount(level, pupil) += 1;
            reg.todayPoints(level, pupil) += p;
        }
    }
}

} // namespace kanameru

namespace kanameru {

void computeStatisticsFrom(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater)
{
    clearCounts();
    keepRecords(records, asOf, ignoreLater);
    accumulate(asOf);
}

} // namespace kanameru
