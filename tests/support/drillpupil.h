#pragma once
// What the whole-road tests share: a small question table of level-1 events and a pupil who
// knows them and answers by dragging, as a real pupil does.
#include <QStringList>
#include <functional>

class QWidget;

namespace kanameru {
class MainFrm;
}

namespace testing_support {

// Eight level-1 events in chronological order, as clear lines of the question file.
extern const QStringList kSampleQuestionRows;

// Stores the sample rows as the installation's question file; false if it cannot be written.
bool storeSampleQuestions();
// Starts level 1 (timed, no flash cards) on the sample questions as the board's start button
// does, and returns the drill form (nullptr if none opened).
kanameru::MainFrm* startSampleDrill();

// How the pupil drags one label onto another and clicks a button.
using DragHand = std::function<void(QWidget* from, QWidget* onto)>;
using ClickHand = std::function<void(QWidget* button)>;

// The same hands on the keyboard: the cursor (Home, Down) to a label, Space to pick it up, the
// cursor to the other label, Space to drop it there; Enter presses the phase button on show.
DragHand keysDrag(kanameru::MainFrm* form);
ClickHand enterKey(kanameru::MainFrm* form);

// Drags each explanation onto its event, presses "判定", then drags the events into
// chronological order; by default with the form driver's drag and click.
void answerKnowingTheEvents(kanameru::MainFrm* form, const DragHand& drag = {}, const ClickHand& click = {});

} // namespace testing_support
