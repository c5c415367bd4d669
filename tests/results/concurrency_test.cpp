// Several workstations appending at once, and writers that die in the middle of a record.
#include "results/results.h"
#include "results/retry.h"
#include "results_testutil.h"
#include "review/eventrecord.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace kanameru;
using namespace results_test;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

class Workstations : public ::testing::Test {
protected:
    Workstations()
    {
        installation.load();
        today = platform.clock.todayDayCount();
    }
    std::unique_ptr<QProcess> start(const QStringList& arguments)
    {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(RESULTS_HELPER), arguments);
        if (!p->waitForStarted(testing_support::kWaitMs))
            throw std::runtime_error("the helper did not start");
        return p;
    }
    QStringList appendArguments(int pupil, int count) const
    {
        return { QStringLiteral("append"), installation.programFolder(), installation.rosterFolder(),
            QString::number(pupil), QString::number(count) };
    }
    QString mainPath() const { return installation.programFolder() + resultsFileName(); }
    QString homePath() const { return installation.rosterFolder() + installationResultsFileName(); }

    FakePlatform platform;
    TestInstallation installation;
    double today = 0;
};

// Every record of the program's file must be a whole record the helper wrote.
void expectWellFormed(const ResultRecord& r)
{
    EXPECT_EQ(r.level, 1);
    EXPECT_EQ(r.schoolCode, QByteArray("12345"));
    EXPECT_EQ(r.note, QByteArray("     "));
    EXPECT_EQ(r.kindText, QByteArray("0    "));
    EXPECT_EQ(r.reserved, QByteArray(5, '\0'));
    EXPECT_GT(r.recordDate, 40000);
    EXPECT_GE(r.recordTime, 0);
    EXPECT_LT(r.recordTime, 1);
}

TEST_F(Workstations, FourProcessesAppendingAtOnceLoseNothingAndDuplicateNothing)
{
    constexpr int kWriters = 4;
    constexpr int kEach = 500;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(start(appendArguments(101 + w, kEach)));
    for (auto& p : writers) {
        ASSERT_TRUE(p->waitForFinished(240000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }

    const QByteArray main = readFile(mainPath());
    ASSERT_EQ(main.size(), kWriters * kEach * kResultRecordLength);
    std::map<std::pair<int, int>, int> seen;
    std::map<int, int> lastOfPupil;
    for (int i = 0; i < kWriters * kEach; ++i) {
        const ResultRecord r = ResultRecord::fromBytes(main.constData() + i * kResultRecordLength);
        expectWellFormed(r);
        seen[{ r.pupilNo, r.result }] += 1;
        // each workstation's attempts stay in the order it made them
        EXPECT_EQ(r.result, lastOfPupil[r.pupilNo] + 1);
        lastOfPupil[r.pupilNo] = r.result;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kWriters * kEach));
    for (const auto& [key, count] : seen)
        EXPECT_EQ(count, 1) << key.first << "/" << key.second;

    const Result<std::vector<InstallationResultRecord>> home = readInstallationResults(homePath());
    ASSERT_TRUE(home.ok());
    ASSERT_EQ(home->size(), static_cast<size_t>(kWriters * kEach));
    EXPECT_EQ(QFileInfo(homePath()).size(), kWriters * kEach * kInstallationRecordLength);
    std::map<std::pair<int, int>, int> seenHome;
    for (const InstallationResultRecord& r : *home) {
        EXPECT_EQ(r.programName, fixedBytes(QStringLiteral("カナメル\\"), 20));
        EXPECT_EQ(r.reserved, QByteArray(15, '\0'));
        seenHome[{ r.pupilNo, r.result }] += 1;
    }
    EXPECT_EQ(seenHome, seen);

    // And the program reads them all back (2000 kept records).
    computeStatistics();
    EXPECT_EQ(loadedCount(), kWriters * kEach);
    for (int w = 0; w < kWriters; ++w)
        EXPECT_EQ(reg.bestScore(1, 101 + w), 1);
}

TEST_F(Workstations, AWriterDyingMidRecordLeavesEveryCompleteRecordAndTheNextAppendInPlace)
{
    const QByteArray before = bytesOf({ record(today, 1, 1, 11), record(today, 2, 1, 22), record(today, 3, 1, 33),
        record(today, 4, 1, 44), record(today, 5, 1, 55) });
    writeFile(mainPath(), before);
    for (int partial : { 1, 17, 43 }) {
        SCOPED_TRACE(partial);
        writeFile(mainPath(), before);
        auto dying = start({ QStringLiteral("partial"), mainPath(), QString::number(partial) });
        ASSERT_TRUE(dying->waitForFinished(testing_support::kWaitMs));
        EXPECT_EQ(dying->exitStatus(), QProcess::CrashExit);
        ASSERT_EQ(QFileInfo(mainPath()).size(), before.size() + partial);

        computeStatistics();
        ASSERT_EQ(loadedCount(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(loadedResults()[static_cast<size_t>(i)].result, 11 * (i + 1));
        EXPECT_TRUE(platform.messages.texts.isEmpty());

        // The dead writer's lock went with it: the next append needs no wait.
        std::vector<int> waits;
        {
            const auto noted
                = testing_support::installHook(results_retry::setWaitForTests, [&](int ms) { waits.push_back(ms); });
            reg.currentPupilNo = 6;
            reg.currentLevel = 1;
            reg.attemptResult = 66;
            appendResult();
        }
        EXPECT_TRUE(waits.empty());
        const QByteArray after = readFile(mainPath());
        ASSERT_EQ(after.size(), 6 * kResultRecordLength);
        EXPECT_EQ(after.left(before.size()), before);
        const ResultRecord added = ResultRecord::fromBytes(after.constData() + 5 * kResultRecordLength);
        EXPECT_EQ(added.pupilNo, 6);
        EXPECT_EQ(added.result, 66);
        expectWellFormed(added);
    }
}

// A writer killed at an arbitrary moment while appending: whatever it left, the complete
// records are its attempts in order and the next append goes right after them.
TEST_F(Workstations, AWriterKilledAtAnyMomentLeavesConsistentFiles)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(mainPath());
        QFile::remove(homePath());
        auto writer = start(appendArguments(200, 100000));
        const qint64 killAt = (40 + 37 * round) * kResultRecordLength;
        for (int i = 0; i < 20000 && QFileInfo(mainPath()).size() < killAt; ++i)
            QThread::usleep(500);
        writer->kill();
        ASSERT_TRUE(writer->waitForFinished(testing_support::kWaitMs));

        const QByteArray main = readFile(mainPath());
        const int complete = static_cast<int>(main.size() / kResultRecordLength);
        ASSERT_GT(complete, 0);
        for (int i = 0; i < complete; ++i) {
            const ResultRecord r = ResultRecord::fromBytes(main.constData() + i * kResultRecordLength);
            expectWellFormed(r);
            EXPECT_EQ(r.pupilNo, 200);
            EXPECT_EQ(r.result, i + 1);
        }
        const Result<std::vector<InstallationResultRecord>> home = readInstallationResults(homePath());
        ASSERT_TRUE(home.ok());
        // the installation-wide record follows the program's one
        EXPECT_TRUE(static_cast<int>(home->size()) == complete || static_cast<int>(home->size()) == complete - 1);
        for (size_t i = 0; i < home->size(); ++i)
            EXPECT_EQ((*home)[i].result, static_cast<int>(i) + 1);

        reg.currentPupilNo = 201;
        reg.currentLevel = 1;
        reg.attemptResult = 5;
        appendResult();
        const QByteArray after = readFile(mainPath());
        ASSERT_EQ(after.size(), (complete + 1) * kResultRecordLength);
        EXPECT_EQ(ResultRecord::fromBytes(after.constData() + complete * kResultRecordLength).pupilNo, 201);
    }
}

// A write that fails part-way (here the file may not grow, as on a full disk) is taken back:
// the file ends after its last complete record, and the program ends with a message.
TEST_F(Workstations, AWriteThatFailsHalfWayLeavesNoHalfRecord)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit to stop a write part way";
#endif
    const QByteArray before = bytesOf({ record(today, 1, 1, 11), record(today, 2, 1, 22), record(today, 3, 1, 33) });
    writeFile(mainPath(), before + QByteArray(20, 'x'));
    const qint64 limit = before.size() + 30; // room for only 30 of the 44 bytes
    auto writer = start({ QStringLiteral("limited"), installation.programFolder(), installation.rosterFolder(),
        QString::number(limit) });
    ASSERT_TRUE(writer->waitForFinished(testing_support::kWaitMs));
    EXPECT_EQ(writer->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(writer->exitCode(), 1);
    const QString err = QString::fromUtf8(writer->readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("成績ランダムファイル記録"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("ディスクの空き容量が不足しています"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("番号12 レベル1 成績77"))) << err.toStdString();
    EXPECT_EQ(readFile(mainPath()), before);
    EXPECT_FALSE(QFileInfo::exists(homePath()));
}

// The events file under the same faults: a writer killed at any moment, or one whose disk is
// full, leaves only whole records, every judgement it finished in order, and the next append
// right after them; a full disk is told with the file's name and ends nothing.
TEST_F(Workstations, JudgementsSurviveAKilledWriterAndAFullDiskWhole)
{
    const QString events = installation.programFolder() + review::eventsFileName();
    const auto records = [&] {
        std::vector<review::JudgementRecord> out;
        const QByteArray bytes = readFile(events);
        for (qsizetype at = 0; at + review::kEventRecordLength <= bytes.size(); at += review::kEventRecordLength) {
            const auto r = review::JudgementRecord::fromBytes(bytes.constData() + at);
            EXPECT_TRUE(r.has_value()) << "record " << at / review::kEventRecordLength + 1 << " is torn";
            if (r)
                out.push_back(*r);
        }
        return out;
    };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(events);
        auto writer = start({ QStringLiteral("judgements"), events, QStringLiteral("100000") });
        const qint64 killAt = (30 + 41 * round) * review::kEventRecordLength;
        for (int i = 0; i < 20000 && QFileInfo(events).size() < killAt; ++i)
            QThread::usleep(500);
        writer->kill();
        ASSERT_TRUE(writer->waitForFinished(testing_support::kWaitMs));
        const std::vector<review::JudgementRecord> kept = records();
        ASSERT_GT(kept.size(), 0u);
        for (size_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(kept[i].rows[4].event, i + 1);
        auto next = start({ QStringLiteral("judgements"), events, QStringLiteral("1") });
        ASSERT_TRUE(next->waitForFinished(testing_support::kWaitMs));
        const std::vector<review::JudgementRecord> after = records();
        ASSERT_EQ(after.size(), kept.size() + 3);
        EXPECT_EQ(QFileInfo(events).size(), static_cast<qint64>(after.size()) * review::kEventRecordLength);
        EXPECT_EQ(after[kept.size()].rows[0].event, 1u);
    }
#ifndef _WIN32
    // Room for one judgement and a half: the second is taken back whole.
    QFile::remove(events);
    auto full = start({ QStringLiteral("judgements"), events, QStringLiteral("2"),
        QString::number(review::kEventRecordLength * 9 / 2) });
    ASSERT_TRUE(full->waitForFinished(testing_support::kWaitMs));
    EXPECT_EQ(full->exitCode(), 1);
    const QString told = QString::fromUtf8(full->readAllStandardError());
    EXPECT_TRUE(told.contains(events) && told.contains(QStringLiteral("ディスクの空き容量が不足しています")))
        << told.toStdString();
    EXPECT_EQ(QFileInfo(events).size(), 3 * review::kEventRecordLength);
    EXPECT_EQ(records().size(), 3u);
#endif
}

} // namespace
