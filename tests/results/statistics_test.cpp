// Reading the results file back and the statistics built from it.
#include "results/results.h"
#include "results_testutil.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace kanameru;
using namespace results_test;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

class Statistics : public ::testing::Test {
protected:
    Statistics()
    {
        installation.load();
        today = platform.clock.todayDayCount();
    }
    QString path() const { return resultsFilePath(); }
    void write(const std::vector<ResultRecord>& records) { writeFile(path(), bytesOf(records)); }

    FakePlatform platform;
    TestInstallation installation;
    double today = 0;
};

// Every table must be back to "nothing recorded": a stale value would show counts of a
// previous rebuild.
void expectEmptyStatistics()
{
    for (int level : { 1, 2, 35 })
        for (int pupil : { 1, 12, 5000 }) {
            EXPECT_EQ(reg.bestScore(level, pupil), kTimeOut);
            EXPECT_EQ(reg.totalCount(level, pupil), 0);
            EXPECT_EQ(reg.totalPoints(level, pupil), 0);
            EXPECT_EQ(reg.recentCount(level, pupil), 0);
            EXPECT_EQ(reg.todayPoints(level, pupil), 0);
        }
    for (int level = 1; level <= kMaxLevel; ++level)
        EXPECT_EQ(reg.levelBestScore[level], kTimeOut);
    EXPECT_EQ(loadedCount(), 0);
}

enum class FileState { Missing, Empty, OnlyAPartialRecord };

TEST_F(Statistics, AMissingEmptyOrCutOffFileGivesNoRecordsAndClearsOldNumbers)
{
    for (FileState state : { FileState::Missing, FileState::Empty, FileState::OnlyAPartialRecord }) {
        SCOPED_TRACE(static_cast<int>(state));
        QFile::remove(path());
        if (state == FileState::Empty)
            writeFile(path(), QByteArray());
        if (state == FileState::OnlyAPartialRecord)
            writeFile(path(), record(today, 1, 1, 10).toBytes().left(30));
        // numbers left from an earlier rebuild
        reg.totalCount(1, 1) = 3;
        reg.todayPoints(2, 12) = 40;
        reg.bestScore(1, 12) = 7;
        computeStatistics();
        expectEmptyStatistics();
        EXPECT_TRUE(platform.messages.texts.isEmpty());
        EXPECT_FALSE(programEnding());
        // the file is there afterwards, and a cut-off record is left for the next append
        EXPECT_TRUE(QFileInfo::exists(path()));
        EXPECT_EQ(QFileInfo(path()).size(), state == FileState::OnlyAPartialRecord ? 30 : 0);
    }
}

struct WindowCase {
    double recentDays;
    double capDays;
    int expectedRecent; // of 41 daily attempts, today and the 40 days before
    int expectedCap;
};

class Windows : public Statistics, public ::testing::WithParamInterface<WindowCase> { };

// A window of N days holds the attempts of the last N calendar days, today included.
TEST_P(Windows, HoldTheLastNCalendarDaysIncludingToday)
{
    const WindowCase c = GetParam();
    reg.levelRecentDays[1] = AnyValue(c.recentDays);
    reg.levelCapDays[1] = AnyValue(c.capDays);
    reg.levelTarget[1] = 100;
    reg.levelPointFactor[1] = 1;
    std::vector<ResultRecord> records;
    for (int daysAgo = 40; daysAgo >= 0; --daysAgo) {
        records.push_back(record(today - daysAgo, 5, 1, 50, 0.99)); // 11 points each
        records.push_back(record(today - daysAgo, 5, 1, kTimeOut)); // a time-out: no attempt, no points
        records.push_back(record(today - daysAgo, 5, 1, 6000)); // 6000 or more: no attempt, no points
    }
    write(records);
    computeStatistics();
    EXPECT_EQ(reg.recentCount(1, 5), c.expectedRecent);
    EXPECT_EQ(reg.recentPoints(1, 5), 11 * c.expectedRecent);
    EXPECT_EQ(reg.capCount(1, 5), c.expectedCap);
    EXPECT_EQ(reg.capPoints(1, 5), 11 * c.expectedCap);
    EXPECT_EQ(reg.totalCount(1, 5), 41);
    EXPECT_EQ(reg.totalPoints(1, 5), 11 * 41);
    EXPECT_EQ(reg.todayCount(1, 5), 1.0f);
    EXPECT_EQ(reg.todayPoints(1, 5), 11);
    EXPECT_EQ(reg.bestScore(1, 5), 50);
    EXPECT_EQ(reg.levelBestScore[1], 50);
    EXPECT_EQ(loadedCount(), 123);
}

INSTANTIATE_TEST_SUITE_P(Table, Windows,
    ::testing::Values(WindowCase { 0, 0, 0, 0 }, WindowCase { 1, 7, 1, 7 }, WindowCase { 7, 1, 7, 1 },
        WindowCase { 28, 30, 28, 30 }, WindowCase { 41, 100, 41, 41 }, WindowCase { -3, 2, 0, 2 }));

TEST_F(Statistics, TodayDependsOnTheCalendarDayNotOnTheLast24Hours)
{
    // Just after midnight: yesterday's late attempt is not today's.
    platform.clock.set(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 5)));
    today = platform.clock.todayDayCount();
    reg.levelRecentDays[1] = AnyValue(1);
    write({ record(today - 1, 3, 1, 100, 23.9 / 24), record(today, 3, 1, 100, 0.00001) });
    computeStatistics();
    EXPECT_EQ(reg.todayCount(1, 3), 1.0f);
    EXPECT_EQ(reg.recentCount(1, 3), 1);
    EXPECT_EQ(reg.totalCount(1, 3), 2);
}

TEST_F(Statistics, ABoardAndEndScreenAgreeOnThePointsOfALongResult)
{
    reg.levelTarget[1] = 1200;
    reg.levelPointFactor[1] = 1;
    write({ record(today, 9, 1, 1100) });
    computeStatistics();
    EXPECT_EQ(reg.todayPoints(1, 9), attemptPoints(1100, 1));
    EXPECT_EQ(reg.totalPoints(1, 9), 5);
}

struct InvalidCase {
    const char* what;
    double date;
    int pupil;
    int level;
    qint32 result;
    bool lowersItsBest; // the record may lower bestScore of its (level, pupil) slot
};

// Records the program never writes (a damaged file, a foreign tool) are skipped without
// ending the program; the ones the tables can hold may still lower their best result.
TEST_F(Statistics, RecordsThatAreNoAttemptAreSkippedAndNeverEndTheProgram)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const InvalidCase cases[] = {
        { "pupil 0", today, 0, 1, 3, true },
        { "level 0", today, 4, 0, 3, true },
        { "negative date", -1, 4, 2, 3, true },
        { "level 36", today, 4, 36, 3, false },
        { "level 32767", today, 4, 32767, 3, false },
        { "negative level", today, 4, -1, 3, false },
        { "pupil 5001", today, 5001, 1, 3, false },
        { "negative pupil", today, -4, 1, 3, false },
        { "date that is no number", nan, 4, 3, 3, true },
        { "negative result", today, 4, 1, -50, false },
    };
    for (const InvalidCase& c : cases) {
        SCOPED_TRACE(c.what);
        write({ record(today, 4, 1, 200), record(c.date, c.pupil, c.level, c.result), record(today, 4, 1, 250) });
        computeStatistics();
        EXPECT_TRUE(platform.messages.texts.isEmpty());
        EXPECT_FALSE(programEnding());
        ASSERT_EQ(loadedCount(), 2);
        EXPECT_EQ(loadedResults()[0].number, 1);
        EXPECT_EQ(loadedResults()[1].number, 3);
        EXPECT_EQ(reg.totalCount(1, 4), 2);
        if (c.lowersItsBest) {
            EXPECT_EQ(reg.bestScore(c.level, c.pupil), 3);
        } else {
            EXPECT_EQ(reg.bestScore(1, 4), 200);
        }
        if (c.level >= 1 && c.level <= 35 && c.level != 1) {
            EXPECT_EQ(reg.totalCount(c.level, 4), 0);
        }
    }
    // The best of level 1 over all pupils ignores pupil 0.
    write({ record(today, 0, 1, 3), record(today, 4, 1, 200) });
    computeStatistics();
    EXPECT_EQ(reg.levelBestScore[1], 200);
}

// 25000 attempts: only the last 20000 are read (from record 5001), and of the valid ones the
// newest 10001 are kept, so that an attempt recorded today still counts.
TEST_F(Statistics, ALargeFileKeepsTheNewestAttempts)
{
    reg.levelTarget[3] = 100;
    reg.levelPointFactor[3] = 1;
    reg.levelRecentDays[3] = AnyValue(3650);
    std::vector<ResultRecord> records;
    records.reserve(25001);
    for (int n = 1; n <= 25000; ++n) {
        const double date = today - 400 + n / 64;
        if (n == 3000)
            records.push_back(record(date, 7, 2, 1)); // before the read window: ignored
        else if (n == 6000)
            records.push_back(record(date, 8, 2, 2)); // read, too old to keep, lowers the best
        else if (n == 20000)
            records.push_back(record(date, 0, 2, 1)); // never kept
        else
            records.push_back(record(date, 1 + n % 50, 1, 100 + n % 7));
    }
    write(records);
    computeStatistics();
    ASSERT_EQ(loadedCount(), 10001);
    EXPECT_EQ(loadedResults().front().number, 14999); // record 20000 is skipped
    EXPECT_EQ(loadedResults().back().number, 25000);
    EXPECT_EQ(reg.bestScore(2, 7), kTimeOut);
    EXPECT_EQ(reg.bestScore(2, 8), 2);
    EXPECT_EQ(reg.totalCount(2, 8), 0);
    EXPECT_EQ(reg.levelBestScore[2], 2);
    int kept = 0;
    for (int pupil = 1; pupil <= 50; ++pupil)
        kept += reg.totalCount(1, pupil);
    EXPECT_EQ(kept, 10001);

    // One more attempt is counted at once.
    records.push_back(record(today, 9, 3, 40));
    write(records);
    computeStatistics();
    EXPECT_EQ(reg.totalCount(3, 9), 1);
    EXPECT_EQ(reg.todayCount(3, 9), 1.0f);
    EXPECT_EQ(reg.recentPoints(3, 9), attemptPoints(40, 3));
    EXPECT_EQ(loadedResults().back().number, 25001);
}

TEST_F(Statistics, LoadResultsAloneSetsTheBestResultsAndLeavesTheCounts)
{
    write({ record(today, 2, 1, 90), record(today, 3, 1, 80), record(today, 2, 1, 70) });
    reg.totalCount(1, 2) = 5;
    loadResults();
    EXPECT_EQ(reg.bestScore(1, 2), 70);
    EXPECT_EQ(reg.bestScore(1, 3), 80);
    EXPECT_EQ(reg.levelBestScore[1], 70);
    EXPECT_EQ(reg.totalCount(1, 2), 5);
    ASSERT_EQ(loadedCount(), 3);
    EXPECT_EQ(loadedResults()[1].pupilNo, 3);
    EXPECT_EQ(loadedResults()[1].date, today);
    EXPECT_EQ(loadedResults()[1].time, 0.5);
}

TEST_F(Statistics, AsOfAPastDateLeavesOutLaterAttempts)
{
    reg.levelRecentDays[1] = AnyValue(3);
    const std::vector<ResultRecord> records = { record(today - 10, 2, 1, 90), record(today - 5, 2, 1, 50),
        record(today - 4, 2, 1, 40, 0), record(today, 2, 1, 30) };
    const QByteArray bytes = bytesOf(records);
    std::vector<LoadedResult> loaded;
    for (int i = 0; i < 4; ++i) {
        const ResultRecord r = ResultRecord::fromBytes(bytes.constData() + i * kResultRecordLength);
        loaded.push_back(LoadedResult { r.recordDate, r.recordTime, r.pupilNo, r.level, r.result, i + 1 });
    }
    computeStatisticsFrom(loaded, today - 5 + 0.5, true);
    EXPECT_EQ(reg.totalCount(1, 2), 2);
    EXPECT_EQ(reg.todayCount(1, 2), 1.0f);
    EXPECT_EQ(reg.recentCount(1, 2), 1);
    EXPECT_EQ(reg.bestScore(1, 2), 50);
    computeStatisticsFrom(loaded, today + 0.5, false);
    EXPECT_EQ(reg.totalCount(1, 2), 4);
    EXPECT_EQ(reg.bestScore(1, 2), 30);
}

TEST_F(Statistics, TheBoardReadsTheLastAttemptsInFileOrder)
{
    std::vector<ResultRecord> records;
    for (int n = 1; n <= 1500; ++n)
        records.push_back(record(today, n % 40 + 1, 1, n));
    QByteArray bytes = bytesOf(records);
    bytes += record(today, 1, 1, 1).toBytes().left(10); // a record being written right now
    writeFile(path(), bytes);
    EXPECT_EQ(storedResultCount(), 1500);
    const Result<std::vector<LoadedResult>> last = readStoredResults(1000);
    ASSERT_TRUE(last.ok());
    ASSERT_EQ(last->size(), 1000u);
    EXPECT_EQ(last->front().number, 501);
    EXPECT_EQ(last->front().result, 501);
    EXPECT_EQ(last->back().number, 1500);
    const Result<std::vector<LoadedResult>> all = readStoredResults(0);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all->size(), 1500u);
    const Result<std::vector<LoadedResult>> none = readStoredResults(10, path() + QStringLiteral(".none"));
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
}

} // namespace
