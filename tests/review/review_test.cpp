// The review's rules without a window: the schedule, a judgement's record, reading the events
// file back, the choice of a review's questions and the teachers' tallies.
#include "drill/drillrules.h"
#include "platform/clock.h"
#include "review/eventhistory.h"
#include "review/judgementlog.h"
#include "review/reviewplan.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace kanameru;
using namespace kanameru::review;

namespace {

// Eight events, one row each, levels 1 (rows 1-4) and 2 (rows 5-8); rows 7 and 8 share their
// explanation.
QuestionRows sampleRows()
{
    QuestionRows rows;
    const char* events[] = { "金印", "卑弥呼", "仏教伝来", "遣隋使", "平城京", "平安京", "鎌倉幕府", "江戸幕府" };
    for (int r = 1; r <= 8; ++r) {
        rows.rowLevel[r] = r <= 4 ? 1 : 2;
        rows.rowYear[r] = QString::number(100 * r);
        rows.rowEvent[r] = QString::fromUtf8(events[r - 1]);
        rows.rowExplanation[r] = r >= 7 ? QStringLiteral("幕府が開かれる") : QStringLiteral("説明%1").arg(r);
    }
    rows.usableRowCount = 8;
    return rows;
}

EventId idOfRow(const QuestionRows& rows, int r)
{
    return eventId(rows.rowYear[r], rows.rowEvent[r]);
}

JudgementRecord judgement(int day, std::initializer_list<std::pair<EventId, bool>> rows, int level = 1)
{
    JudgementRecord r;
    r.recordDate = day + 0.5;
    r.pupilNo = 7;
    r.level = static_cast<qint16>(level);
    size_t i = 0;
    for (const auto& [id, wrong] : rows)
        r.rows[i++] = { id, wrong };
    for (; i < r.rows.size(); ++i)
        r.rows[i] = { 1000 + i, false };
    return r;
}

// Which day an event is due after which outcomes: (day, wrong) in order, then its box, its due
// day and whether it is due on a given day.
TEST(Schedule, BringsAWrongEventBackAtGrowingIntervalsUntilLearned)
{
    struct Row {
        const char* what;
        std::vector<std::pair<int, bool>> outcomes;
        int box;
        int dueDay;
        int askedDay;
        bool due;
    };
    const Row table[] = {
        { "never wrong", { { 0, false } }, 0, 0, 30, false },
        { "wrong: box 1, due the next day", { { 0, true } }, 1, 1, 1, true },
        { "not due on its own day", { { 0, true } }, 1, 1, 0, false },
        { "right the same day counts nothing", { { 0, true }, { 0, false } }, 1, 1, 1, true },
        { "right on its due day: box 2", { { 0, true }, { 1, false } }, 2, 4, 3, false },
        { "box 2 due 3 days on", { { 0, true }, { 1, false } }, 2, 4, 4, true },
        { "right before its due day counts nothing", { { 0, true }, { 1, false }, { 2, false } }, 2, 4, 4, true },
        { "box 3 due 7 days on", { { 0, true }, { 1, false }, { 4, false } }, 3, 11, 11, true },
        { "box 4 due 14 days on", { { 0, true }, { 1, false }, { 4, false }, { 11, false } }, 4, 25, 24, false },
        { "right in box 4: learned", { { 0, true }, { 1, false }, { 4, false }, { 11, false }, { 25, false } }, 0, 0,
            60, false },
        { "late is as good as due", { { 0, true }, { 9, false } }, 2, 12, 12, true },
        { "wrong again: back to box 1", { { 0, true }, { 1, false }, { 4, true } }, 1, 5, 5, true },
        { "wrong twice the same day", { { 0, true }, { 0, true } }, 1, 1, 1, true },
        { "wrong after learned: back in",
            { { 0, true }, { 1, false }, { 4, false }, { 11, false }, { 25, false }, { 30, true } }, 1, 31, 31, true },
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.what);
        EventState s;
        for (const auto& [day, wrong] : row.outcomes)
            applyOutcome(s, wrong, 100 + day);
        EXPECT_EQ(s.box, row.box);
        EXPECT_EQ(s.box ? s.dueDay - 100 : 0, row.dueDay);
        EXPECT_EQ(s.dueOn(100 + row.askedDay), row.due);
        EXPECT_EQ(s.judged, static_cast<int>(row.outcomes.size()));
    }

    // Several events: the longest due first; one right in the same judgement stays out.
    PupilEvents pupil;
    pupil.apply(judgement(100, { { 11, true }, { 12, false } }));
    pupil.apply(judgement(102, { { 13, true }, { 11, false } }, 3));
    pupil.apply(judgement(103, { { 14, true } }));
    EXPECT_EQ(pupil.dueOn(104), (std::vector<EventId> { 13, 14 })); // 11 moved on to box 2, due 105
    EXPECT_EQ(pupil.dueOn(105), (std::vector<EventId> { 13, 14, 11 }));
    EXPECT_EQ(pupil.comingAfter(103), (std::vector<EventId> { 14, 11 }));
    EXPECT_EQ(pupil.highestLevel(), 3);
}

// A judgement's record: each row's event, its colour, and whom it was confused with.
TEST(JudgementRecords, NameTheConfusedExplanationAndTheEventsStoodAgainst)
{
    const QuestionRows rows = sampleRows();
    testing_support::FakeRandom noShuffle; // every exchange of a row with itself
    struct Row {
        const char* what;
        std::array<int, 5> picked;
        std::pair<int, int> exchange; // screen rows 1..5; {0, 0} none
        Phase phase;
        std::array<bool, 5> wrong;
        std::array<int, 5> confusedWith;
        std::array<quint8, 5> against;
    };
    const Row table[] = {
        { "all right", { 1, 2, 3, 4, 5 }, { 0, 0 }, Phase::Explanations, {}, { -1, -1, -1, -1, -1 }, {} },
        { "two explanations exchanged", { 1, 2, 3, 4, 5 }, { 1, 2 }, Phase::Explanations,
            { true, true, false, false, false }, { 1, 0, -1, -1, -1 }, {} },
        { "the same explanation either way", { 1, 2, 3, 7, 8 }, { 4, 5 }, Phase::Explanations, {},
            { -1, -1, -1, -1, -1 }, {} },
        { "in order", { 1, 2, 3, 4, 5 }, { 0, 0 }, Phase::Order, {}, { -1, -1, -1, -1, -1 }, {} },
        { "first and third exchanged: the middle one stays green", { 1, 2, 3, 4, 5 }, { 1, 3 }, Phase::Order,
            { true, false, true, false, false }, { -1, -1, -1, -1, -1 }, { 0b00110, 0b00101, 0b00011, 0, 0 } },
        { "the last one first", { 8, 1, 2, 3, 4 }, { 0, 0 }, Phase::Order, { true, true, true, true, true },
            { -1, -1, -1, -1, -1 }, { 0b11110, 0b00001, 0b00001, 0b00001, 0b00001 } },
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.what);
        Question q = Question::of(rows, row.picked, noShuffle);
        if (row.exchange.first) {
            if (row.phase == Phase::Explanations)
                q.exchangeExplanations(row.exchange.first, row.exchange.second);
            else
                q.exchangeRows(row.exchange.first, row.exchange.second);
        }
        const JudgementRecord r = judgementOf(q, rows, row.phase);
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(r.rows[i].event, idOfRow(rows, q.row(i + 1).rowIndex));
            EXPECT_EQ(r.rows[i].wrong, row.wrong[i]);
            EXPECT_EQ(r.rows[i].confusedWith, row.confusedWith[i]);
            EXPECT_EQ(r.rows[i].against, row.against[i]);
        }
        // It is stored and read back as it is.
        JudgementRecord dated = r;
        dated.recordDate = 46000.25;
        dated.pupilNo = 12;
        dated.level = 3;
        EXPECT_EQ(JudgementRecord::fromBytes(dated.toBytes().constData()), dated);
    }
}

// Bytes that are no record of the program are refused, each kind of damage on its own.
TEST(JudgementRecords, DamagedBytesAreNoRecord)
{
    JudgementRecord r = judgement(46000, { { 5, true } });
    r.rows[0].confusedWith = 2;
    const QByteArray good = r.toBytes();
    ASSERT_TRUE(JudgementRecord::fromBytes(good.constData()));
    for (int at : { 0, 8, 12, 14, 15, 20, 59, 60, 63 }) {
        QByteArray bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x40);
        EXPECT_FALSE(JudgementRecord::fromBytes(bad.constData())) << "byte " << at;
    }
    EXPECT_FALSE(JudgementRecord::fromBytes(QByteArray(kEventRecordLength, '\0').constData()));
}

class EventsFile : public ::testing::Test {
protected:
    void write(const std::vector<JudgementRecord>& records, bool append = false)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(append ? QIODevice::Append : QIODevice::WriteOnly));
        for (const JudgementRecord& r : records)
            f.write(r.toBytes());
    }
    QTemporaryDir dir;
    QString path = dir.filePath(eventsFileName());
};

// The history follows the file as it grows, starts again when it was started afresh, and a
// damaged record names the file and the record.
TEST_F(EventsFile, HistoryFollowsTheFileAndRefusesADamagedOne)
{
    EventHistory history;
    EXPECT_FALSE(history.update(path, { 7 })); // no file yet: nothing
    EXPECT_TRUE(history.pupil(7).events().empty());
    JudgementRecord other = judgement(100, { { 21, true } });
    other.pupilNo = 8;
    write({ judgement(100, { { 11, true } }), other, judgement(101, { { 11, false } }) });
    ASSERT_FALSE(history.update(path, { 7 }));
    EXPECT_EQ(history.pupil(7).find(11)->box, 2);
    EXPECT_EQ(history.pupil(7).find(21), nullptr); // another pupil's event
    write({ judgement(104, { { 11, false } }) }, true);
    ASSERT_FALSE(history.update(path, { 7 }));
    EXPECT_EQ(history.pupil(7).find(11)->box, 3);
    EXPECT_EQ(history.pupil(7).find(11)->judged, 3);

    // Started afresh by a teacher, with more records than before: read from its start.
    write({ judgement(200, { { 12, true } }), judgement(200, { { 13, true } }), judgement(200, { { 14, true } }),
        judgement(201, { { 15, true } }), judgement(201, { { 16, true } }) });
    ASSERT_FALSE(history.update(path, { 7 }));
    EXPECT_EQ(history.pupil(7).find(11), nullptr);
    EXPECT_EQ(history.pupil(7).dueOn(202).size(), 5u);

    // A record damaged: the file cannot be used, whichever pupil is asked for.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(3 * kEventRecordLength + 14);
    f.write("\x7f");
    f.close();
    const std::optional<FileError> e = EventHistory().update(path, { 8 });
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->message().contains(path) && e->message().contains(QStringLiteral("4 件目の記録が壊れています")))
        << e->message().toStdString();
    EventHistory fresh;
    EXPECT_TRUE(fresh.update(path, { 7 }));
    EXPECT_TRUE(fresh.pupil(7).events().empty());
}

// A review asks the events due first, then his other weak events, then other events of the
// levels he played; one question per five events due, at most five.
TEST(ReviewPlans, AskTheDueEventsFirstAndFillUpFromThePlayedLevels)
{
    const QuestionRows rows = sampleRows();
    testing_support::FakeRandom random; // always 0: the first candidate, no reordering by chance
    PupilEvents pupil;
    EXPECT_TRUE(planReview(pupil, rows, 200, random).questions.empty());

    pupil.apply(judgement(198, { { idOfRow(rows, 3), true } }, 1)); // due 199
    pupil.apply(judgement(199, { { idOfRow(rows, 2), true }, { eventId("1", "問題ファイルにない"), true } }, 1));
    ReviewPlan plan = planReview(pupil, rows, 199, random);
    EXPECT_EQ(plan.dueCount, 1);
    ASSERT_EQ(plan.questions.size(), 1u);
    std::array<int, 5> asked = plan.questions[0];
    std::sort(asked.begin(), asked.end());
    // 3 due, 2 in the schedule, 1 and 4 of level 1, the level he played; then 5, as level 1 has
    // no more.
    EXPECT_EQ(asked, (std::array<int, 5> { 1, 2, 3, 4, 5 }));
    EXPECT_EQ(dueInRows(pupil, rows, 200), 2); // the event no longer in the file is not counted
    EXPECT_EQ(pupil.dueOn(200).size(), 3u);

    PupilEvents many;
    for (int r = 1; r <= 8; ++r)
        many.apply(judgement(100, { { idOfRow(rows, r), true } }, 2));
    plan = planReview(many, rows, 101, random);
    EXPECT_EQ(plan.dueCount, 8);
    ASSERT_EQ(plan.questions.size(), 1u); // eight rows hold one question of five only
    QuestionRows more = rows;
    for (int r = 9; r <= 40; ++r) {
        more.rowLevel[r] = 1;
        more.rowYear[r] = QString::number(1000 + r);
        more.rowEvent[r] = QStringLiteral("出来事%1").arg(r);
        more.rowExplanation[r] = QStringLiteral("説明%1").arg(r);
        many.apply(judgement(100, { { idOfRow(more, r), true } }, 1));
    }
    more.usableRowCount = 40;
    plan = planReview(many, more, 101, random);
    EXPECT_EQ(plan.questions.size(), 5u); // 40 due: five questions
    std::set<int> distinct;
    for (const auto& q : plan.questions)
        distinct.insert(q.begin(), q.end());
    EXPECT_EQ(distinct.size(), 25u);
}

} // namespace
