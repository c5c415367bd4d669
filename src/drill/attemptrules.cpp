#include "drill/attemptrules.h"

#include "platform/clock.h"
#include "startup/anyvalue.h"
#include "startup/hensuu1.h"

#include <algorithm>
#include <cmath>

namespace kanameru {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

void AttemptClock::start()
{
    const QDateTime now = clock_.now();
    startDay_ = now.date();
    stoppedAt_.reset();
    reg.attemptStartSeconds = static_cast<float>(now.time().msecsSinceStartOfDay() / 1000.0);
}

double AttemptClock::reading() const
{
    if (stoppedAt_)
        return *stoppedAt_;
    const QDateTime now = clock_.now();
    const double seconds = now.time().msecsSinceStartOfDay() / 1000.0;
    if (!startDay_.isValid())
        return seconds;
    return seconds + kSecondsPerDay * static_cast<double>(startDay_.daysTo(now.date()));
}

void AttemptClock::penalty(int seconds)
{
    reg.attemptStartSeconds -= static_cast<float>(seconds);
}

void AttemptClock::stop()
{
    if (!stoppedAt_)
        stoppedAt_ = reading();
}

qint32 AttemptClock::elapsed() const
{
    return static_cast<qint32>(roundHalfEven(reading() - static_cast<double>(reg.attemptStartSeconds)));
}

void setTimeLimit()
{
    reg.timeBarSeconds = 5 * reg.levelTargetB[reg.currentLevel];
}

Tick tickAttempt(const AttemptClock& clock)
{
    Tick t;
    t.elapsed = clock.elapsed();
    reg.elapsedSeconds = t.elapsed;
    if (reg.timeBarSeconds > 0 && t.elapsed >= reg.timeBarSeconds) {
        t.barFull = true;
        if (reg.allSolved == 0 && reg.finishing == 0) {
            reg.timeUp = 1;
            t.timeUp = true;
        }
    }
    return t;
}

void CountdownLamps::countDown(int firstLamp, qint32 elapsed, qint32 threshold)
{
    if (threshold <= 0)
        return;
    // Past the threshold every lamp of the row is out, even when a penalty jumped the clock
    // over the last seconds before it.
    const qint32 last = std::min(firstLamp + elapsed - threshold + 9, firstLamp + 9);
    for (qint32 i = firstLamp; i <= last && i < firstLamp + 10; ++i)
        lit_[i] = false;
}

void CountdownLamps::update(qint32 elapsed, qint32 passTarget, qint32 secondTarget, qint32 bestTime, qint32 ownBestTime)
{
    countDown(30, elapsed, passTarget);
    if (secondTarget > 0) {
        const qint32 k = secondTarget - elapsed;
        if (k >= 0 && k <= 9)
            lit_[39 - k] = false;
    }
    countDown(10, elapsed, bestTime);
    countDown(20, elapsed, ownBestTime);
}

bool isPracticeLevel(int level)
{
    return reg.levelTitles[level].contains(QStringLiteral("練"));
}

qint16 todayTotalOfPupil()
{
    qint16 total = 0;
    for (int level = 1; level <= 15; ++level)
        total = static_cast<qint16>(roundHalfEven(total + reg.todayCount(level, reg.currentPupilNo)));
    return total;
}

int minutesSincePupilStart(double secondsSinceMidnight)
{
    double since = std::floor(secondsSinceMidnight - reg.pupilStartSeconds);
    if (since < 0)
        since += kSecondsPerDay; // the pupil was chosen before midnight
    return static_cast<int>(since) / 60;
}

FinishRoute beginFinish(const AttemptClock& clock)
{
    if (reg.finishing == 1)
        return FinishRoute::AlreadyFinishing;
    reg.finishing = 1;
    const int level = reg.currentLevel;
    if (isPracticeLevel(level) || reg.levelIsTimed[level] != 1 || reg.reviewMode == 1)
        return FinishRoute::BackToBoard;
    if (reg.timeUp != 1)
        reg.elapsedSeconds = clock.elapsed();
    reg.attemptResult = reg.timeUp == 1 ? kTimeOut : reg.elapsedSeconds;
    return FinishRoute::Record;
}

} // namespace kanameru
