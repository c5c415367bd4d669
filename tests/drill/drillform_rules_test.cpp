// The rules of the drill without a window: rows of a level, the year axis, making and judging a
// question, penalties, the attempt clock and its limit, the lamps and how an attempt ends.
#include "drill/answerflow.h"
#include "drill/attemptrules.h"
#include "drill/drillrules.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace kanameru;
using testing_support::FakeClock;
using testing_support::FakePlatform;

namespace {

// Puts clear lines "level,year,,,,event,,explanation" into the question table.
void fillTable(const std::vector<std::tuple<QString, QString, QString, QString>>& lines)
{
    int r = 0;
    for (const auto& [level, year, event, explanation] : lines) {
        ++r;
        reg.questionTable(r, 1) = level;
        reg.questionTable(r, 2) = year;
        reg.questionTable(r, 6) = event;
        reg.questionTable(r, 8) = explanation;
    }
    reg.questionRowCount = static_cast<qint16>(r);
}

// n rows of level 1, years 100, 200, ..., event "出来事k", explanation "説明k".
void fillRows(int n)
{
    std::vector<std::tuple<QString, QString, QString, QString>> lines;
    for (int k = 1; k <= n; ++k)
        lines.emplace_back(QStringLiteral("1"), QString::number(100 * k), QStringLiteral("出来事%1").arg(k),
            QStringLiteral("説明%1").arg(k));
    fillTable(lines);
}

// Random values that draw the given rows out of `usable` and then the given screen-row pairs.
void pushRows(testing_support::FakeRandom& random, int usable, std::initializer_list<int> rows)
{
    for (int r : rows)
        random.push((r - 0.5) / usable);
}
void pushPairs(testing_support::FakeRandom& random, std::initializer_list<std::pair<int, int>> pairs)
{
    int n = 0;
    for (auto [a, b] : pairs) {
        random.push((a - 0.5) / 5);
        random.push((b - 0.5) / 5);
        ++n;
    }
    for (; n < kExchangesPerShuffle; ++n) {
        random.push(0.0);
        random.push(0.0);
    }
}

// ---- Rows of a level ---------------------------------------------------------------------

struct LevelCase {
    int level;
    int usable;
    QStringList events; // kept in file order
};

class RowsOfLevel : public ::testing::TestWithParam<LevelCase> { };

TEST_P(RowsOfLevel, KeepsRowsUpToTheLevelInFileOrder)
{
    FakePlatform fake;
    fillTable({ { "1", "57", "A", "a" }, { "2", "239", "B", "b" }, { "3", "538", "C", "c" }, { "", "", "", "" },
        { "1", "645", "D", "d" }, { " 2 ", "710", "E", "e" } });
    const Result<QuestionRows> rows = loadRows(GetParam().level, QStringLiteral("q.ccc"));
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->usableRowCount, GetParam().usable);
    QStringList events;
    for (int r = 1; r <= rows->usableRowCount; ++r)
        events << rows->rowEvent[r];
    EXPECT_EQ(events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Levels, RowsOfLevel,
    ::testing::Values(LevelCase { 0, 0, {} }, LevelCase { 1, 2, { "A", "D" } },
        LevelCase { 2, 4, { "A", "B", "D", "E" } }, LevelCase { 3, 5, { "A", "B", "C", "D", "E" } }));

TEST(RowsOfLevelErrors, ALevelThatIsNoNumberNamesFileAndLine)
{
    FakePlatform fake;
    fillTable({ { "1", "57", "A", "a" }, { "1", "239", "B", "b" }, { "二", "538", "C", "c" } });
    const Result<QuestionRows> rows = loadRows(3, QStringLiteral("/x/q.ccc"));
    ASSERT_FALSE(rows.ok());
    EXPECT_EQ(rows.error().line, 3);
    EXPECT_EQ(rows.error().path, QStringLiteral("/x/q.ccc"));
    EXPECT_TRUE(rows.error().reason.contains(QStringLiteral("二")));
}

// ---- The year axis ------------------------------------------------------------------------

struct YearCase {
    const char* yearText;
    double top; // with the axis at 100, 400 high, the "紀元前" area 80 high
};

class YearAxisPosition : public ::testing::TestWithParam<YearCase> { };

TEST_P(YearAxisPosition, PlacesTheYear)
{
    const double year = leadingNumber(QString::fromUtf8(GetParam().yearText));
    EXPECT_DOUBLE_EQ(yearPosition(year, 100, 400, 80), GetParam().top) << GetParam().yearText;
}

INSTANTIATE_TEST_SUITE_P(Years, YearAxisPosition,
    ::testing::Values(YearCase { "1000", 300 }, YearCase { "2000", 500 }, YearCase { "1192年", 338.4 },
        YearCase { "1", 100.2 }, YearCase { "0", 100 }, YearCase { "平安", 100 }, YearCase { "-2500", 60 },
        YearCase { "-5000", 20 }, YearCase { "-9000", 20 }, YearCase { "2500", 500 }));

// ---- Making a question --------------------------------------------------------------------

TEST(MakeQuestion, DrawsFiveDistinctRowsAndOrdersTheAnswerByRowIndex)
{
    FakePlatform fake;
    fillRows(10);
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    const QuestionRows& rows = *loaded;
    // Row 7, then 7 again (taken: drawn anew), 2, 9, 2 again, 4, 1.
    pushRows(fake.random, 10, { 7, 7, 2, 9, 2, 4, 1 });
    pushPairs(fake.random, {});
    const std::optional<Question> q = Question::make(rows, fake.random);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->pickedRows(), (std::array<int, 5> { 7, 2, 9, 4, 1 }));
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(q->row(i).rowIndex, q->pickedRows()[i - 1]);
        EXPECT_EQ(q->row(i).event, rows.rowEvent[q->row(i).rowIndex]);
    }
    const std::array<int, 5> answer { q->answerRow(1), q->answerRow(2), q->answerRow(3), q->answerRow(4),
        q->answerRow(5) };
    EXPECT_EQ(answer, (std::array<int, 5> { 1, 2, 4, 7, 9 }));
}

TEST(MakeQuestion, FewerThanFiveRowsGiveNoQuestion)
{
    FakePlatform fake;
    fillRows(4);
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_FALSE(Question::make(*loaded, fake.random));
}

TEST(MakeQuestion, ASourceThatKeepsRepeatingStillEndsWithFiveDistinctRows)
{
    FakePlatform fake;
    fillRows(5);
    fake.random.push(0.5); // then 0.5 for ever
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    const std::optional<Question> q = Question::make(*loaded, fake.random);
    ASSERT_TRUE(q);
    std::array<int, 5> picked = q->pickedRows();
    std::sort(picked.begin(), picked.end());
    EXPECT_EQ(picked, (std::array<int, 5> { 1, 2, 3, 4, 5 }));
}

TEST(MakeQuestion, TheExplanationsAreExchangedAsDrawn)
{
    FakePlatform fake;
    fillRows(5);
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    const QuestionRows& rows = *loaded;
    pushRows(fake.random, 5, { 1, 2, 3, 4, 5 });
    pushPairs(fake.random, { { 1, 2 }, { 2, 3 }, { 4, 4 } });
    const std::optional<Question> q = Question::make(rows, fake.random);
    ASSERT_TRUE(q);
    const QStringList expected { "説明2", "説明3", "説明1", "説明4", "説明5" };
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(q->row(i).explanation, expected[i - 1]);
    const auto right = q->explanationsRight(rows);
    EXPECT_EQ(right, (std::array<bool, 5> { false, false, false, true, true }));
}

// ---- Judging ------------------------------------------------------------------------------

struct Answering {
    FakePlatform fake;
    QuestionRows rows;
    AttemptClock clock { fake.clock };
    std::unique_ptr<AnswerFlow> flow;

    // Rows drawn 1..5 in this order; explanations exchanged by `pairs`.
    explicit Answering(std::initializer_list<std::pair<int, int>> pairs = {}, int rowCount = 5)
    {
        fillRows(rowCount);
        Result<QuestionRows> loaded = loadRows(1, QString());
        if (!loaded) // fails this test alone instead of ending the test program
            throw std::runtime_error(loaded.error().message().toStdString());
        rows = *loaded;
        reg.questionsPerAttempt = kQuestionsPerAttempt;
        pushRows(fake.random, rowCount, { 3, 1, 5, 2, 4 });
        pushPairs(fake.random, pairs);
        flow = std::make_unique<AnswerFlow>(rows, fake.random, clock);
        clock.start();
        EXPECT_TRUE(flow->newQuestion());
    }
    // Drags explanations until every row holds its own.
    void placeExplanations()
    {
        for (int i = 1; i <= 5; ++i) {
            const QString want = rows.rowExplanation[flow->question().row(i).rowIndex];
            for (int j = 1; j <= 5; ++j) {
                if (flow->question().row(j).explanation == want) {
                    EXPECT_TRUE(flow->startExplanationDrag(j));
                    EXPECT_TRUE(flow->dropOnExplanation(i));
                    break;
                }
            }
        }
    }
    // Drags rows into ascending row order.
    void orderRows()
    {
        for (int i = 1; i <= 5; ++i) {
            for (int j = i; j <= 5; ++j) {
                if (flow->question().row(j).rowIndex == flow->question().answerRow(i)) {
                    EXPECT_TRUE(flow->startRowDrag(j));
                    EXPECT_TRUE(flow->dropOnEvent(i));
                    break;
                }
            }
        }
    }
    double penalty() const { return clock.reading() - reg.attemptStartSeconds; }
};

TEST(Judging, ThreeWrongExplanationsAndTwoWrongOrdersAdd35Seconds)
{
    Answering a { { 1, 2 } };
    for (int k = 0; k < 3; ++k) {
        a.fake.random.push(0.0); // the retry's exchanges leave the rows as they are
        const Judgement j = a.flow->judgeExplanations();
        EXPECT_EQ(j.sound, JudgementSound::Wrong);
        EXPECT_EQ(a.flow->button(), PhaseButton::RetryExplanations);
        EXPECT_EQ(a.flow->dragPhase(), 3);
        EXPECT_FALSE(a.flow->startExplanationDrag(1)) << "explanations are locked after a wrong judgement";
        a.flow->retryExplanations();
    }
    EXPECT_DOUBLE_EQ(a.penalty(), 15);
    a.placeExplanations();
    EXPECT_EQ(a.flow->judgeExplanations().sound, JudgementSound::Right);
    EXPECT_EQ(a.flow->button(), PhaseButton::JudgeOrder);
    for (int k = 0; k < 2; ++k) {
        const Judgement j = a.flow->judgeOrder(); // drawn order 3,1,5,2,4 is wrong
        EXPECT_EQ(j.sound, JudgementSound::Wrong);
        EXPECT_EQ(a.flow->panelCaption(), QStringLiteral("正解は"));
        EXPECT_EQ(a.flow->panelColour(), kRed);
        a.fake.random.push(0.0);
        a.flow->retryOrder();
    }
    EXPECT_DOUBLE_EQ(a.penalty(), 35);
    EXPECT_EQ(reg.solvedCount, 0);
}

TEST(Judging, ColoursEachExplanationRightOrWrong)
{
    Answering a { { 1, 2 } };
    a.flow->judgeExplanations();
    const std::array<unsigned, 5> expected { kRed, kRed, kGreen, kGreen, kGreen };
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(a.flow->explanationColour(i), expected[i - 1]) << i;
}

TEST(Judging, APartlyRightOrderColoursRowsAndIsNotSolved)
{
    Answering a;
    a.flow->judgeExplanations();
    a.orderRows();
    a.flow->startRowDrag(4);
    a.flow->dropOnEvent(5);
    const Judgement j = a.flow->judgeOrder();
    EXPECT_EQ(j.sound, JudgementSound::Wrong);
    const std::array<unsigned, 5> expected { kGreen, kGreen, kGreen, kRed, kRed };
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(a.flow->eventColour(i), expected[i - 1]) << i;
    EXPECT_FALSE(a.flow->startRowDrag(1)) << "the shown answer cannot be dragged into place";
    EXPECT_DOUBLE_EQ(a.penalty(), 10);
}

TEST(Judging, TwoEventsOfTheSameYearFollowTheirRowOrder)
{
    FakePlatform fake;
    fillTable({ { "1", "607", "小野妹子を隋に派遣", "x" }, { "1", "607", "法隆寺の建立", "y" },
        { "1", "645", "C", "z" }, { "1", "701", "D", "w" }, { "1", "710", "E", "v" } });
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    const QuestionRows& rows = *loaded;
    pushRows(fake.random, 5, { 2, 1, 3, 4, 5 });
    pushPairs(fake.random, {});
    std::optional<Question> q = Question::make(rows, fake.random);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->orderRight(), (std::array<bool, 5> { false, false, true, true, true }));
    q->exchangeRows(1, 2);
    EXPECT_EQ(q->orderRight(), (std::array<bool, 5> { true, true, true, true, true }));
}

TEST(Judging, TwoEventsWithTheSameExplanationAcceptEitherPlacement)
{
    FakePlatform fake;
    fillTable({ { "1", "1", "A", "同じ説明" }, { "1", "2", "B", "同じ説明" }, { "1", "3", "C", "c" },
        { "1", "4", "D", "d" }, { "1", "5", "E", "e" } });
    const Result<QuestionRows> loaded = loadRows(1, QString());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    const QuestionRows& rows = *loaded;
    pushRows(fake.random, 5, { 1, 2, 3, 4, 5 });
    pushPairs(fake.random, { { 1, 2 } });
    const std::optional<Question> q = Question::make(rows, fake.random);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->explanationsRight(rows), (std::array<bool, 5> { true, true, true, true, true }));
}

TEST(Dragging, ADropOfTheOtherKindChangesNothing)
{
    Answering a { { 1, 2 } };
    const ScreenRow before1 = a.flow->question().row(1);
    const ScreenRow before2 = a.flow->question().row(2);
    ASSERT_TRUE(a.flow->startExplanationDrag(1));
    EXPECT_FALSE(a.flow->dropOnEvent(2));
    EXPECT_FALSE(a.flow->startRowDrag(1)) << "rows cannot be dragged in the explanation phase";
    EXPECT_FALSE(a.flow->dropOnExplanation(2)) << "no drag under way";
    EXPECT_EQ(a.flow->question().row(1).explanation, before1.explanation);
    EXPECT_EQ(a.flow->question().row(2).explanation, before2.explanation);
    EXPECT_EQ(a.flow->question().row(1).event, before1.event);
}

TEST(Dragging, ARowDropMovesTheWholeRowAndOntoItselfNothing)
{
    Answering a;
    a.flow->judgeExplanations();
    const ScreenRow first = a.flow->question().row(1);
    const ScreenRow fourth = a.flow->question().row(4);
    ASSERT_TRUE(a.flow->startRowDrag(1));
    a.flow->dropOnEvent(1);
    EXPECT_EQ(a.flow->question().row(1).event, first.event);
    ASSERT_TRUE(a.flow->startRowDrag(1));
    a.flow->dropOnEvent(4);
    const ScreenRow& moved = a.flow->question().row(4);
    EXPECT_EQ(moved.rowIndex, first.rowIndex);
    EXPECT_EQ(moved.year, first.year);
    EXPECT_EQ(moved.event, first.event);
    EXPECT_EQ(moved.explanation, first.explanation);
    EXPECT_EQ(a.flow->question().row(1).event, fourth.event);
}

TEST(Solving, TheFifthSolvedQuestionEndsTheAttemptWithoutNext)
{
    Answering a;
    reg.currentLevel = 1;
    reg.levelTitles[1] = QStringLiteral("ﾚﾍﾞﾙ1");
    reg.levelIsTimed[1] = 1;
    for (int question = 1; question <= 5; ++question) {
        a.fake.clock.advance(6); // six seconds for each question
        if (question > 1) {
            pushRows(a.fake.random, 5, { 5, 4, 3, 2, 1 });
            pushPairs(a.fake.random, { { 2, 5 } });
            ASSERT_TRUE(a.flow->newQuestion());
        }
        a.placeExplanations();
        ASSERT_EQ(a.flow->judgeExplanations().sound, JudgementSound::Right);
        EXPECT_EQ(a.flow->instruction(), orderInstruction());
        a.orderRows();
        const Judgement j = a.flow->judgeOrder();
        EXPECT_EQ(j.sound, JudgementSound::Right);
        EXPECT_EQ(a.flow->panelCaption(), QStringLiteral("正解です"));
        EXPECT_EQ(reg.solvedCount, question);
        EXPECT_EQ(j.attemptSolved, question == 5);
        EXPECT_EQ(a.flow->button(), question == 5 ? PhaseButton::None : PhaseButton::Next);
        EXPECT_EQ(a.flow->instruction(), question == 5 ? orderInstruction() : nextInstruction());
    }
    EXPECT_EQ(reg.allSolved, 1);
    EXPECT_DOUBLE_EQ(a.penalty(), 30); // the time taken and no penalty
    // The sound that greets the last answer plays before the attempt is recorded; its time is
    // not the pupil's.
    a.fake.clock.advance(2);
    EXPECT_EQ(beginFinish(a.clock), FinishRoute::Record);
    EXPECT_EQ(reg.attemptResult, 30);
}

// ---- The attempt clock, the limit and the lamps ------------------------------------------

TEST(AttemptClockTest, CountsOnPastMidnight)
{
    FakePlatform fake;
    fake.clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 50)));
    AttemptClock clock(fake.clock);
    clock.start();
    fake.clock.advance(25);
    EXPECT_EQ(clock.elapsed(), 25);
    clock.penalty(5);
    EXPECT_EQ(clock.elapsed(), 30);
}

struct RoundCase {
    double after;
    qint32 elapsed;
};
class AttemptClockRounding : public ::testing::TestWithParam<RoundCase> { };
TEST_P(AttemptClockRounding, RoundsHalvesToEven)
{
    FakePlatform fake;
    AttemptClock clock(fake.clock);
    clock.start();
    fake.clock.advance(GetParam().after);
    EXPECT_EQ(clock.elapsed(), GetParam().elapsed);
}
INSTANTIATE_TEST_SUITE_P(Halves, AttemptClockRounding,
    ::testing::Values(RoundCase { 2.5, 2 }, RoundCase { 3.5, 4 }, RoundCase { 3.49, 3 }, RoundCase { 0.5, 0 }));

struct LimitCase {
    qint32 elapsed;
    qint16 allSolved;
    qint16 finishing;
    bool barFull;
    bool timeUp;
};
class TimeLimit : public ::testing::TestWithParam<LimitCase> { };
TEST_P(TimeLimit, TheTimeIsUpAtExactlyTheLimit)
{
    FakePlatform fake;
    reg.currentLevel = 2;
    reg.levelTargetB[2] = 12; // limit 60 s
    setTimeLimit();
    ASSERT_EQ(reg.timeBarSeconds, 60);
    AttemptClock clock(fake.clock);
    clock.start();
    reg.allSolved = GetParam().allSolved;
    reg.finishing = GetParam().finishing;
    fake.clock.advance(GetParam().elapsed);
    const Tick t = tickAttempt(clock);
    EXPECT_EQ(t.elapsed, GetParam().elapsed);
    EXPECT_EQ(reg.elapsedSeconds, GetParam().elapsed);
    EXPECT_EQ(t.barFull, GetParam().barFull);
    EXPECT_EQ(t.timeUp, GetParam().timeUp);
    EXPECT_EQ(reg.timeUp, GetParam().timeUp ? 1 : 0);
}
INSTANTIATE_TEST_SUITE_P(Limit, TimeLimit,
    ::testing::Values(LimitCase { 59, 0, 0, false, false }, LimitCase { 60, 0, 0, true, true },
        LimitCase { 75, 0, 0, true, true }, LimitCase { 60, 1, 0, true, false }, LimitCase { 60, 0, 1, true, false }));

TEST(TimeLimitWithoutSecondTarget, NeverEndsTheAttempt)
{
    FakePlatform fake;
    reg.currentLevel = 1;
    setTimeLimit();
    AttemptClock clock(fake.clock);
    clock.start();
    fake.clock.advance(5000);
    EXPECT_FALSE(tickAttempt(clock).timeUp);
}

struct LampCase {
    qint32 elapsed;
    int passLit; // lamps 30..39 still lit after every second up to `elapsed`
};
class PassLamps : public ::testing::TestWithParam<LampCase> { };
TEST_P(PassLamps, OneRedLampGoesOutEachSecondFrom51To60)
{
    CountdownLamps lamps;
    for (qint32 s = 1; s <= GetParam().elapsed; ++s)
        lamps.update(s, 60, 1000, 0, 0);
    int lit = 0;
    for (int i = 30; i < 40; ++i)
        lit += lamps.lit(i) ? 1 : 0;
    EXPECT_EQ(lit, GetParam().passLit);
    for (int i = 30; i < 30 + 10 - GetParam().passLit; ++i)
        EXPECT_FALSE(lamps.lit(i)) << "lamps go out from the left, lamp " << i;
    for (int i = 10; i < 30; ++i)
        EXPECT_TRUE(lamps.lit(i)) << "rows without a threshold stay lit, lamp " << i;
}
INSTANTIATE_TEST_SUITE_P(Seconds, PassLamps,
    ::testing::Values(LampCase { 50, 10 }, LampCase { 51, 9 }, LampCase { 55, 5 }, LampCase { 59, 1 },
        LampCase { 60, 0 }, LampCase { 70, 0 }));

TEST(PassLamps, APenaltyJumpPutsOutEveryLampPassed)
{
    CountdownLamps lamps;
    lamps.update(50, 60, 1000, 0, 0);
    lamps.update(56, 60, 1000, 0, 0);
    for (int i = 30; i <= 35; ++i)
        EXPECT_FALSE(lamps.lit(i)) << i;
    EXPECT_TRUE(lamps.lit(36));
}

TEST(PassLamps, APenaltyJumpOverTheTargetPutsOutTheWholeRow)
{
    CountdownLamps lamps;
    lamps.update(52, 60, 1000, 0, 0);
    lamps.update(67, 60, 1000, 0, 0);
    for (int i = 30; i <= 39; ++i)
        EXPECT_FALSE(lamps.lit(i)) << i;
}

TEST(PassLamps, TheSecondTargetPutsOutTheLampOfItsSecond)
{
    CountdownLamps lamps;
    lamps.update(31, 1000, 40, 0, 0);
    EXPECT_FALSE(lamps.lit(30));
    EXPECT_TRUE(lamps.lit(31));
    lamps.update(40, 1000, 40, 0, 0);
    EXPECT_FALSE(lamps.lit(39));
    EXPECT_TRUE(lamps.lit(38)) << "a second skipped by a penalty leaves its lamp of this rule lit";
}

// ---- Strip values and the end of an attempt ----------------------------------------------

TEST(Strip, MinutesSinceThePupilStartCountOnPastMidnight)
{
    FakePlatform fake;
    reg.pupilStartSeconds = 86400 - 150;
    EXPECT_EQ(minutesSincePupilStart(86400 - 30), 2);
    EXPECT_EQ(minutesSincePupilStart(100), 4);
}

TEST(Strip, TodaysTotalAddsLevelsOneToFifteen)
{
    FakePlatform fake;
    reg.currentPupilNo = 7;
    reg.todayCount(0, 7) = 9;
    reg.todayCount(1, 7) = 2;
    reg.todayCount(15, 7) = 3;
    reg.todayCount(16, 7) = 4;
    reg.todayCount(2, 8) = 5;
    EXPECT_EQ(todayTotalOfPupil(), 5);
}

struct FinishCase {
    const char* title;
    qint16 timed;
    qint16 timeUp;
    FinishRoute route;
    qint32 result;
};
class Finishing : public ::testing::TestWithParam<FinishCase> { };
TEST_P(Finishing, DecidesTheRouteAndTheResult)
{
    FakePlatform fake;
    reg.currentLevel = 3;
    reg.levelTitles[3] = QString::fromUtf8(GetParam().title);
    reg.levelIsTimed[3] = GetParam().timed;
    reg.timeUp = GetParam().timeUp;
    reg.attemptResult = -1;
    AttemptClock clock(fake.clock);
    clock.start();
    fake.clock.advance(42);
    clock.penalty(5); // given after the last tick: still counted
    reg.elapsedSeconds = 40;
    EXPECT_EQ(beginFinish(clock), GetParam().route);
    EXPECT_EQ(reg.finishing, 1);
    EXPECT_EQ(reg.attemptResult, GetParam().result);
    EXPECT_EQ(beginFinish(clock), FinishRoute::AlreadyFinishing);
}
INSTANTIATE_TEST_SUITE_P(Routes, Finishing,
    ::testing::Values(FinishCase { "ﾚﾍﾞﾙ3", 1, 0, FinishRoute::Record, 47 },
        FinishCase { "ﾚﾍﾞﾙ3", 1, 1, FinishRoute::Record, kTimeOut },
        FinishCase { "練習", 1, 0, FinishRoute::BackToBoard, -1 },
        FinishCase { "全体－練", 1, 1, FinishRoute::BackToBoard, -1 },
        FinishCase { "ﾚﾍﾞﾙ3", 0, 0, FinishRoute::BackToBoard, -1 }));

} // namespace
