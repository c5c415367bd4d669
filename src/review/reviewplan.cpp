#include "review/reviewplan.h"

#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kanameru::review {

namespace {

// Rows by event (the first row of an event that stands twice).
std::unordered_map<EventId, int> rowsByEvent(const QuestionRows& rows)
{
    std::unordered_map<EventId, int> byEvent;
    for (int r = 1; r <= rows.usableRowCount; ++r)
        byEvent.emplace(eventId(rows.rowYear[r], rows.rowEvent[r]), r);
    return byEvent;
}

std::vector<int> rowsOf(const std::vector<EventId>& ids, const std::unordered_map<EventId, int>& byEvent)
{
    std::vector<int> out;
    for (EventId id : ids)
        if (const auto at = byEvent.find(id); at != byEvent.end())
            out.push_back(at->second);
    return out;
}

int draw(int count, platform::RandomSource& random)
{
    return std::clamp(static_cast<int>(std::floor(count * random.next())), 0, count - 1);
}

} // namespace

int dueInRows(const PupilEvents& events, const QuestionRows& rows, int day)
{
    return static_cast<int>(rowsOf(events.dueOn(day), rowsByEvent(rows)).size());
}

ReviewPlan planReview(const PupilEvents& events, const QuestionRows& rows, int day, platform::RandomSource& random)
{
    ReviewPlan plan;
    const auto byEvent = rowsByEvent(rows);
    const std::vector<int> due = rowsOf(events.dueOn(day), byEvent);
    plan.dueCount = static_cast<int>(due.size());
    const int questions = std::min({ (plan.dueCount + kEventsPerQuestion - 1) / kEventsPerQuestion, kMaxReviewQuestions,
        rows.usableRowCount / kEventsPerQuestion });
    if (plan.dueCount == 0 || questions < 1)
        return plan;
    const size_t wanted = static_cast<size_t>(questions) * kEventsPerQuestion;

    std::vector<int> chosen;
    std::vector<bool> taken(static_cast<size_t>(rows.usableRowCount) + 1, false);
    const auto take = [&](int r) {
        if (chosen.size() < wanted && !taken[static_cast<size_t>(r)]) {
            taken[static_cast<size_t>(r)] = true;
            chosen.push_back(r);
        }
    };
    for (int r : due)
        take(r);
    for (int r : rowsOf(events.comingAfter(day), byEvent))
        take(r);
    // Then other events of the levels he has played; should they run out, any other events.
    for (const bool ofPlayedLevels : { true, false }) {
        std::vector<int> others;
        for (int r = 1; r <= rows.usableRowCount; ++r)
            if (!taken[static_cast<size_t>(r)] && (!ofPlayedLevels || rows.rowLevel[r] <= events.highestLevel()))
                others.push_back(r);
        while (chosen.size() < wanted && !others.empty()) {
            const int at = draw(static_cast<int>(others.size()), random);
            take(others[static_cast<size_t>(at)]);
            others.erase(others.begin() + at);
        }
    }
    // Each question's events in a drawn order, so that their order tells nothing.
    for (int q = 0; q < questions; ++q) {
        std::array<int, kEventsPerQuestion> rowsOfQuestion {};
        std::copy_n(chosen.begin() + q * kEventsPerQuestion, kEventsPerQuestion, rowsOfQuestion.begin());
        for (int i = kEventsPerQuestion - 1; i > 0; --i)
            std::swap(rowsOfQuestion[static_cast<size_t>(i)], rowsOfQuestion[static_cast<size_t>(draw(i + 1, random))]);
        plan.questions.push_back(rowsOfQuestion);
    }
    return plan;
}

QString nothingDueText()
{
    return QStringLiteral("今日、復習する出来事はありません。\n間違えた出来事は、次の日から復習に出てきます。");
}

} // namespace kanameru::review
