// Keyboard play without a window: which label the arrows reach in each phase, what may be picked
// up, and what a drop, Escape and Enter ask of the form.
#include "drill/keycursor.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kanameru;

namespace {

// The phase a question is brought to before the keys are pressed.
enum class Phase { Explanations, WrongExplanations, Order, WrongOrder, Solved };

struct Flow {
    testing_support::FakePlatform fake;
    QuestionRows rows;
    AttemptClock clock { fake.clock };
    std::unique_ptr<AnswerFlow> flow;

    explicit Flow(Phase phase)
    {
        for (int r = 1; r <= 5; ++r) {
            reg.questionTable(r, 1) = QStringLiteral("1");
            reg.questionTable(r, 2) = QString::number(100 * r);
            reg.questionTable(r, 6) = QStringLiteral("出来事%1").arg(r);
            reg.questionTable(r, 8) = QStringLiteral("説明%1").arg(r);
        }
        reg.questionRowCount = 5;
        rows = *loadRows(1, QString());
        reg.questionsPerAttempt = kQuestionsPerAttempt;
        reg.solvedCount = 0;
        // Rows 1..5 in order, explanations 1 and 2 exchanged.
        for (double v : { 0.1, 0.3, 0.5, 0.7, 0.9, 0.1, 0.3 })
            fake.random.push(v);
        for (int k = 1; k < kExchangesPerShuffle; ++k)
            for (int n = 0; n < 2; ++n)
                fake.random.push(0.0);
        flow = std::make_unique<AnswerFlow>(rows, fake.random, clock);
        clock.start();
        flow->newQuestion();
        if (phase == Phase::WrongExplanations) {
            flow->judgeExplanations();
            return;
        }
        if (phase == Phase::Explanations)
            return;
        flow->startExplanationDrag(1);
        flow->dropOnExplanation(2);
        flow->judgeExplanations();
        if (phase == Phase::WrongOrder) {
            flow->startRowDrag(1);
            flow->dropOnEvent(2);
            flow->judgeOrder();
        } else if (phase == Phase::Solved) {
            flow->judgeOrder();
        }
    }
};

struct KeyCase {
    const char* name;
    Phase phase;
    std::vector<Qt::Key> keys;
    CursorAction::Type last; // what the last key asks
    CursorKind kind; // where the cursor stands afterwards
    int index;
    int picked;
    int dropFrom = 0, dropTo = 0; // of a last Drop
};

class KeyCursorKeys : public ::testing::TestWithParam<KeyCase> { };

TEST_P(KeyCursorKeys, MoveAndPickAsThePhaseAllows)
{
    const KeyCase& c = GetParam();
    Flow f(c.phase);
    KeyCursor cursor;
    CursorAction a;
    for (Qt::Key k : c.keys)
        a = cursor.key(k, *f.flow);
    EXPECT_EQ(a.type, c.last);
    EXPECT_EQ(cursor.kind(*f.flow), c.kind);
    EXPECT_EQ(cursor.index(), c.index);
    EXPECT_EQ(cursor.picked(), c.picked);
    if (c.last == CursorAction::Drop) {
        EXPECT_EQ(a.from, c.dropFrom);
        EXPECT_EQ(a.to, c.dropTo);
        EXPECT_EQ(a.kind, c.kind);
    }
}

using K = std::vector<Qt::Key>;
using A = CursorAction;
const CursorKind kExp = CursorKind::Explanation;
const CursorKind kEvt = CursorKind::Event;

INSTANTIATE_TEST_SUITE_P(Table, KeyCursorKeys,
    ::testing::Values(
        KeyCase { "DownMovesToTheNextExplanation", Phase::Explanations, K { Qt::Key_Down }, A::Moved, kExp, 2, 0 },
        KeyCase { "UpStopsAtTheFirst", Phase::Explanations, K { Qt::Key_Up }, A::Nothing, kExp, 1, 0 },
        KeyCase { "DownStopsAtTheFifth", Phase::Explanations, K(6, Qt::Key_Down), A::Nothing, kExp, 5, 0 },
        KeyCase { "EndAndHomeJump", Phase::Explanations, K { Qt::Key_End, Qt::Key_Home }, A::Moved, kExp, 1, 0 },
        KeyCase { "RightAndLeftMoveLikeDownAndUp", Phase::Order, K { Qt::Key_Right, Qt::Key_Right, Qt::Key_Left },
            A::Moved, kEvt, 2, 0 },
        KeyCase { "SpacePicksAnExplanationUp", Phase::Explanations, K { Qt::Key_Down, Qt::Key_Space }, A::PickUp, kExp,
            2, 2 },
        KeyCase { "ASecondSpaceDropsOnTheCursor", Phase::Explanations,
            K { Qt::Key_Space, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space }, A::Drop, kExp, 3, 0, 1, 3 },
        KeyCase { "EnterDropsALabelPickedUp", Phase::Order, K { Qt::Key_Space, Qt::Key_End, Qt::Key_Return }, A::Drop,
            kEvt, 5, 0, 1, 5 },
        KeyCase { "EscapePutsBack", Phase::Explanations, K { Qt::Key_Space, Qt::Key_Down, Qt::Key_Escape }, A::PutBack,
            kExp, 2, 0 },
        KeyCase { "EscapeWithNothingPickedDoesNothing", Phase::Order, K { Qt::Key_Escape }, A::Nothing, kEvt, 1, 0 },
        KeyCase { "EnterPressesJudge", Phase::Explanations, K { Qt::Key_Return }, A::PressButton, kExp, 1, 0 },
        KeyCase { "NoExplanationPickedAfterAWrongJudgement", Phase::WrongExplanations, K { Qt::Key_Space }, A::Nothing,
            kExp, 1, 0 },
        KeyCase { "EnterPressesRetry", Phase::WrongExplanations, K { Qt::Key_Enter }, A::PressButton, kExp, 1, 0 },
        KeyCase { "NoEventPickedWhileRetryShows", Phase::WrongOrder, K { Qt::Key_Down, Qt::Key_Space }, A::Nothing,
            kEvt, 2, 0 },
        KeyCase { "EventsArePickedInTheOrdering", Phase::Order, K { Qt::Key_Space }, A::PickUp, kEvt, 1, 1 },
        KeyCase { "EnterPressesNext", Phase::Solved, K { Qt::Key_Return }, A::PressButton, kEvt, 1, 0 },
        KeyCase { "OtherKeysDoNothing", Phase::Explanations, K { Qt::Key_A, Qt::Key_Tab }, A::Nothing, kExp, 1, 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyCursorPhase, ALabelPickedUpGoesBackWhenThePhaseEnds)
{
    Flow f(Phase::Explanations);
    KeyCursor cursor;
    cursor.key(Qt::Key_Space, *f.flow);
    ASSERT_EQ(cursor.picked(), 1);
    f.flow->judgeExplanations(); // wrong: "もう１度" shows
    const CursorAction a = cursor.key(Qt::Key_Space, *f.flow);
    EXPECT_EQ(a.type, CursorAction::PutBack);
    EXPECT_EQ(cursor.picked(), 0);
}

} // namespace
