// Points and the per-level, per-pupil statistics built from the records read back.
#include "results/results.h"
#include "results/statistics_internal.h"

#include "startup/hensuu1.h"

#include <QtEndian>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// The decimal a single float was written as: 2.1 for the single nearest 2.1, which lies a
// hair below it. The factor counts as the teacher wrote it, as on the end screen.
double writtenFactor(float value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text - 1, value).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}

// The points of a result against a target and a factor (as written).
inline int pointsFor(qint32 result, qint64 target, double factor)
{
    // A target of 0 would divide by zero; a negative result is no real time.
    if (target <= 0 || result < 0 || result > 99997)
        return 0;
    int p;
    if (result <= target) {
        const double share = static_cast<double>(target - result) / static_cast<double>(target);
        p = static_cast<int>(50.0 * share * share * share + 5.0); // positive: the cast is the integer part
    } else if (result < 2 * target) {
        p = 4;
    } else if (result < 10 * target) {
        p = 1;
    } else {
        p = 0;
    }
    // 30 x 2.1 is 63 and 10 x 0.7 is 7, whatever the nearest singles to 2.1 and 0.7 are; a
    // product such as 100 x 0.29 lands a hair below the whole number it stands for.
    const double points = p * factor;
    if (!(points > -2.0e9 && points < 2.0e9))
        return 0;
    return static_cast<int>(std::floor(points + 1e-9));
}

// One record of a block of 44-byte records, or of a list already read.
struct BytesSource {
    const char* bytes;
    size_t count;
    qint64 firstNumber;
    size_t size() const { return count; }
    LoadedResult operator[](size_t i) const
    {
        const char* p = bytes + i * kResultRecordLength;
        LoadedResult r;
        quint64 bits = qFromLittleEndian<quint64>(p);
        std::memcpy(&r.date, &bits, sizeof bits);
        bits = qFromLittleEndian<quint64>(p + 8);
        std::memcpy(&r.time, &bits, sizeof bits);
        r.pupilNo = qFromLittleEndian<qint16>(p + 16);
        r.level = qFromLittleEndian<qint16>(p + 18);
        r.result = qFromLittleEndian<qint32>(p + 20);
        r.number = static_cast<qint32>(firstNumber + static_cast<qint64>(i));
        return r;
    }
};

struct ListSource {
    const std::vector<LoadedResult>& list;
    size_t size() const { return list.size(); }
    const LoadedResult& operator[](size_t i) const { return list[i]; }
};

// Adds kept records to the count and points tables, as of a moment.
class Accumulator {
public:
    explicit Accumulator(double asOf)
        : today_(std::floor(asOf))
    {
        // The window edges of each level: a record counts when its date is later than them.
        for (int level = 1; level <= kMaxLevel; ++level) {
            factor_[level] = writtenFactor(reg.levelPointFactor[level]);
            recentEdge_[level] = asOf - days(reg.levelRecentDays[level]);
            capEdge_[level] = asOf - days(reg.levelCapDays[level]);
        }
    }

    void add(const LoadedResult& r) const
    {
        const int level = r.level;
        const int pupil = r.pupilNo;
        const bool completed = r.result < kCompletedBelow;
        const int p = pointsFor(r.result, reg.levelTarget[level], factor_[level]);
        if (completed)
            reg.totalCount(level, pupil) += 1;
        reg.totalPoints(level, pupil) += p;
        if (r.date > recentEdge_[level]) {
            if (completed)
                reg.recentCount(level, pupil) += 1;
            reg.recentPoints(level, pupil) += p;
        }
        if (r.date > capEdge_[level]) {
            if (completed)
                reg.capCount(level, pupil) += 1;
            reg.capPoints(level, pupil) += p;
        }
        if (r.date >= today_ && r.date < today_ + 1) {
            if (completed)
                reg.todayCount(level, pupil) += 1;
            reg.todayPoints(level, pupil) += p;
        }
    }

private:
    double today_;
    ByLevel<double> factor_ {};
    ByLevel<double> recentEdge_ {};
    ByLevel<double> capEdge_ {};
};

// One pass over the records, newest first: every record may lower the best result of its
// slot (also one that is not kept); the first kResultsKeptMax valid ones met, that is the
// newest, are kept, and with addToo added to the tables at once.
template <class Source> void keepFrom(const Source& records, double asOf, bool ignoreLater, bool addToo)
{
    fillTable(reg.bestScore, kTimeOut);
    reg.levelBestScore.fill(kTimeOut);
    const double lastDay = std::floor(asOf) + 1;
    const Accumulator accumulator(asOf);

    const size_t n = records.size();
    kept.resize(qMin(n, static_cast<size_t>(kResultsKeptMax)));
    size_t slot = kept.size();
    constexpr size_t kAhead = 16; // the tables are read in random order: ask for them early
    for (size_t i = n; i-- > 0;) {
        if (i >= kAhead) {
            const LoadedResult next = records[i - kAhead];
            if (indexable(next.level, next.pupilNo)) {
                __builtin_prefetch(&reg.bestScore(next.level, next.pupilNo), 1);
                if (addToo) {
                    __builtin_prefetch(&reg.totalCount(next.level, next.pupilNo), 1);
                    __builtin_prefetch(&reg.totalPoints(next.level, next.pupilNo), 1);
                }
            }
        }
        const LoadedResult r = records[i];
        if (ignoreLater && !(r.date < lastDay))
            continue;
        if (r.result >= 0 && indexable(r.level, r.pupilNo)) {
            qint32& best = reg.bestScore(r.level, r.pupilNo);
            if (best > r.result)
                best = r.result;
            // The level's best over pupils 1..5000 is the smallest of their bests.
            if (r.level >= 1 && r.pupilNo >= 1 && reg.levelBestScore[r.level] > r.result)
                reg.levelBestScore[r.level] = r.result;
        }
        if (slot > 0 && keepable(r)) {
            kept[--slot] = r;
            if (addToo)
                accumulator.add(r);
        }
    }
    kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(slot));
}

} // namespace

int attemptPoints(qint32 result, int level)
{
    if (level < 0 || level > kMaxLevel)
        return 0;
    return pointsFor(result, reg.levelTarget[level], writtenFactor(reg.levelPointFactor[level]));
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
    keepFrom(ListSource { records }, asOf, ignoreLater, false);
}

void keepRecordBytes(const QByteArray& bytes, qint64 firstNumber, double asOf, bool accumulateToo)
{
    keepFrom(BytesSource { bytes.constData(), static_cast<size_t>(bytes.size() / kResultRecordLength), firstNumber },
        asOf, false, accumulateToo);
}

void accumulate(double asOf)
{
    const Accumulator accumulator(asOf);
    for (const LoadedResult& r : kept)
        accumulator.add(r);
}

} // namespace kanameru

namespace kanameru {

void computeStatisticsFrom(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater)
{
    clearCounts();
    keepFrom(ListSource { records }, asOf, ignoreLater, true);
}

} // namespace kanameru
