// Flash-card practice without a window: the order of the cards, learned cards, the display
// orders and the speeds.
#include "drill/revealcycle.h"

#include <gtest/gtest.h>

using namespace kanameru;

namespace {

QuestionRows cardRows(int n)
{
    QuestionRows rows;
    for (int r = 1; r <= n; ++r) {
        rows.rowYear[r] = QString::number(100 * r);
        rows.rowEvent[r] = QStringLiteral("出来事%1").arg(r);
        rows.rowExplanation[r] = QStringLiteral("説明%1").arg(r);
    }
    rows.usableRowCount = n;
    return rows;
}

// The cards shown by `count` next-card steps, with the rows marked learned while on show.
std::vector<int> cardsShown(RevealCycle& cycle, int count, std::initializer_list<int> learnWhenShown = {})
{
    std::vector<int> shown;
    for (int k = 0; k < count; ++k) {
        cycle.nextCard(1);
        shown.push_back(cycle.currentCard());
        if (std::find(learnWhenShown.begin(), learnWhenShown.end(), cycle.currentCard()) != learnWhenShown.end())
            cycle.markLearned();
    }
    return shown;
}

TEST(Cards, ComeInRowOrderAndStartAgainAfterTheLast)
{
    const QuestionRows rows = cardRows(3);
    RevealCycle cycle(rows);
    cycle.restart();
    EXPECT_EQ(cardsShown(cycle, 7), (std::vector<int> { 1, 2, 3, 1, 2, 3, 1 }));
}

TEST(Cards, ALearnedCardIsLeftOutOfTheRound)
{
    const QuestionRows rows = cardRows(4);
    RevealCycle cycle(rows);
    cycle.restart();
    EXPECT_EQ(cardsShown(cycle, 8, { 2, 4 }), (std::vector<int> { 1, 2, 3, 4, 1, 3, 1, 3 }));
}

TEST(Cards, WhenEveryCardIsLearnedAllStartAgainFromRowOne)
{
    const QuestionRows rows = cardRows(3);
    RevealCycle cycle(rows);
    cycle.restart();
    EXPECT_EQ(cardsShown(cycle, 5, { 1, 2, 3 }), (std::vector<int> { 1, 2, 3, 1, 2 }));
    EXPECT_FALSE(cycle.learned(3)) << "the flags were cleared when the last card was learned";
}

TEST(Cards, OneUsableRowShowsTheSameCardEveryCycle)
{
    const QuestionRows rows = cardRows(1);
    RevealCycle cycle(rows);
    cycle.restart();
    EXPECT_EQ(cardsShown(cycle, 3), (std::vector<int> { 1, 1, 1 }));
    EXPECT_EQ(cardsShown(cycle, 3, { 1 }), (std::vector<int> { 1, 1, 1 }));
}

TEST(Cards, MarkingLearnedKeepsTheCardOnShow)
{
    const QuestionRows rows = cardRows(3);
    RevealCycle cycle(rows);
    cycle.restart();
    cycle.nextCard(1);
    cycle.markLearned();
    EXPECT_EQ(cycle.currentCard(), 1);
    EXPECT_EQ(cycle.part(3), QStringLiteral("説明1"));
    EXPECT_TRUE(cycle.learned(1));
    cycle.restart();
    EXPECT_FALSE(cycle.learned(1));
    EXPECT_EQ(cycle.currentCard(), 0);
}

struct OrderCase {
    int order;
    const char* parts[3];
};
class DisplayOrder : public ::testing::TestWithParam<OrderCase> { };
TEST_P(DisplayOrder, FillsThePartsInItsOrder)
{
    const QuestionRows rows = cardRows(2);
    RevealCycle cycle(rows);
    cycle.restart();
    cycle.nextCard(1);
    cycle.nextCard(GetParam().order);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(cycle.part(i), QString::fromUtf8(GetParam().parts[i - 1])) << i;
}
INSTANTIATE_TEST_SUITE_P(Orders, DisplayOrder,
    ::testing::Values(OrderCase { 1, { "200", "出来事2", "説明2" } }, OrderCase { 2, { "200", "説明2", "出来事2" } },
        OrderCase { 3, { "出来事2", "200", "説明2" } }, OrderCase { 4, { "説明2", "200", "出来事2" } },
        OrderCase { 5, { "出来事2", "説明2", "200" } }, OrderCase { 6, { "説明2", "出来事2", "200" } }));

struct SpeedCase {
    int speed;
    int milliseconds;
};
class Speed : public ::testing::TestWithParam<SpeedCase> { };
TEST_P(Speed, GivesItsInterval)
{
    EXPECT_EQ(RevealCycle::interval(GetParam().speed), GetParam().milliseconds);
}
INSTANTIATE_TEST_SUITE_P(Speeds, Speed,
    ::testing::Values(SpeedCase { 1, 200 }, SpeedCase { 2, 600 }, SpeedCase { 3, 1000 }, SpeedCase { 4, 2000 },
        SpeedCase { 5, 3000 }, SpeedCase { 6, 4000 }));

} // namespace
