#pragma once
// The judgements of one drill as the pupil makes them. Each becomes a record of its five
// events' outcomes, kept until the attempt ends or the drill is left and then appended to the
// events file in one write: one append per attempt on a network share, not one per judgement.
// The events the pupil got wrong are kept for the end screen.
#include "review/eventrecord.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace platform {
class Clock;
}

namespace kanameru {
class Question;
struct QuestionRows;
} // namespace kanameru

namespace kanameru::review {

// The outcomes of a judgement of the question as it stands on the screen: each row's event,
// right or wrong as the judgement coloured it, and for the explanations the row whose event's
// explanation a wrong row held, for the order the rows it stood the wrong way round with (two
// events of the same year are in order when their rows of the question file are).
JudgementRecord judgementOf(const Question& question, const QuestionRows& rows, Phase phase);

struct MissedEvent {
    QString year;
    QString event;
    bool operator==(const MissedEvent&) const = default;
};

// "卑弥呼が魏に使い（239年）": an event with its year; a year that is more than a number
// ("1600年9月15日") is shown as it is.
QString eventWithYear(const QString& year, const QString& event);

class JudgementLog {
public:
    explicit JudgementLog(const platform::Clock& clock);

    // Takes a judgement just made, dated now (a pupil number outside 1..5000 has none kept).
    void judged(const Question& question, const QuestionRows& rows, Phase phase, qint16 pupil, qint16 level, Kind kind);

    const std::vector<JudgementRecord>& pending() const { return pending_; }
    // The events judged wrong in this drill, each once, in the order of their first mistake.
    const std::vector<MissedEvent>& missed() const { return missed_; }

    // Appends what is pending to the file at `path` and forgets it. Nullopt when it is stored
    // (or nothing was pending), else the text of a message that names the file and the reason;
    // the records are then dropped: the attempt itself is recorded in the results file.
    std::optional<QString> flush(const QString& path);

private:
    const platform::Clock& clock_;
    std::vector<JudgementRecord> pending_;
    std::vector<MissedEvent> missed_;
};

// Appends judgements to the events file with the results file's append: a file another
// workstation holds is tried again every second for half a minute; any other failure, or a
// file still held, gives the message text. Nothing is left half written.
std::optional<QString> appendJudgements(const QString& path, const std::vector<JudgementRecord>& records);

// The end screen's line "間違えた出来事：A（57年）、B（239年）　ほか2件": as many of the events,
// in order, as `fits` accepts (at least one); empty when nothing was missed.
QString missedLine(const std::vector<MissedEvent>& events, const std::function<bool(const QString&)>& fits);

// The events missed in the attempt that ended last, for the end screen (set by the drill form).
const std::vector<MissedEvent>& lastMissedEvents();
void setLastMissedEvents(std::vector<MissedEvent> events);

} // namespace kanameru::review
