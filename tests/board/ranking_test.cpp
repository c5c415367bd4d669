// The merge sort, the rankings and their list lines.
#include "board/grades.h"
#include "board/mergesort.h"
#include "board/ranking.h"
#include "qstringprint.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

struct SortCase {
    std::vector<int> keys;
    std::vector<int> expectedOrder; // input positions (1-based) in sorted order
};

TEST(MergeSortKeys, SortsAscendingAndPutsLaterEqualKeysFirst)
{
    const SortCase cases[] = {
        { { 30, 25, 25, 40 }, { 3, 2, 1, 4 } },
        { { 7, 7, 7 }, { 3, 2, 1 } },
        { { 5 }, { 1 } },
        { { 2, 1 }, { 2, 1 } },
        { { 1, 2 }, { 1, 2 } },
        { { 9, 8, 7, 6, 5 }, { 5, 4, 3, 2, 1 } },
        { { 1, 1, 2, 2, 1 }, { 5, 2, 1, 4, 3 } },
        { { 99999, 12, 99999, 99998, 12 }, { 5, 2, 4, 3, 1 } },
    };
    for (const SortCase& c : cases) {
        const int n = static_cast<int>(c.keys.size());
        std::vector<int> keys(1), payload(1);
        for (int i = 0; i < n; ++i) {
            keys.push_back(c.keys[static_cast<size_t>(i)]);
            payload.push_back(i + 1);
        }
        mergeSortKeys(n, keys, payload);
        EXPECT_EQ(std::vector<int>(payload.begin() + 1, payload.end()), c.expectedOrder);
        EXPECT_TRUE(std::is_sorted(keys.begin() + 1, keys.end()));
    }
}

TEST(MergeSortKeys, AgreesWithAReverseStableOrderOnRandomInput)
{
    QRandomGenerator random(12345);
    for (int round = 0; round < 200; ++round) {
        const int n = static_cast<int>(random.bounded(1, 300));
        std::vector<int> keys(static_cast<size_t>(n) + 1), payload(static_cast<size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) {
            keys[static_cast<size_t>(i)] = static_cast<int>(random.bounded(0, 20));
            payload[static_cast<size_t>(i)] = i;
        }
        std::vector<int> expected(static_cast<size_t>(n));
        std::iota(expected.begin(), expected.end(), 1);
        const std::vector<int> original = keys;
        std::sort(expected.begin(), expected.end(), [&](int a, int b) {
            if (original[static_cast<size_t>(a)] != original[static_cast<size_t>(b)])
                return original[static_cast<size_t>(a)] < original[static_cast<size_t>(b)];
            return a > b;
        });
        mergeSortKeys(n, keys, payload);
        ASSERT_EQ(std::vector<int>(payload.begin() + 1, payload.end()), expected) << "n=" << n;
    }
}

struct FilterCase {
    const char* choice;
    int grade;
    int passes;
};

TEST(GradeFilter, ShowsEachGroupOnlyItsGrades)
{
    const FilterCase cases[] = {
        { "全学年", -3, 1 },
        { "全学年", 12, 1 },
        { "家族", 0, 1 },
        { "小学生全体", 1, 1 },
        { "小学生全体", 6, 1 },
        { "小学生全体", 7, 0 },
        { "小学生全体", 0, 0 },
        { "中学生全体", 7, 1 },
        { "中学生全体", 9, 1 },
        { "中学生全体", 10, 0 },
        { "中学生全体", 6, 0 },
        { "小１", 1, 1 },
        { "小１", 2, 0 },
        { "小６", 6, 1 },
        { "中１", 7, 1 },
        { "中２", 8, 1 },
        { "中３", 9, 1 },
        { "中３", 3, 0 },
        { "高１", 10, 1 }, // the teachers' tool chooses every label of the start screen's list
        { "高３", 11, 0 },
        { "幼３", 0, 1 },
        { "幼－", -3, 1 },
        { "幼－", -99, 0 }, // a pupil no longer listed
        { "大＋", 13, 1 },
        { "小7", 7, 0 },
        { "", 1, 0 },
        { "全学年 ", 1, 0 },
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(passesGradeFilter(QString::fromUtf8(c.choice), c.grade), c.passes) << c.choice << " " << c.grade;
}

TEST(GradeSymbol, MarksElementaryAndJuniorHighGrades)
{
    const std::pair<int, const char*> cases[]
        = { { 1, "①" }, { 6, "⑥" }, { 7, "Ⅰ" }, { 9, "Ⅲ" }, { 0, "　" }, { 10, "　" }, { -1, "　" }, { 4, "④" } };
    for (const auto& [grade, mark] : cases)
        EXPECT_EQ(gradeSymbol(grade), QString::fromUtf8(mark)) << grade;
}

// A school of pupils 1..n listed in that order, all in grade 7 unless told otherwise.
class RankingTest : public ::testing::Test {
protected:
    FakePlatform platform;
    static constexpr int kLevel = 2;

    void SetUp() override
    {
        reg.schoolYear = AnyValue(2026);
        reg.levelCount = 3;
    }
    // Lists a pupil at the next position, as the roster reader does.
    void addPupil(int no, const QString& name, int grade = 7)
    {
        const int count = static_cast<int>(reg.boardPupilCount.toInteger()) + 1;
        reg.pupilNames[static_cast<size_t>(count)] = name;
        reg.pupilBirthYear[static_cast<size_t>(count)] = static_cast<qint16>(2026 - 6 - grade);
        reg.boardPupilNos[static_cast<size_t>(count)] = AnyValue(no);
        reg.boardPupilCount = AnyValue(count);
        reg.bestScore(kLevel, no) = kTimeOut;
    }
    Ranking rank(
        int displayKind, int pointsOrder = 1, const QString& choice = QStringLiteral("全学年"), int current = 0)
    {
        RankingOptions o;
        o.level = kLevel;
        o.displayKind = displayKind;
        o.pointsOrder = pointsOrder;
        o.gradeChoice = choice;
        o.currentPupil = current;
        return buildRanking(o);
    }
    static std::vector<int> pupilsOf(const Ranking& r)
    {
        std::vector<int> v;
        for (const RankedPupil& p : r.order)
            v.push_back(p.pupil);
        return v;
    }
    static std::vector<int> ranksOf(const Ranking& r)
    {
        std::vector<int> v;
        for (const RankedPupil& p : r.order)
            v.push_back(p.rank);
        return v;
    }
};

TEST_F(RankingTest, EqualTimesShareARankAndTheNextTakesItsPosition)
{
    const int times[] = { 30, 25, 25, 40 };
    for (int p = 1; p <= 4; ++p) {
        addPupil(p, QStringLiteral("生徒%1").arg(p));
        reg.bestScore(kLevel, p) = times[p - 1];
    }
    const Ranking r = rank(1);
    EXPECT_EQ(pupilsOf(r), (std::vector<int> { 3, 2, 1, 4 }));
    EXPECT_EQ(ranksOf(r), (std::vector<int> { 1, 1, 3, 4 }));
    EXPECT_EQ(r.lines,
        (QStringList { QStringLiteral(" 1Ⅰ生徒3　　    25 　"), QStringLiteral(" 1Ⅰ生徒2　　    25 　"),
            QStringLiteral(" 3Ⅰ生徒1　　    30 　"), QStringLiteral(" 4Ⅰ生徒4　　    40 　") }));
    EXPECT_EQ(reg.rankCount, 4);
    EXPECT_EQ(reg.rankPupils[1], 3);
    EXPECT_EQ(reg.rankKeys[4], 40);
}

TEST_F(RankingTest, AFilteredPupilStillTakesARank)
{
    addPupil(1, QStringLiteral("一郎"), 5);
    addPupil(2, QStringLiteral("二郎"), 8);
    addPupil(3, QStringLiteral("三郎"), 4);
    reg.bestScore(kLevel, 1) = 10;
    reg.bestScore(kLevel, 2) = 20;
    reg.bestScore(kLevel, 3) = 30;
    const Ranking r = rank(1, 1, QStringLiteral("小学生全体"));
    EXPECT_EQ(
        r.lines, (QStringList { QStringLiteral(" 1⑤一郎　　　    10 　"), QStringLiteral(" 3④三郎　　　    30 　") }));
    EXPECT_FALSE(r.order[1].shown);
}

TEST_F(RankingTest, TimeOutsFailuresAndPupilsWithoutResultsComeLast)
{
    addPupil(1, QStringLiteral("時間切れ"));
    addPupil(2, QStringLiteral("速い"));
    addPupil(3, QStringLiteral("結果なし"));
    addPupil(4, QStringLiteral("失敗"));
    reg.bestScore(kLevel, 1) = kTimeOut; // every attempt ran out of time
    reg.bestScore(kLevel, 2) = 500;
    reg.bestScore(kLevel, 4) = 99998;
    const Ranking r = rank(1, 1, QStringLiteral("全学年"), 3);
    EXPECT_EQ(pupilsOf(r), (std::vector<int> { 2, 4, 3, 1 }));
    EXPECT_EQ(r.lines,
        (QStringList { QStringLiteral(" 1Ⅰ速い　　　   500 　"), QStringLiteral(" 2Ⅰ失敗　　　*失敗* 　"),
            QStringLiteral("--●結果なし　------ ●"), QStringLiteral("--Ⅰ時間切れ　------ 　") }));
    EXPECT_EQ(r.currentLine, 2);
}

TEST_F(RankingTest, LongRanksNamesAndTimesKeepTheirLastCharacters)
{
    for (int p = 1; p <= 100; ++p) {
        addPupil(p, QStringLiteral("長い名前の生徒さん   "));
        reg.bestScore(kLevel, p) = p == 100 ? 1234567 : p;
    }
    const Ranking r = rank(1);
    EXPECT_EQ(r.lines.at(99), QStringLiteral("00Ⅰ長い名前の234567 　"));
    EXPECT_EQ(r.lines.at(8), QStringLiteral(" 9Ⅰ長い名前の    9 　")); // four spaces at most
}

TEST_F(RankingTest, PointsRankByPrimaryThenSecondaryAndShareRanksOnEqualPrimary)
{
    addPupil(1, QStringLiteral("甲"));
    addPupil(2, QStringLiteral("乙"));
    addPupil(3, QStringLiteral("丙"));
    addPupil(4, QStringLiteral("丁"));
    // totals 50, 80, 50, 10; today 3, 0, 9, 10
    const int total[] = { 50, 80, 50, 10 };
    const int today[] = { 3, 0, 9, 10 };
    for (int p = 1; p <= 4; ++p) {
        reg.totalPoints(kLevel, p) = total[p - 1];
        reg.todayPoints(kLevel, p) = today[p - 1];
    }
    const Ranking cumulative = rank(2, 1, QStringLiteral("全学年"), 1);
    EXPECT_EQ(pupilsOf(cumulative), (std::vector<int> { 2, 3, 1, 4 }));
    EXPECT_EQ(ranksOf(cumulative), (std::vector<int> { 1, 2, 2, 4 }));
    EXPECT_EQ(cumulative.lines.at(0), QStringLiteral(" 1Ⅰ乙　　　　  0/   80"));
    EXPECT_EQ(cumulative.lines.at(2), QStringLiteral(" 2●甲　　　　  3/   50"));
    EXPECT_EQ(cumulative.currentLine, 2);

    // Today's order: the pupil without points today takes a position but gets no line.
    const Ranking today2 = rank(2, 2);
    EXPECT_EQ(pupilsOf(today2), (std::vector<int> { 4, 3, 1, 2 }));
    EXPECT_EQ(today2.lines.size(), 3);
    EXPECT_EQ(today2.lines.at(2), QStringLiteral(" 3Ⅰ甲　　　　  3/   50"));
}

TEST_F(RankingTest, TodaysOrderGivesNoLineToPupilsWithoutPointsToday)
{
    addPupil(1, QStringLiteral("甲"));
    addPupil(2, QStringLiteral("乙"));
    reg.totalPoints(kLevel, 1) = 100;
    reg.todayPoints(kLevel, 1) = 0;
    reg.totalPoints(kLevel, 2) = 5;
    reg.todayPoints(kLevel, 2) = 5;
    reg.totalPoints(kLevel, 3) = 0;
    addPupil(3, QStringLiteral("丙"));
    reg.todayPoints(kLevel, 3) = 0;
    // Pupils 1 and 3 share rank 2 with 0 points; neither is shown.
    const Ranking r = rank(2, 2);
    EXPECT_EQ(r.lines, QStringList { QStringLiteral(" 1Ⅰ乙　　　　  5/    5") });
    EXPECT_EQ(ranksOf(r), (std::vector<int> { 1, 2, 2 }));
}

TEST_F(RankingTest, LargeSecondaryPointsDoNotOvertakeHigherPrimaryPoints)
{
    // With a key of A x 1000 + B, 2000 cumulative points would put 5 points today above 6.
    addPupil(1, QStringLiteral("甲"));
    addPupil(2, QStringLiteral("乙"));
    reg.todayPoints(kLevel, 1) = 5;
    reg.totalPoints(kLevel, 1) = 2000;
    reg.todayPoints(kLevel, 2) = 6;
    reg.totalPoints(kLevel, 2) = 6;
    EXPECT_EQ(pupilsOf(rank(2, 2)), (std::vector<int> { 2, 1 }));
    EXPECT_EQ(ranksOf(rank(2, 2)), (std::vector<int> { 1, 2 }));
}

TEST_F(RankingTest, NamesAndGradesFollowTheListedPositionWhenNumbersAreOutOfOrder)
{
    // A roster whose numbers are 12, 5, 30: the tables hold the pupils at positions 1, 2, 3.
    addPupil(12, QStringLiteral("十二番"), 3);
    addPupil(5, QStringLiteral("五番"), 8);
    addPupil(30, QStringLiteral("三十番"), 1);
    reg.bestScore(kLevel, 12) = 50;
    reg.bestScore(kLevel, 5) = 40;
    reg.bestScore(kLevel, 30) = 60;
    const Ranking r = rank(1, 1, QStringLiteral("全学年"), 5);
    EXPECT_EQ(pupilsOf(r), (std::vector<int> { 5, 12, 30 }));
    EXPECT_EQ(r.lines,
        (QStringList { QStringLiteral(" 1●五番　　　    40 ●"), QStringLiteral(" 2③十二番　　    50 　"),
            QStringLiteral(" 3①三十番　　    60 　") }));
    EXPECT_EQ(reg.rankPupils[1], 5);
}

TEST_F(RankingTest, AtMost2000PupilsAreRanked)
{
    for (int p = 1; p <= 2100; ++p)
        addPupil(p, QStringLiteral("生徒"));
    const Ranking r = rank(1);
    EXPECT_EQ(r.order.size(), 2000u);
    EXPECT_EQ(reg.rankCount, 2000);
}

} // namespace
