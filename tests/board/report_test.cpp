// The per-pupil report: page layout, rows, graph points, the pupil list and its grades.
#include "board/report.h"
#include "qstringprint.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

TEST(ReportLayout, ThreeSectionsToAPageThenANewPage)
{
    const std::vector<std::vector<double>> expected[] = {
        {},
        { { 0.05 } },
        { { 0.05, 0.35 } },
        { { 0.05, 0.35, 0.65 } },
        { { 0.05, 0.35, 0.65 }, { 0.05 } },
        { { 0.05, 0.35, 0.65 }, { 0.05, 0.35, 0.65 }, { 0.05 } },
    };
    const int counts[] = { 0, 1, 2, 3, 4, 7 };
    for (size_t i = 0; i < std::size(counts); ++i) {
        const auto pages = reportLayout(counts[i]);
        ASSERT_EQ(pages.size(), expected[i].size()) << counts[i];
        for (size_t p = 0; p < pages.size(); ++p) {
            ASSERT_EQ(pages[p].size(), expected[i][p].size());
            for (size_t s = 0; s < pages[p].size(); ++s)
                EXPECT_NEAR(pages[p][s], expected[i][p][s], 1e-9);
        }
    }
}

TEST(PupilListItem, TheNumberAfterTheLastSlashNamesThePupil)
{
    const std::pair<const char*, int> cases[] = { { "小５ /  山田太郎/12", 12 }, { "中１ /  A/B/7", 7 }, { "/ 3", 3 },
        { "名前だけ", 0 }, { "小１ /  林/", 0 } };
    for (const auto& [item, no] : cases)
        EXPECT_EQ(pupilNoOfItem(QString::fromUtf8(item)), no) << item;
}

LoadedResult attempt(int pupil, int level, qint32 result)
{
    LoadedResult a;
    a.pupilNo = static_cast<qint16>(pupil);
    a.level = static_cast<qint16>(level);
    a.result = result;
    return a;
}

class ReportTest : public ::testing::Test {
protected:
    FakePlatform platform;
    void SetUp() override
    {
        reg.schoolYear = AnyValue(2026);
        reg.levelCount = 3;
        reg.drillSetTitle = QStringLiteral("カナメル");
        reg.levelTitles[1] = QStringLiteral("ﾚﾍﾞﾙ1");
        const char* names[] = { "山田太郎", "鈴木一郎", "林" };
        for (int p = 1; p <= 3; ++p) {
            reg.pupilNames[static_cast<size_t>(p)] = QString::fromUtf8(names[p - 1]);
            reg.pupilBirthYear[static_cast<size_t>(p)] = 2015;
            reg.boardPupilNos[static_cast<size_t>(p)] = AnyValue(p);
            reg.bestScore(1, p) = kTimeOut;
        }
        reg.boardPupilCount = AnyValue(3);
    }
    ReportRequest request(int pupil)
    {
        ReportRequest r;
        r.pupil = pupil;
        r.pupilName = reg.pupilNames[static_cast<size_t>(pupil)];
        r.levels = { 1 };
        r.levelCount = 3;
        r.gradeChoice = QStringLiteral("全学年");
        return r;
    }
};

TEST_F(ReportTest, RowsShowCountsBestAndAverageRanksAndPoints)
{
    reg.bestScore(1, 1) = 90;
    reg.bestScore(1, 2) = 60;
    reg.totalPoints(1, 1) = 40;
    reg.totalPoints(1, 2) = 20;
    const std::vector<LoadedResult> attempts = { attempt(1, 1, 100), attempt(2, 1, 60), attempt(1, 1, 90),
        attempt(1, 1, 99999), attempt(1, 2, 10), attempt(2, 1, 2000) };
    const ReportFigures figures = reportFigures(1, 1, QStringLiteral("全学年"));
    EXPECT_EQ(figures.timeRank, 2);
    EXPECT_EQ(figures.pointsRank, 1);
    EXPECT_EQ(figures.points, 40);
    EXPECT_EQ(figures.pointsSum, 60);
    EXPECT_EQ(figures.pointsCount, 2);
    const ReportSection section = buildReportSection(request(1), 1, 0.05, figures, attempts);
    EXPECT_EQ(section.name, QStringLiteral("山田太郎"));
    EXPECT_EQ(section.title, QStringLiteral("カナメル ﾚﾍﾞﾙ1"));
    EXPECT_EQ(section.rows,
        (QStringList {
            QStringLiteral("回数　　　　　　　  2回"),
            QStringLiteral("タイム  　　 　    本人 / 全体"),
            QStringLiteral("　　順位　　　　    2位"),
            QStringLiteral("　　最高　　　　    90 /    60秒"),
            QStringLiteral("　　平均　　　　    95 /    83秒"),
            QStringLiteral("ポイント  　　　"),
            QStringLiteral("　　順位　　　　    1位"),
            QStringLiteral("　　獲得ポイント    40点"),
            QStringLiteral("　　　　　　　　　　　　/    30点"),
            QStringLiteral("　　　　　　　　　　　　 (全平均)"),
        }));
}

TEST_F(ReportTest, ShorterTimesAreRedNewBestsAndLaterAttemptsStandFurtherRight)
{
    const qint32 times[] = { 100, 120, 90, 95, 60 };
    std::vector<LoadedResult> attempts;
    for (qint32 t : times)
        attempts.push_back(attempt(1, 1, t));
    attempts.push_back(attempt(2, 1, 10)); // another pupil's attempt is not drawn
    const ReportSection section = buildReportSection(request(1), 1, 0.35, ReportFigures {}, attempts);
    ASSERT_EQ(section.points.size(), 5u);
    const bool red[] = { true, false, true, false, true };
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(section.points[i].best, red[i]) << i;
        EXPECT_NEAR(section.points[i].x, 0.5 * (0.2 + 0.7 * static_cast<double>(i + 1) / 5), 1e-9);
        EXPECT_NEAR(section.points[i].y, 0.35 + (0.8 - 0.7 * times[i] / 200.0) / 3, 1e-9);
    }
}

TEST_F(ReportTest, APupilWithoutABestTimeHasNoRankInTime)
{
    reg.bestScore(1, 1) = 90;
    reg.bestScore(1, 2) = 60;
    reg.totalPoints(1, 1) = 40;
    const struct {
        int pupil;
        int timeRank;
        int pointsRank;
        const char* timeRankRow;
    } cases[] = { { 2, 1, 2, "　　順位　　　　    1位" }, { 1, 2, 1, "　　順位　　　　    2位" },
        { 3, 0, 2, "　　順位　　　　     位" } };
    for (const auto& c : cases) {
        const ReportFigures figures = reportFigures(1, c.pupil, QStringLiteral("全学年"));
        EXPECT_EQ(figures.timeRank, c.timeRank) << c.pupil;
        EXPECT_EQ(figures.pointsRank, c.pointsRank) << c.pupil;
        const ReportSection section = buildReportSection(request(c.pupil), 1, 0.05, figures, {});
        EXPECT_EQ(section.rows.value(2), QString::fromUtf8(c.timeRankRow)) << c.pupil;
    }
}

TEST_F(ReportTest, TheCountStandsUnderTheRanksAndKeepsEveryDigit)
{
    const struct {
        int attempts;
        const char* row;
    } cases[] = { { 1, "回数　　　　　　　  1回" }, { 12, "回数　　　　　　　 12回" },
        { 123, "回数　　　　　　　123回" }, { 1234, "回数　　　　　　　1234回" } };
    for (const auto& c : cases) {
        const std::vector<LoadedResult> attempts(static_cast<size_t>(c.attempts), attempt(1, 1, 70));
        const ReportSection section = buildReportSection(request(1), 1, 0.05, ReportFigures {}, attempts);
        EXPECT_EQ(section.rows.value(0), QString::fromUtf8(c.row)) << c.attempts;
    }
}

TEST_F(ReportTest, TheAllPupilsAverageOfPointsIsRoundedToTheNearestPoint)
{
    const struct {
        qint64 sum;
        int count;
        const char* row;
    } cases[] = { { 60, 2, "    30点" }, { 65, 2, "    33点" }, { 31, 3, "    10点" }, { 17, 3, "     6点" },
        { 3, 2, "     2点" }, { 1, 3, "     0点" } };
    for (const auto& c : cases) {
        ReportFigures figures;
        figures.pointsSum = c.sum;
        figures.pointsCount = c.count;
        const ReportSection section = buildReportSection(request(1), 1, 0.05, figures, {});
        EXPECT_EQ(section.rows.value(8), QStringLiteral("　　　　　　　　　　　　/") + QString::fromUtf8(c.row))
            << c.sum << "/" << c.count;
    }
}

TEST_F(ReportTest, OnlyACountedTimeShorterThanEveryEarlierOneIsARedBest)
{
    const struct {
        std::vector<qint32> times;
        std::vector<bool> red;
    } cases[] = {
        // Times too long for the section's height still compare by their own height.
        { { 300, 250, 400, 100 }, { true, true, false, true } },
        // An attempt that ran out of time is never a best, not even the first.
        { { 99999, 120, 99999, 130, 110 }, { false, true, false, false, true } },
        { { 1800, 1799, 1799 }, { false, true, false } },
    };
    for (const auto& c : cases) {
        std::vector<LoadedResult> attempts;
        for (qint32 t : c.times)
            attempts.push_back(attempt(1, 1, t));
        const ReportSection section = buildReportSection(request(1), 1, 0.65, ReportFigures {}, attempts);
        ASSERT_EQ(section.points.size(), c.times.size());
        for (size_t i = 0; i < c.times.size(); ++i) {
            EXPECT_EQ(section.points[i].best, c.red[i]) << "attempt " << i << " of " << c.times.size();
            EXPECT_GE(section.points[i].y, 0.65);
            EXPECT_LE(section.points[i].y, 0.65 + 0.8 / 3 + 1e-9);
        }
    }
}

TEST_F(ReportTest, APupilWithoutAttemptsGetsASectionWithACountOfNoneAndNoPoints)
{
    const ReportSection section = buildReportSection(request(3), 1, 0.05, ReportFigures {}, { attempt(1, 1, 50) });
    EXPECT_EQ(section.rows.value(0), QStringLiteral("回数　　　　　　　  0回"));
    EXPECT_EQ(section.rows.value(3), QStringLiteral("　　最高　　　　       /    50秒"));
    EXPECT_TRUE(section.points.empty());
}

TEST_F(ReportTest, AttemptsThatAllRanOutOfTimeStandAtTheLeftEdgeInsideTheSection)
{
    const ReportSection section
        = buildReportSection(request(1), 1, 0.65, ReportFigures {}, { attempt(1, 1, 99999), attempt(1, 1, 99999) });
    ASSERT_EQ(section.points.size(), 2u);
    for (const ReportPoint& p : section.points) {
        EXPECT_NEAR(p.x, 0.1, 1e-9);
        EXPECT_GE(p.y, 0.65);
        EXPECT_LE(p.y, 0.65 + 0.3);
    }
}

TEST_F(ReportTest, FourLevelsPutTheFourthOnASecondPageAndLevelsAboveTheBoardAreLeftOut)
{
    reg.levelCount = 4;
    ReportRequest r = request(1);
    r.levels = { 1, 2, 3, 4 };
    r.levelCount = 4;
    std::vector<ReportPage> pages = buildReport(r, {});
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].sections.size(), 3u);
    ASSERT_EQ(pages[1].sections.size(), 1u);
    EXPECT_EQ(pages[1].sections[0].level, 4);
    EXPECT_NEAR(pages[1].sections[0].top, 0.05, 1e-9);
    r.levelCount = 3;
    pages = buildReport(r, {});
    EXPECT_TRUE(pages[1].sections.empty());
}

TEST(PupilList, ShowsTheStartScreensGradeBeforeTheSchoolYearBegins)
{
    FakePlatform platform;
    testing_support::TestInstallation installation;
    installation.writeText(QStringLiteral("files/生徒用名簿.txt"),
        QStringLiteral("12,2015,0,0,\"山田太郎\",0,\"\",\"\"\n"
                       "3,2012,0,0,\"鈴木花子\",1,\"\",\"\"\n"
                       "4,2018,0,0,\"林\",0,\"\",\"\"\n"));
    installation.load();
    struct Case {
        QDate date;
        QString first;
    };
    // In February the school year that began in April 2026 still runs: grade 5, not 4.
    const Case cases[] = { { QDate(2027, 2, 10), QStringLiteral("小５ /  山田太郎/12") },
        { QDate(2026, 12, 7), QStringLiteral("小５ /  山田太郎/12") },
        { QDate(2027, 4, 1), QStringLiteral("小６ /  山田太郎/12") } };
    for (const Case& c : cases) {
        platform.clock.set(QDateTime(c.date, QTime(10, 0)));
        Result<PupilListing> listing = fillPupilList();
        ASSERT_TRUE(listing.ok());
        EXPECT_EQ(listing->items.size(), 2); // status 1 is not listed
        EXPECT_EQ(listing->items.value(0), c.first);
        EXPECT_EQ(listing->names[3], QStringLiteral("鈴木花子"));
        EXPECT_EQ(listing->gradeLabels[12], c.first.left(2));
    }
}

} // namespace
