#pragma once
// The questions of a pupil's review (復習). Its events are, in this order: the events due today
// (the longest due first), his other events in the schedule (the soonest due first), then other
// events of the levels he has played, drawn at random; five to a question, one question for
// every five events due (at least one, at most five). Only events the question file holds can
// be asked; a review with nothing due has no questions.
#include "drill/drillrules.h"
#include "review/schedule.h"

#include <array>
#include <vector>

namespace platform {
class RandomSource;
}

namespace kanameru::review {

constexpr int kMaxReviewQuestions = 5;

struct ReviewPlan {
    int dueCount = 0; // events due that the question file holds
    // Rows of the question rows (1-based), five distinct ones per question, in screen order.
    std::vector<std::array<int, kEventsPerQuestion>> questions;
};

// The events due on `day` that `rows` hold.
int dueInRows(const PupilEvents& events, const QuestionRows& rows, int day);

// `rows` are the rows of every level, in the question file's order.
ReviewPlan planReview(const PupilEvents& events, const QuestionRows& rows, int day, platform::RandomSource& random);

// What the review button says when nothing is due.
QString nothingDueText();

} // namespace kanameru::review
