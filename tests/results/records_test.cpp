// The record layouts byte for byte, the fixed text fields and the points of one attempt.
#include "results/results.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// 2026/12/07 is day 46363 after 1899/12/30; 10:00:00 is 10/24 of a day.
TEST(ResultRecordLayout, MatchesAHandComputedRecordByteForByte)
{
    ResultRecord r;
    r.recordDate = 46363;
    r.recordTime = 10.0 / 24.0;
    r.pupilNo = 12;
    r.level = 3;
    r.result = 123;
    r.schoolCode = "12345";
    r.note = "     ";
    r.kindText = "0    ";
    r.reserved = QByteArray(5, '\0');
    const QByteArray expected = hex("0000000060a3e640" // date
                                    "abaaaaaaaaaada3f" // time
                                    "0c00"
                                    "0300" // pupil 12, level 3
                                    "7b000000" // result 123
                                    "3132333435" // "12345"
                                    "2020202020" // note
                                    "3020202020" // "0    "
                                    "0000000000"); // reserved
    ASSERT_EQ(expected.size(), kResultRecordLength);
    EXPECT_EQ(r.toBytes().toHex(), expected.toHex());

    const ResultRecord back = ResultRecord::fromBytes(expected.constData());
    EXPECT_EQ(back.recordDate, 46363);
    EXPECT_EQ(back.recordTime, 10.0 / 24.0);
    EXPECT_EQ(back.pupilNo, 12);
    EXPECT_EQ(back.level, 3);
    EXPECT_EQ(back.result, 123);
    EXPECT_EQ(back.toBytes(), expected);
}

TEST(ResultRecordLayout, InstallationRecordMatchesAHandComputedRecordByteForByte)
{
    InstallationResultRecord r;
    r.programName = fixedBytes(QStringLiteral("カナメル\\"), 20);
    r.contentNo = 0;
    r.recordDate = 46363;
    r.recordTime = 10.0 / 24.0;
    r.pupilNo = -2; // a damaged number still round-trips as a signed 16-bit value
    r.level = 35;
    r.result = 99999;
    r.schoolCode = fixedBytes(QString(), 5);
    r.reserved = QByteArray(15, '\0');
    const QByteArray expected = hex("834a83698381838b5c"
                                    "2020202020202020202020" // "カナメル\" + 11 spaces
                                    "0000" // contentNo
                                    "0000000060a3e640"
                                    "abaaaaaaaaaada3f"
                                    "feff"
                                    "2300" // -2, 35
                                    "9f860100" // 99999
                                    "2020202020"
                                    "000000000000000000000000000000");
    ASSERT_EQ(expected.size(), kInstallationRecordLength);
    EXPECT_EQ(r.toBytes().toHex(), expected.toHex());
    const InstallationResultRecord back = InstallationResultRecord::fromBytes(expected.constData());
    EXPECT_EQ(back.pupilNo, -2);
    EXPECT_EQ(back.level, 35);
    EXPECT_EQ(back.result, 99999);
    EXPECT_EQ(back.toBytes(), expected);
}

struct FixedCase {
    const char* text;
    int length;
    const char* expectedHex;
};

// A double-byte character that does not fit is left out whole, never cut in half.
TEST(FixedBytes, CutsAtACharacterBoundaryAndPadsWithSpaces)
{
    const FixedCase cases[] = {
        { "", 5, "2020202020" }, { "12345", 5, "3132333435" }, { "1234567", 5, "3132333435" },
        { "ab", 5, "6162202020" }, { "あい", 5, "82a082a220" }, { "aあい", 5, "6182a082a2" },
        { "abあい", 5, "616282a020" }, { "ｱｲｳ", 5, "b1b2b32020" }, // half-width katakana is one byte each
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.text);
        const QByteArray got = fixedBytes(QString::fromUtf8(c.text), c.length);
        EXPECT_EQ(got.size(), c.length);
        EXPECT_EQ(got.toHex(), QByteArray(c.expectedHex));
    }
}

struct PointsCase {
    qint32 target;
    float factor;
    qint32 result;
    int points;
};

class AttemptPoints : public ::testing::TestWithParam<PointsCase> {
protected:
    FakePlatform platform;
};

TEST_P(AttemptPoints, FollowsTheTableOfTheFormula)
{
    const PointsCase c = GetParam();
    reg.levelTarget[2] = c.target;
    reg.levelPointFactor[2] = c.factor;
    EXPECT_EQ(attemptPoints(c.result, 2), c.points)
        << "target " << c.target << " factor " << c.factor << " result " << c.result;
}

INSTANTIATE_TEST_SUITE_P(Table, AttemptPoints,
    ::testing::Values(
        // target 100: 55 at 0, 11 at half, 5 on target, 4 up to twice, 1 up to ten times, then 0
        PointsCase { 100, 1, 0, 55 }, PointsCase { 100, 1, 50, 11 }, PointsCase { 100, 1, 100, 5 },
        PointsCase { 100, 1, 101, 4 }, PointsCase { 100, 1, 150, 4 }, PointsCase { 100, 1, 199, 4 },
        PointsCase { 100, 1, 200, 1 }, PointsCase { 100, 1, 250, 1 }, PointsCase { 100, 1, 999, 1 },
        PointsCase { 100, 1, 1000, 0 }, PointsCase { 100, 1, 5999, 0 },
        // target 60 as the board shows it
        PointsCase { 60, 1, 60, 5 }, PointsCase { 60, 1, 30, 11 }, PointsCase { 60, 1, 61, 4 },
        PointsCase { 60, 1, 119, 4 }, PointsCase { 60, 1, 120, 1 }, PointsCase { 60, 1, 599, 1 },
        PointsCase { 60, 1, 600, 0 },
        // time-outs and what the file may hold beyond them never earn points
        PointsCase { 100000, 1, 99998, 0 }, PointsCase { 100000, 1, 99999, 0 }, PointsCase { 100000, 1, 99997, 5 },
        // the whole result counts: 1100 against 1200 earns 5, not 42
        PointsCase { 1200, 1, 1100, 5 }, PointsCase { 1200, 1, 110, 42 }, PointsCase { 1200, 1, 1200, 5 },
        // the factor multiplies, and the integer part is taken after it
        PointsCase { 100, 2, 50, 22 }, PointsCase { 100, 0.5f, 50, 5 }, PointsCase { 100, 0.7f, 0, 38 },
        PointsCase { 100, 0, 0, 0 },
        // the factor counts as written: 30 x 2.1 is 63 and 15 x 4.2 is 63, though the singles
        // nearest 2.1 and 4.2 lie below them (as on the end screen)
        PointsCase { 100, 2.1f, 20, 63 }, PointsCase { 100, 4.2f, 41, 63 }, PointsCase { 100, 1.06f, 3, 53 },
        // a target of 0 (an unset level) gives 0 instead of dividing by zero
        PointsCase { 0, 1, 0, 0 }, PointsCase { 0, 1, 50, 0 }, PointsCase { -5, 1, 0, 0 },
        // a negative result is no real time
        PointsCase { 100, 1, -1, 0 }, PointsCase { 100, 1, -2000000000, 0 }));

TEST(AttemptPointsLevels, LevelsOutsideTheTablesEarnNothing)
{
    FakePlatform platform;
    for (int level = 0; level <= kMaxLevel; ++level) {
        reg.levelTarget[level] = 100;
        reg.levelPointFactor[level] = 1;
    }
    for (int level : { -1, 36, 1000, -32768 })
        EXPECT_EQ(attemptPoints(0, level), 0) << level;
    EXPECT_EQ(attemptPoints(0, 35), 55);
}

struct ClearedCase {
    qint32 recentPoints;
    qint16 recentCount;
    bool cleared;
};

TEST(LevelCleared, NeedsBothThePointsAndTheCountOfTheRecentWindow)
{
    FakePlatform platform;
    reg.levelPassPoints[4] = 60;
    reg.levelRequiredCount[4] = 5;
    const ClearedCase cases[] = {
        { 60, 5, true },
        { 100, 9, true },
        { 59, 5, false },
        { 60, 4, false },
        { 0, 0, false },
    };
    for (const ClearedCase& c : cases) {
        reg.recentPoints(4, 77) = c.recentPoints;
        reg.recentCount(4, 77) = c.recentCount;
        reg.totalPoints(4, 77) = 1000; // the all-time numbers do not decide it
        reg.totalCount(4, 77) = 100;
        EXPECT_EQ(levelCleared(4, 77), c.cleared) << c.recentPoints << " " << c.recentCount;
    }
    reg.levelRequiredCount[4] = 9999; // a level without end is never cleared
    reg.recentCount(4, 77) = 200;
    EXPECT_FALSE(levelCleared(4, 77));
    EXPECT_FALSE(levelCleared(36, 1));
    EXPECT_FALSE(levelCleared(4, 5001));
}

} // namespace
