#pragma once
// The teachers' table of events (kanameru-results events): over the judgements given to it,
// how often each event was judged and judged wrong and by how many pupils, the events judged
// wrong most, and the pairs of events the class confuses: an explanation given to the other
// event, or the two put the wrong way round.
#include "drill/drillrules.h"
#include "review/eventrecord.h"
#include "review/schedule.h"

#include <QString>
#include <map>
#include <unordered_map>
#include <vector>

namespace kanameru::review {

// An event as the question file holds it; row 0 when the file no longer holds it.
struct EventName {
    QString year;
    QString event;
    int level = 0;
    int row = 0;
};
// The events of the rows (every level) by number.
std::unordered_map<EventId, EventName> eventNames(const QuestionRows& rows);

struct EventLine {
    int rank = 0; // by the times judged wrong; equal counts share a rank
    EventId id = 0;
    EventName name;
    int judged = 0; // outcomes, in every phase
    int wrong = 0;
    int pupils = 0; // pupils who were asked it
    int wrongPupils = 0; // pupils who got it wrong
    double wrongPercent() const { return judged ? 100.0 * wrong / judged : 0.0; }
};

struct PairLine {
    int rank = 0; // by the times confused; equal counts share a rank
    EventName first; // the earlier event in the question file first
    EventName second;
    int explanations = 0; // judgements in which one held the other's explanation
    int order = 0; // judgements that put the two the wrong way round
    int total() const { return explanations + order; }
};

class EventTallies {
public:
    void add(const JudgementRecord& record);

    // The events by the times judged wrong, then judged, then their place in the question file.
    std::vector<EventLine> events(const std::unordered_map<EventId, EventName>& names) const;
    // The pairs confused at least once, the most confused first.
    std::vector<PairLine> pairs(const std::unordered_map<EventId, EventName>& names) const;

private:
    struct Count {
        int judged = 0;
        int wrong = 0;
        std::vector<bool> asked; // by pupil number
        std::vector<bool> missed;
    };
    struct PairCount {
        int explanations = 0;
        int order = 0;
    };
    std::unordered_map<EventId, Count> counts_;
    std::map<std::pair<EventId, EventId>, PairCount> pairs_; // the smaller number first
};

// The table of events for one grade choice and period, as the teachers' tool writes it.
struct EventSheet {
    QString schoolName;
    QString drillSetTitle;
    QString gradeChoice;
    QString period; // "2026/12/01～2026/12/09", or "全期間"
    std::vector<EventLine> events;
    std::vector<PairLine> pairs;
};

// The per-pupil report's line under a level's graph: the pupil's events judged wrong most in
// drills of that level (then those still in the schedule, then the latest mistake), at most
// `count`, "間違えやすい出来事：卑弥呼が魏に使い（239年）、…"; empty when he got none wrong.
QString weakestLine(
    const PupilEvents& events, int level, const std::unordered_map<EventId, EventName>& names, int count = 3);

// The name of an event in a table: its text, or for an event the question file no longer holds
// "（問題ファイルにない出来事 1a2b3c4d）".
EventName nameOf(EventId id, const std::unordered_map<EventId, EventName>& names);

} // namespace kanameru::review
