// The end screen's decisions: its texts, its announcement, the cap rule and "もう一度".
#include "endscreen/endscreenrules.h"
#include "endscreen/startdrill.h"
#include "results/results.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// ---- Points line -----------------------------------------------------------------------------

struct PointsCase {
    qint32 result;
    qint32 target;
    float factor;
    const char* line;
};

class PointsLineTest : public ::testing::TestWithParam<PointsCase> { };

TEST_P(PointsLineTest, ShowsPointsFactorAndTotalInShortestForm)
{
    const PointsCase& c = GetParam();
    EXPECT_EQ(pointsLine(c.result, c.target, c.factor), u(c.line)) << c.result << " / " << c.target;
}

INSTANTIATE_TEST_SUITE_P(Table, PointsLineTest,
    ::testing::Values(
        // At the target with factor 1: 5 points.
        PointsCase { 100, 100, 1.0f, "獲得ポイント：5点×1→5点" },
        // A result of 0 earns the most.
        PointsCase { 0, 100, 1.0f, "獲得ポイント：55点×1→55点" },
        PointsCase { 50, 100, 1.0f, "獲得ポイント：11点×1→11点" },
        // Above the target: 4 below twice, 1 below ten times, then nothing.
        PointsCase { 101, 100, 1.0f, "獲得ポイント：4点×1→4点" },
        PointsCase { 199, 100, 1.0f, "獲得ポイント：4点×1→4点" },
        PointsCase { 200, 100, 1.0f, "獲得ポイント：1点×1→1点" },
        PointsCase { 999, 100, 1.0f, "獲得ポイント：1点×1→1点" },
        PointsCase { 1000, 100, 1.0f, "獲得ポイント：0点×1→0点" },
        // A time-out earns nothing.
        PointsCase { 99999, 100, 1.0f, "獲得ポイント：0点×1→0点" },
        PointsCase { 99998, 100000, 1.0f, "獲得ポイント：0点×1→0点" },
        // The end screen takes the whole result, not its first three digits.
        PointsCase { 1100, 1200, 1.0f, "獲得ポイント：5点×1→5点" },
        // A factor of one and a half is written 1.5; the product is cut to a whole number.
        PointsCase { 100, 100, 1.5f, "獲得ポイント：5点×1.5→7点" },
        PointsCase { 0, 100, 2.0f, "獲得ポイント：55点×2→110点" },
        // Single floats are written as they were given, and multiplied as such:
        // 10 x 0.7 is 7 (the single nearest 0.7 lies below it).
        PointsCase { 52, 100, 0.7f, "獲得ポイント：10点×0.7→7点" },
        PointsCase { 50, 100, 1.1f, "獲得ポイント：11点×1.1→12点" },
        PointsCase { 100, 100, 0.0f, "獲得ポイント：5点×0→0点" },
        // A level without a target gives no points rather than dividing by zero.
        PointsCase { 0, 0, 1.0f, "獲得ポイント：0点×1→0点" }));

TEST(FactoredPoints, TakesTheFactorAsWritten)
{
    struct Case {
        int points;
        float factor;
        int expected;
    } cases[]
        = { { 100, 0.29f, 29 }, { 10, 0.7f, 7 }, { 30, 0.1f, 3 }, { 55, 1.5f, 82 }, { 5, 1.0f, 5 }, { 11, 0.5f, 5 } };
    for (const Case& c : cases)
        EXPECT_EQ(factoredPoints(c.points, c.factor), c.expected) << c.points << " x " << c.factor;
}

// The points the screen shows are the points the results file counts for the attempt.
TEST(FactoredPoints, AgreeWithThePointsOfTheResultsForResultsBelowAThousand)
{
    FakePlatform fake;
    // The singles nearest 2.1, 4.2 and 1.06 lie below them: 30 x 2.1 must still be 63.
    const float factors[] = { 1.0f, 1.5f, 0.7f, 2.0f, 1.1f, 2.1f, 4.2f, 1.06f, 2.36f };
    for (float factor : factors) {
        reg.levelTarget[4] = 100;
        reg.levelPointFactor[4] = factor;
        for (qint32 result : { 0, 1, 3, 13, 20, 41, 50, 52, 99, 100, 101, 150, 199, 200, 999, 99999 })
            EXPECT_EQ(factoredPoints(basePoints(result, 100), factor), attemptPoints(result, 4))
                << result << " x " << factor;
    }
}

// ---- Result, counts ------------------------------------------------------------------------

TEST(ResultLine, ShowsSecondsOrNoRecord)
{
    struct Case {
        qint32 result;
        const char* text;
    } cases[] = { { 42, "今の成績：42秒" }, { 0, "今の成績：0秒" }, { 99997, "今の成績：99997秒" },
        { 99998, "記録なし" }, { 99999, "記録なし" } };
    for (const Case& c : cases)
        EXPECT_EQ(resultLine(c.result), u(c.text)) << c.result;
}

TEST(CountLines, WriteTheCountsAsTheScreenShowsThem)
{
    EXPECT_EQ(provisionalLevelCountText(0), u("1"));
    EXPECT_EQ(provisionalLevelCountText(2), u("3"));
    EXPECT_EQ(levelCountLine(3), u(" (このレベル　3回目)"));
    EXPECT_EQ(levelCountLine(12), u(" (このレベル　12回目)"));
    EXPECT_EQ(totalCountLine(7), u("（7回目)"));
    EXPECT_EQ(totalCountLine(0), u("（0回目)"));
}

// ---- Announcement --------------------------------------------------------------------------

struct AnnouncementCase {
    qint16 timeUp, overall, personal;
    qint32 result, targetB;
    Announcement expected;
    const char* text;
};

class AnnouncementTest : public ::testing::TestWithParam<AnnouncementCase> { };

TEST_P(AnnouncementTest, TestsTimeUpThenOverallThenPersonalThenGood)
{
    const AnnouncementCase& c = GetParam();
    const Announcement a = chooseAnnouncement(c.timeUp, c.overall, c.personal, c.result, c.targetB);
    EXPECT_EQ(a, c.expected);
    EXPECT_EQ(announcementText(a), u(c.text));
}

INSTANTIATE_TEST_SUITE_P(Table, AnnouncementTest,
    ::testing::Values(AnnouncementCase { 1, 0, 0, 99999, 60, Announcement::TimeUp, "時間切れ" },
        // A time-out wins over any flag left set.
        AnnouncementCase { 1, 1, 1, 99999, 60, Announcement::TimeUp, "時間切れ" },
        // The overall record wins over the personal one (a first attempt sets both).
        AnnouncementCase { 0, 1, 1, 30, 60, Announcement::OverallRecord, "！！！最高新記録！！！" },
        AnnouncementCase { 0, 1, 0, 90, 60, Announcement::OverallRecord, "！！！最高新記録！！！" },
        AnnouncementCase { 0, 0, 1, 70, 60, Announcement::PersonalRecord, "新記録おめでとう" },
        // Within the second target: a sound, no text.
        AnnouncementCase { 0, 0, 0, 60, 60, Announcement::GoodResult, "" },
        AnnouncementCase { 0, 0, 0, 12, 60, Announcement::GoodResult, "" },
        AnnouncementCase { 0, 0, 0, 61, 60, Announcement::None, "" }));

// ---- "もう一度" ----------------------------------------------------------------------------

struct AgainCase {
    bool cap, cleared, target, targetCleared;
    bool offer;
    ClearedNote note;
};

class AgainTest : public ::testing::TestWithParam<AgainCase> { };

TEST_P(AgainTest, OnlyACappedClearedLevelBeforeTheTargetSendsThePupilOn)
{
    const AgainCase& c = GetParam();
    const AgainDecision d = decideAgain(c.cap, c.cleared, c.target, c.targetCleared);
    EXPECT_EQ(d.offerAgain, c.offer);
    EXPECT_EQ(d.note, c.note);
}

INSTANTIATE_TEST_SUITE_P(Table, AgainTest,
    ::testing::Values(AgainCase { false, false, false, false, true, ClearedNote::Keep },
        AgainCase { false, true, false, false, true, ClearedNote::Keep },
        AgainCase { false, true, true, false, true, ClearedNote::Keep },
        AgainCase { true, false, false, false, true, ClearedNote::Keep },
        AgainCase { true, false, true, true, true, ClearedNote::Keep },
        AgainCase { true, true, true, false, true, ClearedNote::ClearAndHide },
        AgainCase { true, true, true, true, true, ClearedNote::ClearAndHide },
        AgainCase { true, true, false, false, false, ClearedNote::NextLevel },
        AgainCase { true, true, false, true, true, ClearedNote::Keep }));

TEST(NextLevelText, IsTheScreensOwnText)
{
    EXPECT_EQ(nextLevelText(), u("次のレベルへ進みましょう"));
}

// ---- Reading the register ------------------------------------------------------------------

struct CapCase {
    AnyValue countCap, pointsCap;
    qint16 count;
    qint32 points;
    bool reached;
};

TEST(CapReached, CountsByAttemptsOrByPointsAndACapOfZeroIsNone)
{
    const CapCase cases[] = {
        { AnyValue(), AnyValue(), 500, 9000, false }, // unset caps
        { AnyValue(0), AnyValue(0), 500, 9000, false }, { AnyValue(5), AnyValue(0), 4, 9000, false },
        { AnyValue(5), AnyValue(0), 5, 0, true }, { AnyValue(0), AnyValue(100), 50, 99, false },
        { AnyValue(0), AnyValue(100), 0, 100, true }, { AnyValue(5), AnyValue(100), 1, 100, true },
        { AnyValue(QStringLiteral("5")), AnyValue(0), 5, 0, true }, // numeric text compares as a number
    };
    for (const CapCase& c : cases) {
        FakePlatform fake;
        reg.levelCapCount[2] = c.countCap;
        reg.levelCapPoints[2] = c.pointsCap;
        reg.capCount(2, 7) = c.count;
        reg.capPoints(2, 7) = c.points;
        EXPECT_EQ(capReached(2, 7), c.reached) << c.count << " " << c.points;
        // Another pupil's and another level's numbers do not count.
        EXPECT_FALSE(capReached(2, 8));
        EXPECT_FALSE(capReached(3, 7));
    }
}

TEST(SumTodayCount, AddsLevelsOneToThirtyFiveOfThePupilOnly)
{
    FakePlatform fake;
    reg.todayCount(1, 7) = 2;
    reg.todayCount(16, 7) = 3; // beyond level 15: still counted here
    reg.todayCount(35, 7) = 1;
    reg.todayCount(0, 7) = 40; // level 0 is no level of the board
    reg.todayCount(1, 8) = 9; // another pupil
    EXPECT_EQ(sumTodayCount(7), 6);
    EXPECT_EQ(sumTodayCount(8), 9);
    EXPECT_EQ(sumTodayCount(9), 0);
}

TEST(TargetLevel, ComparesAsANumberAndUnsetIsNoLevel)
{
    FakePlatform fake;
    EXPECT_FALSE(isTargetLevel(3));
    reg.targetLevel = AnyValue(3);
    EXPECT_TRUE(isTargetLevel(3));
    EXPECT_FALSE(isTargetLevel(2));
    reg.targetLevel = AnyValue(QStringLiteral("2"));
    EXPECT_TRUE(isTargetLevel(2));
}

TEST(DrillSetWithoutEnd, AnyLevelNeedingNineThousandNineHundredNinetyNine)
{
    FakePlatform fake;
    EXPECT_FALSE(drillSetWithoutEnd());
    reg.levelRequiredCount[0] = 9999; // level 0 is not looked at
    EXPECT_FALSE(drillSetWithoutEnd());
    reg.levelRequiredCount[35] = 9999;
    EXPECT_TRUE(drillSetWithoutEnd());
}

// ---- The whole screen ----------------------------------------------------------------------

// Level 3 is the target; levels 1..3 have targets 60/90 s, factor 1.
void setUpDrillSet()
{
    reg.drillSetTitle = u("カナメル");
    reg.targetLevel = AnyValue(3);
    for (int k = 1; k <= 3; ++k) {
        reg.levelTitles[k] = u("レベル%1").arg(k);
        reg.levelTarget[k] = 60;
        reg.levelTargetB[k] = 90;
        reg.levelPointFactor[k] = 1;
        reg.levelRequiredCount[k] = 3;
        reg.levelPassPoints[k] = 15;
    }
    reg.currentPupilNo = 12;
    reg.currentPupilName = u("山田　花子          ");
}

TEST(PlanEndScreen, ATimeOutShowsNoRecordZeroPointsAndTimeUp)
{
    FakePlatform fake;
    setUpDrillSet();
    reg.currentLevel = 2;
    reg.attemptResult = kTimeOut;
    reg.timeUp = 1;
    reg.todayCount(2, 12) = 0; // a time-out is no completed attempt
    reg.todayCount(1, 12) = 2;
    const EndScreenPlan plan = planEndScreen(false);
    EXPECT_EQ(plan.result, u("記録なし"));
    EXPECT_EQ(plan.points, u("獲得ポイント：0点×1→0点"));
    EXPECT_EQ(plan.announcement, Announcement::TimeUp);
    EXPECT_EQ(plan.levelCount, u(" (このレベル　0回目)"));
    EXPECT_EQ(plan.totalCount, u("（2回目)"));
    EXPECT_EQ(plan.todayTotalCount, 2);
    EXPECT_FALSE(plan.cleared);
    EXPECT_FALSE(plan.showPanel);
    EXPECT_FALSE(plan.playClearedSound);
}

TEST(PlanEndScreen, FillsTheLabelsFromTheRegister)
{
    FakePlatform fake;
    setUpDrillSet();
    reg.currentLevel = 1;
    reg.attemptResult = 45;
    reg.todayCount(1, 12) = 3;
    reg.todayCount(2, 12) = 1;
    const EndScreenPlan plan = planEndScreen(false);
    EXPECT_EQ(plan.title, u("カナメル"));
    EXPECT_EQ(plan.levelTitle, u("レベル1"));
    EXPECT_EQ(plan.pupilName, u("山田　花子"));
    EXPECT_EQ(plan.result, u("今の成績：45秒"));
    EXPECT_EQ(plan.points, u("獲得ポイント：5点×1→5点"));
    EXPECT_EQ(plan.levelCount, u(" (このレベル　3回目)"));
    EXPECT_EQ(plan.totalCount, u("（4回目)"));
    EXPECT_EQ(plan.announcement, Announcement::GoodResult);
}

struct ClearedCase {
    const char* what;
    int level;
    bool cleared;
    qint16 alreadyCleared;
    bool endlessLevel;
    bool panel, sound;
};

class ClearedPlanTest : public ::testing::TestWithParam<ClearedCase> { };

TEST_P(ClearedPlanTest, PanelAndSoundOnlyForTheTargetLevel)
{
    const ClearedCase& c = GetParam();
    FakePlatform fake;
    setUpDrillSet();
    reg.currentLevel = static_cast<qint16>(c.level);
    reg.attemptResult = 50;
    reg.alreadyCleared = c.alreadyCleared;
    if (c.endlessLevel)
        reg.levelRequiredCount[20] = 9999;
    const EndScreenPlan plan = planEndScreen(c.cleared);
    EXPECT_EQ(plan.cleared, c.cleared) << c.what;
    EXPECT_EQ(plan.showPanel, c.panel) << c.what;
    EXPECT_EQ(plan.playClearedSound, c.sound) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, ClearedPlanTest,
    ::testing::Values(ClearedCase { "target cleared the first time", 3, true, 0, false, true, true },
        ClearedCase { "target cleared again", 3, true, 1, false, true, false },
        ClearedCase { "a drill set without end: sound, no panel", 3, true, 0, true, false, true },
        ClearedCase { "another level cleared", 2, true, 0, false, false, false },
        ClearedCase { "target not cleared", 3, false, 0, false, false, false }));

// ---- startDrill ----------------------------------------------------------------------------

TEST(StartDrill, ClearsEveryAttemptFlagBeforeTheDrillFormOpens)
{
    FakePlatform fake;
    reg.allSolved = 1;
    reg.finishing = 1;
    reg.timeUp = 1;
    reg.solvedCount = 5;
    reg.elapsedSeconds = 77;
    reg.newPersonalBest = 1;
    reg.newOverallBest = 1;
    reg.currentLevel = 2;
    int opened = 0;
    screens().showDrillForm = [&] {
        ++opened;
        EXPECT_EQ(reg.allSolved, 0);
        EXPECT_EQ(reg.finishing, 0);
        EXPECT_EQ(reg.timeUp, 0);
        EXPECT_EQ(reg.solvedCount, 0);
        EXPECT_EQ(reg.elapsedSeconds, 0);
        EXPECT_EQ(reg.newPersonalBest, 0);
        EXPECT_EQ(reg.newOverallBest, 0);
        EXPECT_EQ(reg.currentLevel, 2); // the level chosen stays
    };
    startDrill();
    EXPECT_EQ(opened, 1);
}

} // namespace
