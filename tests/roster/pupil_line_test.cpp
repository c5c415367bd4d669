#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"
#include "support/wine.h"

#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

RosterRecord pupil(int number, int birthYear, const QString& name)
{
    RosterRecord r;
    r.number = static_cast<qint16>(number);
    r.birthYear = static_cast<qint16>(birthYear);
    r.name = name.leftJustified(20, QLatin1Char(' '));
    return r;
}

const QString I = QStringLiteral("　"); // ideographic space

struct LineCase {
    int displayMode;
    PupilSums sums;
    QString expected;
};

// Born 2012 in school year 2019: grade 1, "小1"; the name 3 characters, so 3 fill characters.
TEST(PupilLine, EveryDisplayModeWithAndWithoutResults)
{
    const RosterRecord r = pupil(12, 2012, QStringLiteral("林太郎"));
    const QString head = QStringLiteral("2012小1 林太郎") + I + I + I;
    const PupilSums none;
    const PupilSums some { 4, 120, 15, 3456 };
    const LineCase cases[] = {
        { 0, none, head + QStringLiteral("     /     ") + I + QStringLiteral("*12") },
        { 1, none, head + QStringLiteral("  ") + I + QStringLiteral("/       *12") },
        { 2, none, head + QStringLiteral("  ") + I + QStringLiteral("/     *12") },
        { 3, none, head + QStringLiteral("       /     ") + I + QStringLiteral("*12") },
        { 0, some, head + QStringLiteral("  4回/   15回*12") },
        { 1, some, head + QStringLiteral(" 120/   3456*12") },
        { 2, some, head + QStringLiteral(" 120/  4回*12") },
        { 3, some, head + QStringLiteral("   3456/   15回*12") },
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(pupilLine(r, 2019, c.displayMode, c.sums), c.expected) << c.displayMode;
}

TEST(PupilLine, StatisticsKeepTheirWidthsAndCutOnTheLeft)
{
    struct Case {
        double value;
        const char* todayCount;
        const char* todayPoints;
        const char* totalCount;
        const char* totalPoints;
    } const cases[] = {
        { 1, "  1回", "   1", "    1回", "      1" },
        { 99, " 99回", "  99", "   99回", "     99" },
        { 123, "123回", " 123", "  123回", "    123" },
        { 12345, "345回", "2345", "12345回", "  12345" },
        { 1234567, "567回", "4567", "34567回", "1234567" },
        { 12345678, "678回", "5678", "45678回", "2345678" },
        { 0.5, "0.5回", " 0.5", "    0回", "      0" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(todayCountText(c.value), QString::fromUtf8(c.todayCount)) << c.value;
        if (c.value == static_cast<qint64>(c.value)) {
            EXPECT_EQ(todayPointsText(static_cast<qint64>(c.value)), QString::fromUtf8(c.todayPoints)) << c.value;
            EXPECT_EQ(totalCountText(static_cast<qint64>(c.value)), QString::fromUtf8(c.totalCount)) << c.value;
            EXPECT_EQ(totalPointsText(static_cast<qint64>(c.value)), QString::fromUtf8(c.totalPoints)) << c.value;
        }
    }
}

TEST(PupilLine, FillBringsLabelAndNameToNineOrElevenCharacters)
{
    struct Case {
        int birthYear;
        const char* name;
        int displayMode;
        int fill;
    } const cases[] = {
        { 2012, "林", 1, 5 },
        { 2012, "青木　さくら", 1, 0 },
        { 2012, "一二三四五", 1, 1 },
        { 2012, "一二三四五六七八", 1, 0 },
        { 2012, "一二三四五六七八", 0, 0 },
        { 2016, "林", 0, 7 },
        { 2016, "林", 1, 5 },
        { 2016, "林", 2, 7 },
        { 2016, "林", 3, 7 },
        { 2016, "一二三四五六七八", 0, 0 },
        { 2017, "一二三四五六", 2, 2 },
        { 1980, "林", 0, 5 },
    };
    for (const Case& c : cases) {
        const QString line = pupilLine(pupil(1, c.birthYear, QString::fromUtf8(c.name)), 2019, c.displayMode, {});
        const QString afterName = line.mid(4 + 3 + QString::fromUtf8(c.name).size());
        int fill = 0;
        while (fill < afterName.size() && afterName[fill] == QChar(0x3000))
            ++fill;
        // Modes 0 and 2 with no results start their statistics with half-width spaces, mode 3
        // with the same; so only the ideographic spaces right after the name are the fill.
        EXPECT_EQ(fill, c.fill) << c.name << " mode " << c.displayMode << " born " << c.birthYear;
    }
}

TEST(PupilLine, AnEightCharacterNameIsFollowedDirectlyByTheStatistics)
{
    const QString line
        = pupilLine(pupil(3, 2012, QStringLiteral("一二三四五六七八")), 2019, 3, PupilSums { 0, 0, 2, 40 });
    EXPECT_EQ(line, QStringLiteral("2012小1 一二三四五六七八     40/    2回*3"));
}

TEST(PupilLine, ABirthYearThatIsNotFourDigitsStillLeavesTheLabelInPlace)
{
    const QString line = pupilLine(pupil(5, 0, QStringLiteral("零")), 2019, 1, {});
    EXPECT_TRUE(line.startsWith(QStringLiteral("0000大+ 零"))) << line.toStdString();
    EXPECT_EQ(splitPupilLine(line).shown.left(5), QStringLiteral("大+ 零") + I);
    EXPECT_EQ(gradeIndexOfLine(line, 2019), 2013);
}

struct FilterCase {
    const char* filter;
    QList<int> shownIndexes;
};

TEST(GradeFilter, EachChoiceShowsItsGrades)
{
    const FilterCase cases[] = {
        { "全学年", { -5, -1, 0, 1, 6, 7, 9, 10, 12, 13, 40 } },
        { "小学生全体", { 1, 2, 3, 4, 5, 6 } },
        { "中学生全体", { 7, 8, 9 } },
        { "小１", { 1 } },
        { "小６", { 6 } },
        { "中１", { 7 } },
        { "中３", { 9 } },
        { "高１", {} },
        { "", {} },
        { "小1", {} },
    };
    for (const FilterCase& c : cases) {
        for (int index = -6; index <= 41; ++index) {
            EXPECT_EQ(gradeFilterShows(QString::fromUtf8(c.filter), index),
                c.shownIndexes.contains(index) || (QString::fromUtf8(c.filter) == QStringLiteral("全学年")))
                << c.filter << " " << index;
        }
    }
    EXPECT_EQ(gradeFilterChoices().size(), 12);
    EXPECT_EQ(gradeFilterChoices().first(), QStringLiteral("全学年"));
    EXPECT_EQ(gradeFilterChoices().last(), QStringLiteral("小１"));
}

TEST(PupilList, SplitKeepsTheShownTextAndTheNumberTail)
{
    const QString line
        = QStringLiteral("2012小1 林太郎") + I + I + I + QStringLiteral("  ") + I + QStringLiteral("/       *1234");
    const ListRow row = splitPupilLine(line);
    EXPECT_EQ(
        row.shown, QStringLiteral("小1 林太郎") + I + I + I + QStringLiteral("  ") + I + QStringLiteral("/       "));
    EXPECT_EQ(row.tail, row.shown + QStringLiteral("*1234"));
    EXPECT_EQ(pupilNoOfTail(row.tail), 1234);
    EXPECT_EQ(pupilNoOfTail(QStringLiteral("no star")), 0);
}

struct ListFixture : ::testing::Test {
    FakePlatform fake;
    void setRoster(const QList<RosterRecord>& records)
    {
        for (int k = 1; k <= records.size(); ++k)
            reg.roster[k] = records[k - 1];
        reg.boardPupilCount = AnyValue(static_cast<int>(records.size()));
    }
};

TEST_F(ListFixture, PupilsSortByBirthYearThenLabelAndNameWhateverTheFileOrder)
{
    setRoster({ pupil(1, 2012, QStringLiteral("わたなべ")), pupil(2, 2008, QStringLiteral("中学生")),
        pupil(3, 2012, QStringLiteral("あべ")), pupil(4, 2016, QStringLiteral("ようじ")) });
    const PupilList list = buildPupilList(2019, 1, QStringLiteral("全学年"));
    ASSERT_EQ(list.shown.size(), 4);
    QList<int> order;
    for (const QString& tail : list.tails)
        order.append(pupilNoOfTail(tail));
    EXPECT_EQ(order, (QList<int> { 2, 3, 1, 4 }));
    EXPECT_EQ(list.sortedLines.size(), 4);
}

// A Japanese list box orders kanji as JIS does (first-level kanji by reading) and kana by
// sound whatever their script; code-unit order and CP932 byte order each get one of these
// wrong.
TEST_F(ListFixture, NamesOfOneYearSortAsTheJapaneseListBoxOrdersThem)
{
    if (testing_support::underWine())
        GTEST_SKIP() << "Wine's Japanese sort keys follow code points, not Windows's order";
    struct Case {
        QStringList fileOrder;
        QStringList expected;
    } const cases[] = {
        { { QStringLiteral("中村　芽依"), QStringLiteral("加藤　大翔") },
            { QStringLiteral("加藤　大翔"), QStringLiteral("中村　芽依") } },
        { { QStringLiteral("林"), QStringLiteral("高橋"), QStringLiteral("伊藤") },
            { QStringLiteral("伊藤"), QStringLiteral("高橋"), QStringLiteral("林") } },
        { { QStringLiteral("たなか"), QStringLiteral("スズキ"), QStringLiteral("あべ") },
            { QStringLiteral("あべ"), QStringLiteral("スズキ"), QStringLiteral("たなか") } },
        { { QStringLiteral("渡辺"), QStringLiteral("さとう"), QStringLiteral("ＡＢＣ"), QStringLiteral("abd") },
            { QStringLiteral("ＡＢＣ"), QStringLiteral("abd"), QStringLiteral("さとう"), QStringLiteral("渡辺") } },
    };
    for (const Case& c : cases) {
        QList<RosterRecord> records;
        for (const QString& name : c.fileOrder)
            records.append(pupil(static_cast<int>(records.size()) + 1, 2012, name));
        setRoster(records);
        const PupilList list = buildPupilList(2019, 1, QStringLiteral("全学年"));
        QStringList names;
        for (const QString& tail : list.tails)
            names.append(c.fileOrder[pupilNoOfTail(tail) - 1]);
        EXPECT_EQ(names, c.expected) << c.fileOrder.join(u',').toStdString();
    }
}

TEST_F(ListFixture, TheGradeFilterNarrowsTheShownRowsButNotTheSortedLines)
{
    setRoster({ pupil(1, 2012, QStringLiteral("小一")), pupil(2, 2005, QStringLiteral("中二")),
        pupil(3, 2003, QStringLiteral("高一")), pupil(4, 2016, QStringLiteral("幼児")),
        pupil(5, 1980, QStringLiteral("先生")) });
    struct Case {
        const char* filter;
        QList<int> numbers;
    } const cases[] = {
        { "全学年", { 5, 3, 2, 1, 4 } },
        { "中学生全体", { 2 } },
        { "小学生全体", { 1 } },
        { "中２", { 2 } },
        { "小１", { 1 } },
        { "中１", {} },
    };
    for (const Case& c : cases) {
        const PupilList list = buildPupilList(2019, 0, QString::fromUtf8(c.filter));
        QList<int> numbers;
        for (const QString& tail : list.tails)
            numbers.append(pupilNoOfTail(tail));
        EXPECT_EQ(numbers, c.numbers) << c.filter;
        EXPECT_EQ(list.shown.size(), list.tails.size());
        EXPECT_EQ(list.sortedLines.size(), 5);
    }
}

TEST_F(ListFixture, StatisticsAreSummedOverLevelsOneToThirtyFive)
{
    reg.todayCount(0, 7) = 100; // level 0 is not a level of the drill and is left out
    reg.todayCount(1, 7) = 2;
    reg.todayCount(35, 7) = 1;
    reg.totalPoints(2, 7) = 50;
    reg.totalPoints(3, 7) = 25;
    reg.totalCount(1, 8) = 9; // another pupil
    reg.todayPoints(4, 7) = 11;
    const PupilSums s = pupilSums(7);
    EXPECT_EQ(s.todayCount, 3);
    EXPECT_EQ(s.totalPoints, 75);
    EXPECT_EQ(s.totalCount, 0);
    EXPECT_EQ(s.todayPoints, 11);
}

} // namespace
