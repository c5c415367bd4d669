#pragma once
// The rules around the questions of one attempt: the attempt clock with its penalties and time
// limit, the countdown lamps of the status strip, the strip's counters and the way an attempt
// ends. They work on the shared register (reg.attemptStartSeconds, reg.elapsedSeconds, ...)
// and read the time from the clock handed in.
#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace platform {
class Clock;
}

namespace kanameru {

constexpr int kQuestionsPerAttempt = 5;
constexpr int kExplanationPenalty = 5; // seconds added by a wrong explanation judgement
constexpr int kOrderPenalty = 10; // seconds added by a wrong order judgement

// The attempt clock. Readings are seconds since the midnight that began the day on which the
// attempt started, so an attempt running past midnight keeps counting on (the clock of the
// platform starts again at 0 each midnight).
class AttemptClock {
public:
    explicit AttemptClock(const platform::Clock& clock)
        : clock_(clock)
    {
    }

    // Takes the clock into reg.attemptStartSeconds.
    void start();
    double reading() const;
    // Adds seconds to the attempt time by moving the start back.
    void penalty(int seconds);
    // Stops the attempt time where it stands: the last question is solved, and the sound that
    // greets it, or the wait before the end screen, must not count.
    void stop();
    // The attempt time rounded to whole seconds (halves to even).
    qint32 elapsed() const;

private:
    const platform::Clock& clock_;
    QDate startDay_;
    std::optional<double> stoppedAt_;
};

// What one tick of the drill clock found.
struct Tick {
    qint32 elapsed = 0;
    bool barFull = false; // elapsed has reached timeBarSeconds: the bar is drawn full
    bool timeUp = false; // the limit was reached now, with nothing else ending the attempt
};

// Sets reg.timeBarSeconds (five times levelTargetB) for the current level; 0 for a level
// without a second target (such a level has no time limit).
void setTimeLimit();
// One tick: reg.elapsedSeconds from the clock; at or past reg.timeBarSeconds the time is up,
// unless the attempt is already solved or finishing, and reg.timeUp is set.
Tick tickAttempt(const AttemptClock& clock);

// The three rows of ten countdown lamps: index 10..19 "Best", 20..29 "YourBest", 30..39 "Pass".
// A lamp once out stays out for the rest of the attempt.
class CountdownLamps {
public:
    CountdownLamps() { lit_.fill(true); }
    bool lit(int index) const { return lit_[index]; }
    // Puts out the lamps due at this elapsed time: the row of a threshold T loses one lamp a
    // second from T - 9 on and is dark from T on. A threshold of 0 or below is no threshold:
    // its row stays lit.
    void update(qint32 elapsed, qint32 passTarget, qint32 secondTarget, qint32 bestTime, qint32 ownBestTime);

private:
    void countDown(int firstLamp, qint32 elapsed, qint32 threshold);
    std::array<bool, 40> lit_;
};

// A level whose title contains "練" is a practice level: nothing of it is recorded.
bool isPracticeLevel(int level);
// The pupil's attempts today over levels 1..15 (each step rounded to a whole number).
qint16 todayTotalOfPupil();
// Whole minutes since the pupil was chosen (reg.pupilStartSeconds), counting on past midnight.
int minutesSincePupilStart(double secondsSinceMidnight);

// How finishAttempt goes on.
enum class FinishRoute {
    AlreadyFinishing, // a second call: nothing more happens
    BackToBoard, // a practice level (or one not judged by time), a review: no attempt is recorded
    Record, // reg.attemptResult is set; the attempt is recorded
};
// Sets reg.finishing and, for a recorded attempt, reg.attemptResult: 99999 after time-up, else
// the attempt time read from the clock now, so that a penalty given since the last tick of the
// drill clock is counted too.
FinishRoute beginFinish(const AttemptClock& clock);

} // namespace kanameru
