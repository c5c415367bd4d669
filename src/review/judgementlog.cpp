#include "review/judgementlog.h"

#include "drill/drillrules.h"
#include "platform/clock.h"
#include "results/recordfile.h"
#include "results/retry.h"
#include "startup/hensuu1.h"

#include <QRegularExpression>
#include <QStringList>

namespace kanameru::review {

namespace {

constexpr int kBusyTries = 30; // half a minute of another workstation's appends

std::vector<MissedEvent>& lastMissed()
{
    static std::vector<MissedEvent> events;
    return events;
}

} // namespace

JudgementRecord judgementOf(const Question& q, const QuestionRows& rows, Phase phase)
{
    JudgementRecord r;
    r.phase = phase;
    const auto right = phase == Phase::Explanations ? q.explanationsRight(rows) : q.orderRight();
    for (int i = 0; i < kRowsPerJudgement; ++i) {
        const ScreenRow& s = q.row(i + 1);
        RowOutcome& row = r.rows[static_cast<size_t>(i)];
        row.event = eventId(rows.rowYear[s.rowIndex], rows.rowEvent[s.rowIndex]);
        row.wrong = !right[static_cast<size_t>(i)];
        for (int j = 0; j < kRowsPerJudgement; ++j) {
            if (j == i)
                continue;
            const int other = q.row(j + 1).rowIndex;
            if (phase == Phase::Explanations) {
                if (row.wrong && row.confusedWith < 0 && rows.rowExplanation[other] == s.explanation)
                    row.confusedWith = j;
            } else if ((j < i) != (other < s.rowIndex)) {
                row.against |= static_cast<quint8>(1u << j);
            }
        }
    }
    return r;
}

QString eventWithYear(const QString& year, const QString& event)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9０-９]+$"));
    const QString y = year.trimmed();
    return event.trimmed() + QStringLiteral("（") + y + (number.match(y).hasMatch() ? QStringLiteral("年") : QString())
        + QStringLiteral("）");
}

JudgementLog::JudgementLog(const platform::Clock& clock)
    : clock_(clock)
{
}

void JudgementLog::judged(
    const Question& question, const QuestionRows& rows, Phase phase, qint16 pupil, qint16 level, Kind kind)
{
    JudgementRecord r = judgementOf(question, rows, phase);
    r.recordDate = clock_.nowDayCount();
    r.pupilNo = pupil;
    r.level = level;
    r.kind = kind;
    // Only a pupil of the roster's numbers has a history (a record of another would read back
    // as damaged).
    if (pupil >= 1 && pupil <= kMaxPupil && level >= 0 && level <= kMaxLevel)
        pending_.push_back(r);
    for (int i = 0; i < kRowsPerJudgement; ++i) {
        if (!r.rows[static_cast<size_t>(i)].wrong)
            continue;
        const int row = question.row(i + 1).rowIndex;
        const MissedEvent missed { rows.rowYear[row], rows.rowEvent[row] };
        if (std::find(missed_.begin(), missed_.end(), missed) == missed_.end())
            missed_.push_back(missed);
    }
}

std::optional<QString> JudgementLog::flush(const QString& path)
{
    std::vector<JudgementRecord> records;
    records.swap(pending_);
    return appendJudgements(path, records);
}

std::optional<QString> appendJudgements(const QString& path, const std::vector<JudgementRecord>& records)
{
    if (records.empty())
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(records.size()) * kEventRecordLength);
    for (const JudgementRecord& r : records)
        bytes += r.toBytes();
    for (int busy = 1;; ++busy) {
        const std::optional<recordfile::IoError> e = recordfile::appendRecord(path, bytes, kEventRecordLength);
        if (!e)
            return std::nullopt;
        if (e->lockedByOther && busy < kBusyTries) {
            results_retry::wait(results_retry::kBusyWaitMs);
            continue;
        }
        return QStringLiteral("出来事ごとの記録を書き込めませんでした（成績はいつもどおり記録しています）。\n%1\n%2")
            .arg(path, e->description);
    }
}

QString missedLine(const std::vector<MissedEvent>& events, const std::function<bool(const QString&)>& fits)
{
    QString text;
    for (size_t shown = events.size(); shown >= 1; --shown) {
        QStringList names;
        for (size_t i = 0; i < shown; ++i)
            names << eventWithYear(events[i].year, events[i].event);
        text = QStringLiteral("間違えた出来事：") + names.join(QStringLiteral("、"));
        if (shown < events.size())
            text += QStringLiteral("　ほか%1件").arg(events.size() - shown);
        if (fits(text))
            break;
    }
    return text;
}

const std::vector<MissedEvent>& lastMissedEvents()
{
    return lastMissed();
}

void setLastMissedEvents(std::vector<MissedEvent> events)
{
    lastMissed() = std::move(events);
}

} // namespace kanameru::review
