#include "review/eventtally.h"

#include "review/judgementlog.h"
#include "startup/hensuu1.h"

#include <QStringList>

#include <algorithm>
#include <set>

namespace kanameru::review {

namespace {

// Unknown events after the known ones, each kind in a fixed order.
bool before(const EventName& a, EventId aId, const EventName& b, EventId bId)
{
    if ((a.row == 0) != (b.row == 0))
        return a.row != 0;
    if (a.row != b.row)
        return a.row < b.row;
    return aId < bId;
}

template <class Line, class Key> void rank(std::vector<Line>& lines, Key key)
{
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i].rank = i > 0 && key(lines[i]) == key(lines[i - 1]) ? lines[i - 1].rank : static_cast<int>(i) + 1;
}

} // namespace

std::unordered_map<EventId, EventName> eventNames(const QuestionRows& rows)
{
    std::unordered_map<EventId, EventName> names;
    for (int r = 1; r <= rows.usableRowCount; ++r)
        names.emplace(eventId(rows.rowYear[r], rows.rowEvent[r]),
            EventName { rows.rowYear[r].trimmed(), rows.rowEvent[r].trimmed(), static_cast<int>(rows.rowLevel[r]), r });
    return names;
}

EventName nameOf(EventId id, const std::unordered_map<EventId, EventName>& names)
{
    if (const auto at = names.find(id); at != names.end())
        return at->second;
    return { QString(),
        QStringLiteral("（問題ファイルにない出来事 %1）").arg(static_cast<quint32>(id >> 32), 8, 16, QLatin1Char('0')),
        0, 0 };
}

QString weakestLine(
    const PupilEvents& events, int level, const std::unordered_map<EventId, EventName>& names, int count)
{
    std::vector<std::pair<EventId, const EventState*>> weak;
    for (const auto& [id, state] : events.events())
        if (state.wrong > 0 && (state.levels & (quint64 { 1 } << level)))
            weak.emplace_back(id, &state);
    std::sort(weak.begin(), weak.end(), [](const auto& a, const auto& b) {
        if (a.second->wrong != b.second->wrong)
            return a.second->wrong > b.second->wrong;
        if (a.second->inSchedule() != b.second->inSchedule())
            return a.second->inSchedule();
        if (a.second->lastWrongDay != b.second->lastWrongDay)
            return a.second->lastWrongDay > b.second->lastWrongDay;
        return a.first < b.first;
    });
    QStringList shown;
    for (size_t i = 0; i < weak.size() && static_cast<int>(i) < count; ++i) {
        const EventName name = nameOf(weak[i].first, names);
        shown << (name.row ? eventWithYear(name.year, name.event) : name.event);
    }
    return shown.isEmpty() ? QString() : QStringLiteral("間違えやすい出来事：") + shown.join(QStringLiteral("、"));
}

void EventTallies::add(const JudgementRecord& record)
{
    const auto pupil = static_cast<size_t>(record.pupilNo);
    std::set<std::pair<EventId, EventId>> explained, ordered;
    const auto pair = [&](int i, int j) {
        const EventId a = record.rows[static_cast<size_t>(i)].event, b = record.rows[static_cast<size_t>(j)].event;
        return std::make_pair(std::min(a, b), std::max(a, b));
    };
    for (int i = 0; i < kRowsPerJudgement; ++i) {
        const RowOutcome& row = record.rows[static_cast<size_t>(i)];
        Count& c = counts_[row.event];
        if (c.asked.empty()) {
            c.asked.resize(kPupils);
            c.missed.resize(kPupils);
        }
        ++c.judged;
        c.asked[pupil] = true;
        if (row.wrong) {
            ++c.wrong;
            c.missed[pupil] = true;
        }
        if (row.confusedWith >= 0)
            explained.insert(pair(i, row.confusedWith));
        for (int j = i + 1; j < kRowsPerJudgement; ++j)
            if (row.against & (1u << j))
                ordered.insert(pair(i, j));
    }
    for (const auto& p : explained)
        ++pairs_[p].explanations;
    for (const auto& p : ordered)
        ++pairs_[p].order;
}

std::vector<EventLine> EventTallies::events(const std::unordered_map<EventId, EventName>& names) const
{
    std::vector<EventLine> lines;
    for (const auto& [id, c] : counts_) {
        EventLine line { 0, id, nameOf(id, names), c.judged, c.wrong, 0, 0 };
        line.pupils = static_cast<int>(std::count(c.asked.begin(), c.asked.end(), true));
        line.wrongPupils = static_cast<int>(std::count(c.missed.begin(), c.missed.end(), true));
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end(), [](const EventLine& a, const EventLine& b) {
        if (a.wrong != b.wrong)
            return a.wrong > b.wrong;
        if (a.judged != b.judged)
            return a.judged > b.judged;
        return before(a.name, a.id, b.name, b.id);
    });
    rank(lines, [](const EventLine& l) { return l.wrong; });
    return lines;
}

std::vector<PairLine> EventTallies::pairs(const std::unordered_map<EventId, EventName>& names) const
{
    struct Sorted {
        PairLine line;
        EventId firstId, secondId;
    };
    std::vector<Sorted> sorted;
    for (const auto& [ids, c] : pairs_) {
        EventName a = nameOf(ids.first, names), b = nameOf(ids.second, names);
        EventId aId = ids.first, bId = ids.second;
        if (before(b, bId, a, aId)) {
            std::swap(a, b);
            std::swap(aId, bId);
        }
        sorted.push_back({ PairLine { 0, a, b, c.explanations, c.order }, aId, bId });
    }
    std::sort(sorted.begin(), sorted.end(), [](const Sorted& x, const Sorted& y) {
        if (x.line.total() != y.line.total())
            return x.line.total() > y.line.total();
        if (x.line.explanations != y.line.explanations)
            return x.line.explanations > y.line.explanations;
        if (x.firstId != y.firstId)
            return before(x.line.first, x.firstId, y.line.first, y.firstId);
        return before(x.line.second, x.secondId, y.line.second, y.secondId);
    });
    std::vector<PairLine> lines;
    for (const Sorted& s : sorted)
        lines.push_back(s.line);
    rank(lines, [](const PairLine& l) { return l.total(); });
    return lines;
}

} // namespace kanameru::review
