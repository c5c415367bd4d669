#include "review/schedule.h"

#include <algorithm>

namespace kanameru::review {

void applyOutcome(EventState& state, bool wrong, int day)
{
    ++state.judged;
    if (wrong) {
        ++state.wrong;
        state.lastWrongDay = day;
        state.box = 1;
        state.dueDay = day + kBoxIntervals[0];
        return;
    }
    if (!state.dueOn(day))
        return;
    if (state.box == kLastBox) {
        state.box = 0;
        state.dueDay = 0;
        return;
    }
    state.box += 1;
    state.dueDay = day + kBoxIntervals[static_cast<size_t>(state.box - 1)];
}

void PupilEvents::apply(const JudgementRecord& record)
{
    const int day = record.day();
    for (const RowOutcome& row : record.rows) {
        EventState& state = events_[row.event];
        applyOutcome(state, row.wrong, day);
        if (record.kind == Kind::Drill)
            state.levels |= quint64 { 1 } << record.level;
    }
    if (record.kind == Kind::Drill)
        highestLevel_ = std::max<int>(highestLevel_, record.level);
}

const EventState* PupilEvents::find(EventId id) const
{
    const auto at = events_.find(id);
    return at == events_.end() ? nullptr : &at->second;
}

namespace {

std::vector<EventId> sortedBySchedule(const std::unordered_map<EventId, EventState>& events, auto keep)
{
    std::vector<std::pair<EventId, const EventState*>> chosen;
    for (const auto& [id, state] : events)
        if (keep(state))
            chosen.emplace_back(id, &state);
    std::sort(chosen.begin(), chosen.end(), [](const auto& a, const auto& b) {
        if (a.second->dueDay != b.second->dueDay)
            return a.second->dueDay < b.second->dueDay;
        if (a.second->box != b.second->box)
            return a.second->box < b.second->box;
        return a.first < b.first;
    });
    std::vector<EventId> ids;
    ids.reserve(chosen.size());
    for (const auto& c : chosen)
        ids.push_back(c.first);
    return ids;
}

} // namespace

std::vector<EventId> PupilEvents::dueOn(int day) const
{
    return sortedBySchedule(events_, [day](const EventState& s) { return s.dueOn(day); });
}

std::vector<EventId> PupilEvents::comingAfter(int day) const
{
    return sortedBySchedule(events_, [day](const EventState& s) { return s.inSchedule() && !s.dueOn(day); });
}

void PupilEvents::clear()
{
    events_.clear();
    highestLevel_ = 0;
}

} // namespace kanameru::review
