// The attempt lists, the period windows and the column texts of the board.
#include "board/attemptlists.h"
#include "board/boardtexts.h"
#include "platform/clock.h"
#include "qstringprint.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

struct PeriodCase {
    QDate date;
    int choice;
    int days;
};

TEST(PeriodDays, CountFromMondayAndCoverWholeWeeksOnSunday)
{
    const QDate monday(2026, 12, 7), tuesday(2026, 12, 8), saturday(2026, 12, 12), sunday(2026, 12, 13);
    const PeriodCase cases[] = {
        { monday, 1, 1 },
        { tuesday, 1, 2 },
        { saturday, 1, 6 },
        { sunday, 1, 7 },
        { monday, 2, 8 },
        { sunday, 2, 14 },
        { monday, 3, 30 },
        { sunday, 4, 365 },
        { monday, 5, 3650 },
        { monday, 0, 3650 },
        { saturday, 2, 13 },
    };
    for (const PeriodCase& c : cases)
        EXPECT_EQ(periodDaysFor(c.choice, c.date), c.days) << c.date.toString().toStdString() << " " << c.choice;
}

struct PiecesCase {
    qint32 result;
    const char* seconds;
    QTime time;
    const char* hoursMinutes;
};

TEST(AttemptPieces, CutTimesAndClockReadingsToTheirWidths)
{
    const PiecesCase cases[] = {
        { 45, "  45秒", QTime(9, 5, 3), "09:05" },
        { 0, "   0秒", QTime(0, 0, 0), "00:00" },
        { 1234, "1234秒", QTime(13, 59, 59), "13:59" },
        { 123456, "3456秒", QTime(23, 1, 0), "23:01" },
    };
    for (const PiecesCase& c : cases) {
        EXPECT_EQ(attemptSeconds(c.result), QString::fromUtf8(c.seconds));
        const double dayTime = c.time.msecsSinceStartOfDay() / 86400000.0;
        EXPECT_EQ(attemptHoursMinutes(dayTime), QString::fromUtf8(c.hoursMinutes));
    }
    EXPECT_EQ(attemptMonthDay(platform::dayCount(QDate(2026, 3, 9))), QStringLiteral("03/09"));
    EXPECT_EQ(attemptName(QStringLiteral("  山田　太郎  ")), QStringLiteral("山田　太郎"));
    EXPECT_EQ(attemptName(QStringLiteral("林")), QStringLiteral("林　　　　"));
    EXPECT_EQ(attemptPointsText(55), QStringLiteral("   55"));
}

// A school of three pupils: 1 in grade 5 (the current pupil), 2 in grade 8, 3 in grade 2.
class AttemptListTest : public ::testing::Test {
protected:
    FakePlatform platform;
    QDate today { 2026, 12, 7 };

    void SetUp() override
    {
        platform.clock.set(QDateTime(today, QTime(15, 0)));
        reg.schoolYear = AnyValue(2026);
        reg.levelCount = 3;
        for (int level = 1; level <= 35; ++level) {
            reg.levelTarget[static_cast<size_t>(level)] = 60;
            reg.levelPointFactor[static_cast<size_t>(level)] = 1;
        }
        const int grades[] = { 5, 8, 2 };
        const char* names[] = { "山田　太郎", "佐藤花子", "林" };
        // Listed in the order 1, 2, 3 at positions 1, 2, 3.
        for (int p = 1; p <= 3; ++p) {
            reg.pupilNames[static_cast<size_t>(p)] = QString::fromUtf8(names[p - 1]);
            reg.pupilBirthYear[static_cast<size_t>(p)] = static_cast<qint16>(2026 - 6 - grades[p - 1]);
            reg.boardPupilNos[static_cast<size_t>(p)] = AnyValue(p);
        }
        reg.boardPupilCount = AnyValue(3);
    }
    LoadedResult attempt(int pupil, int level, qint32 result, QDate date, QTime time = QTime(10, 30, 0))
    {
        LoadedResult a;
        a.date = platform::dayCount(date);
        a.time = time.msecsSinceStartOfDay() / 86400000.0;
        a.pupilNo = static_cast<qint16>(pupil);
        a.level = static_cast<qint16>(level);
        a.result = result;
        return a;
    }
    AttemptListOptions options(
        AttemptListKind kind, int periodDays = 3650, const QString& choice = QStringLiteral("全学年"))
    {
        AttemptListOptions o;
        o.kind = kind;
        o.levelCount = reg.levelCount;
        o.gradeChoice = choice;
        o.currentPupil = 1;
        o.today = today;
        o.todayDayCount = platform::dayCount(today);
        o.periodDays = periodDays;
        return o;
    }
};

TEST_F(AttemptListTest, TodaysListShowsTodaysAttemptsWithOwnMarksOnBothSides)
{
    const std::vector<LoadedResult> attempts = {
        attempt(1, 1, 30, today, QTime(9, 5, 59)), attempt(2, 1, 60, today, QTime(14, 20, 0)),
        attempt(3, 2, 99999, today, QTime(8, 0, 0)), attempt(1, 1, 20, today.addDays(-1)), attempt(2, 3, 150, today),
        attempt(2, 4, 150, today), // a level without a column
        attempt(0, 1, 150, today), // no pupil
    };
    const std::vector<QStringList> lists = attemptLists(attempts, options(AttemptListKind::Today));
    ASSERT_EQ(lists.size(), 4u);
    EXPECT_EQ(lists[1],
        (QStringList { QStringLiteral("  30秒 09:05●山田　太郎●11"), QStringLiteral("  60秒 14:20Ⅱ佐藤花子　Ⅱ5") }));
    EXPECT_EQ(lists[2], QStringList { QStringLiteral("　　× 08:00②林　　　　②") });
    EXPECT_EQ(lists[3], QStringList { QStringLiteral(" 150秒 10:30Ⅱ佐藤花子　Ⅱ1") });
}

TEST_F(AttemptListTest, PeriodListsShowTimesOrPointsFirst)
{
    const std::vector<LoadedResult> attempts = {
        attempt(1, 1, 0, QDate(2026, 3, 9)),
        attempt(2, 1, 99999, QDate(2026, 11, 30)),
        attempt(3, 2, 61, today),
    };
    const std::vector<QStringList> times = attemptLists(attempts, options(AttemptListKind::PeriodTimes));
    EXPECT_EQ(times[1],
        (QStringList { QStringLiteral("   0秒 03/09●山田　太郎●55"), QStringLiteral("　　× 11/30Ⅱ佐藤花子　Ⅱ") }));
    EXPECT_EQ(times[2], QStringList { QStringLiteral("  61秒 12/07②林　　　　②4") });
    const std::vector<QStringList> points = attemptLists(attempts, options(AttemptListKind::PeriodPoints));
    EXPECT_EQ(points[1],
        (QStringList { QStringLiteral("   55 03/09●山田　太郎●0秒"), QStringLiteral("　　× 11/30Ⅱ佐藤花子　Ⅱ") }));
    EXPECT_EQ(points[2], QStringList { QStringLiteral("    4 12/07②林　　　　②61秒") });
}

TEST_F(AttemptListTest, EachAttemptShowsItsOwnPointsBeforeTheLevelsFactor)
{
    // Level 1 aims at 60 seconds with a factor of 1.5; level 2 at 1200 seconds.
    reg.levelPointFactor[1] = 1.5f;
    reg.levelTarget[2] = 1200;
    struct Case {
        int level;
        qint32 result;
        int points;
    };
    const Case cases[] = {
        { 1, 60, 5 }, { 1, 30, 11 }, { 1, 0, 55 }, { 1, 61, 4 }, { 1, 119, 4 }, { 1, 120, 1 }, { 1, 599, 1 },
        { 1, 600, 0 }, { 2, 1100, 5 }, // the whole result, not its first three digits
    };
    for (const Case& c : cases) {
        const std::vector<LoadedResult> attempts = { attempt(2, c.level, c.result, today) };
        const std::vector<QStringList> lists = attemptLists(attempts, options(AttemptListKind::Today));
        ASSERT_EQ(lists[static_cast<size_t>(c.level)].size(), 1) << c.result;
        const QString line = lists[static_cast<size_t>(c.level)].first();
        EXPECT_TRUE(line.endsWith(QStringLiteral("Ⅱ") + QString::number(c.points))) << line.toStdString();
        const std::vector<QStringList> points = attemptLists(attempts, options(AttemptListKind::PeriodPoints));
        EXPECT_EQ(points[static_cast<size_t>(c.level)].first().left(5), attemptPointsText(c.points)) << c.result;
    }
}

TEST_F(AttemptListTest, ThePeriodWindowTheGradeFilterAndTheColumnsDecideWhatIsListed)
{
    // Monday 7 December: "this week" is today only; "this and last week" reaches back to 30 November.
    const std::vector<LoadedResult> attempts = {
        attempt(1, 1, 10, today), attempt(1, 1, 11, today.addDays(-1)), // Sunday
        attempt(1, 1, 12, today.addDays(-7)), // last Monday
        attempt(1, 1, 13, today.addDays(-8)), attempt(2, 1, 14, today), // grade 8
        attempt(1, 4, 15, today), // a level without a column
        attempt(0, 1, 16, today), // no pupil
        attempt(4999, 0, 17, today), // level 0
    };
    struct Case {
        int days;
        const char* choice;
        QStringList firstPieces;
    };
    const Case cases[] = {
        { periodDaysFor(1, today), "全学年", { "  10秒", "  14秒" } },
        { periodDaysFor(2, today), "全学年", { "  10秒", "  11秒", "  12秒", "  14秒" } },
        { periodDaysFor(2, today), "小学生全体", { "  10秒", "  11秒", "  12秒" } },
        { periodDaysFor(5, today), "中２", { "  14秒" } },
        { periodDaysFor(5, today), "高１", {} },
    };
    for (const Case& c : cases) {
        const std::vector<QStringList> lists
            = attemptLists(attempts, options(AttemptListKind::PeriodTimes, c.days, QString::fromUtf8(c.choice)));
        QStringList pieces;
        for (const QString& line : lists[1])
            pieces.append(line.left(5));
        EXPECT_EQ(pieces, c.firstPieces) << c.days << c.choice;
        EXPECT_TRUE(lists[2].isEmpty() && lists[3].isEmpty());
    }
}

TEST_F(AttemptListTest, AttemptsAreNamedThroughTheListedPositionOfTheirNumber)
{
    // The roster lists pupil 40 first and pupil 7 second; pupil 99 is no longer listed.
    reg.boardPupilNos[1] = AnyValue(40);
    reg.boardPupilNos[2] = AnyValue(7);
    reg.boardPupilCount = AnyValue(2);
    const std::vector<LoadedResult> attempts
        = { attempt(7, 1, 30, today), attempt(40, 1, 60, today), attempt(99, 1, 70, today) };
    const std::vector<QStringList> all = attemptLists(attempts, options(AttemptListKind::Today));
    EXPECT_EQ(all[1],
        (QStringList { QStringLiteral("  30秒 10:30Ⅱ佐藤花子　Ⅱ11"), QStringLiteral("  60秒 10:30⑤山田　太郎⑤5"),
            QStringLiteral("  70秒 10:30　　　　　　4") }));
    const std::vector<QStringList> elementary
        = attemptLists(attempts, options(AttemptListKind::Today, 3650, QStringLiteral("小学生全体")));
    EXPECT_EQ(elementary[1].size(), 1);
}

TEST(ColumnGeometry, FourColumnsShareTheWidthAndFiveScroll)
{
    struct Case {
        int levels, width, maximum;
        bool scroll;
    };
    const Case cases[] = { { 1, 14592, 0, false }, { 3, 4864, 0, false }, { 4, 3648, 0, false }, { 5, 3456, 2, true },
        { 35, 3456, 32, true } };
    for (const Case& c : cases) {
        EXPECT_EQ(columnWidth(c.levels), c.width);
        EXPECT_EQ(scrollMaximum(c.levels), c.maximum);
        EXPECT_EQ(needsScrollBar(c.levels), c.scroll);
    }
    // Scrolled by two columns: columns 1 and 2 stack at the left edge, column 3 is first.
    EXPECT_EQ(columnLeft(1, 2, 6, 120), 120);
    EXPECT_EQ(columnLeft(2, 2, 6, 120), 120);
    EXPECT_EQ(columnLeft(3, 2, 6, 120), 120);
    EXPECT_EQ(columnLeft(4, 2, 6, 120), 120 + 3456);
    EXPECT_EQ(columnLeft(4, 0, 6, 120), 120 + 3 * 3456);
}

TEST(ColumnTexts, ShowTargetsSummariesAndTheStartKey)
{
    FakePlatform platform;
    reg.levelTarget[1] = 60;
    reg.levelPassPoints[1] = 100;
    reg.levelRequiredCount[1] = 5;
    reg.levelPointFactor[1] = 1.5f;
    reg.levelTarget[2] = 45;
    reg.levelPassPoints[2] = 9999;
    reg.levelRecentDays[1] = AnyValue(28);
    reg.recentCount(1, 7) = 3;
    reg.recentPoints(1, 7) = 42;
    reg.todayCount(1, 7) = 2;
    reg.todayPoints(1, 7) = 15;
    reg.totalCount(1, 7) = 12;
    reg.totalPoints(1, 7) = 300;
    EXPECT_EQ(targetLine(1), QStringLiteral("目標=60秒 5回/100点(×1.5)"));
    EXPECT_EQ(targetLine(2), QStringLiteral("目標=45秒 --------"));
    EXPECT_EQ(recentLine(1, 7), QStringLiteral("最近28日=3回 / 42点"));
    EXPECT_EQ(todaySummary(1, 7), QStringLiteral("2回/15点"));
    EXPECT_EQ(totalSummary(1, 7), QStringLiteral("12回/300点"));
    EXPECT_EQ(todaySummary(2, 7), QStringLiteral("-----"));
    EXPECT_EQ(totalSummary(2, 7), QStringLiteral("------"));
    EXPECT_EQ(startCaption(3), QStringLiteral("ｽﾀｰﾄ(&3)"));
    EXPECT_EQ(floatText(0.8f), QStringLiteral("0.8"));
}

TEST(BoardFigures, MinutesTodaysTotalAndTheTargetLevel)
{
    FakePlatform platform;
    EXPECT_EQ(minutesSinceStart(3600 + 59.9, 3600), 0);
    EXPECT_EQ(minutesSinceStart(3600 + 125, 3600), 2);
    EXPECT_EQ(minutesSinceStart(120, 86400 - 180), 5); // chosen three minutes before midnight
    reg.levelCount = 3;
    reg.todayCount(1, 4) = 2;
    reg.todayCount(3, 4) = 1;
    reg.todayCount(4, 4) = 9; // not a column of the board, but an attempt of today all the same
    reg.todayCount(0, 4) = 5; // level 0 is no level of the drill
    EXPECT_EQ(todayTotal(4), 12);
    reg.targetLevel = AnyValue(3);
    reg.levelPassPoints[3] = 50;
    reg.levelRequiredCount[3] = 2;
    reg.recentPoints(3, 4) = 50;
    reg.recentCount(3, 4) = 1;
    EXPECT_EQ(targetLevelClearedFor(4), 0);
    reg.recentCount(3, 4) = 2;
    EXPECT_EQ(targetLevelClearedFor(4), 1);
    reg.recentPoints(3, 4) = 49;
    EXPECT_EQ(targetLevelClearedFor(4), 0);
    EXPECT_EQ(instructionLines().size(), 22);
}

} // namespace
