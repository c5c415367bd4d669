#pragma once
// The spaced schedule of the review. An event a pupil gets wrong comes back until it is
// learned, at growing intervals, in four boxes:
//
//   box 1: due 1 day after it came in    box 3: due 7 days after
//   box 2: due 3 days after              box 4: due 14 days after
//
// - Judged wrong (its explanation or its place in the order), on any day: the event goes to
//   box 1, due the next day.
// - Judged right on its due day or later: it moves up a box, due that many days after this
//   day; right in box 4, it is learned and leaves the schedule.
// - Judged right before its due day (the retry of the same question, a drill the same day)
//   changes nothing: only a right answer on a later day counts.
// Days are calendar days; the judgements of one pupil are taken in the order they were made.
#include "review/eventrecord.h"

#include <QtGlobal>
#include <array>
#include <unordered_map>
#include <vector>

namespace kanameru::review {

constexpr std::array<int, 4> kBoxIntervals { 1, 3, 7, 14 };
constexpr int kLastBox = static_cast<int>(kBoxIntervals.size());

// One pupil's history of one event.
struct EventState {
    int box = 0; // 1..4 while in the schedule; 0 when never wrong or learned
    int dueDay = 0; // while in the schedule: the first day it is due (a day count)
    int judged = 0; // outcomes of its rows, in every phase
    int wrong = 0;
    int lastWrongDay = 0;
    quint64 levels = 0; // bit L set: judged in a drill of level L

    bool inSchedule() const { return box > 0; }
    bool dueOn(int day) const { return box > 0 && dueDay <= day; }
};

// One outcome of the event on `day`.
void applyOutcome(EventState& state, bool wrong, int day);

// One pupil's events, built from his judgements in the order they were made.
class PupilEvents {
public:
    void apply(const JudgementRecord& record);
    const std::unordered_map<EventId, EventState>& events() const { return events_; }
    const EventState* find(EventId id) const;
    // The highest level of a drill the pupil played (0 when none).
    int highestLevel() const { return highestLevel_; }
    // The events due on `day`, the longest due first (then the lower box, then the number, so
    // the order is the same on every machine).
    std::vector<EventId> dueOn(int day) const;
    // The events in the schedule not yet due on `day`, the soonest due first.
    std::vector<EventId> comingAfter(int day) const;
    void clear();

private:
    std::unordered_map<EventId, EventState> events_;
    int highestLevel_ = 0;
};

} // namespace kanameru::review
