#pragma once
// What the whole-road tests share: a small question table of level-1 events and a pupil who
// knows them and answers by dragging, as a real pupil does.
#include <QStringList>

namespace kanameru {
class MainFrm;
}

namespace testing_support {

// Eight level-1 events in chronological order, as clear lines of the question file.
extern const QStringList kSampleQuestionRows;

// Drags each explanation onto its event, presses "判定", then drags the events into
// chronological order.
void answerKnowingTheEvents(kanameru::MainFrm* form);

} // namespace testing_support
