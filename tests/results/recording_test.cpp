// Recording an attempt: the record flags, the two files, the fields written, and the retry
// handlers when a file is missing, locked or unusable.
#include "fileio/fileio.h"
#include "platform/nativepath.h"
#include "results/results.h"
#include "results/retry.h"
#include "results_testutil.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kanameru;
using namespace results_test;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

// Replaces the handlers' waits by one that only notes them (and may act during them).
class NotedWaits {
public:
    NotedWaits()
    {
        before_ = results_retry::setWaitForTests([this](int ms) {
            waits.push_back(ms);
            if (during)
                during(static_cast<int>(waits.size()));
        });
    }
    ~NotedWaits() { results_retry::setWaitForTests(before_); }
    std::vector<int> waits;
    std::function<void(int count)> during;

private:
    results_retry::WaitFunction before_;
};

class Recording : public ::testing::Test {
protected:
    Recording()
    {
        installation.load();
        today = platform.clock.todayDayCount();
        reg.currentPupilNo = 12;
        reg.currentLevel = 1;
    }
    QString mainPath() const { return resultsFilePath(); }
    QString homePath() const { return installationResultsFilePath(); }
    qint64 mainCount() const { return QFileInfo(mainPath()).size() / kResultRecordLength; }
    qint64 homeCount() const { return QFileInfo(homePath()).size() / kInstallationRecordLength; }
    ResultRecord lastMain() const
    {
        const QByteArray bytes = readFile(mainPath());
        return ResultRecord::fromBytes(bytes.constData() + bytes.size() - kResultRecordLength);
    }

    FakePlatform platform;
    TestInstallation installation;
    double today = 0;
};

struct Prior {
    int pupil;
    qint32 result;
    int daysAgo;
};

struct FlagCase {
    const char* what;
    std::vector<Prior> before;
    qint32 result;
    int personal;
    int overall;
    int alreadyCleared;
};

class RecordFlags : public Recording, public ::testing::WithParamInterface<FlagCase> { };

// Target 300, 60 points and 5 attempts to clear (the test installation's levels).
TEST_P(RecordFlags, AreSetFromTheStatisticsBeforeTheAttempt)
{
    const FlagCase& c = GetParam();
    std::vector<ResultRecord> records;
    for (const Prior& p : c.before)
        records.push_back(record(today - p.daysAgo, p.pupil, 1, p.result));
    writeFile(mainPath(), bytesOf(records));
    computeStatistics();
    const qint32 bestBefore = reg.bestScore(1, 12);
    const qint32 levelBestBefore = reg.levelBestScore[1];
    const qint16 countBefore = reg.totalCount(1, 12);

    reg.attemptResult = c.result;
    recordResult(1);

    EXPECT_EQ(reg.newPersonalBest, c.personal);
    EXPECT_EQ(reg.newOverallBest, c.overall);
    EXPECT_EQ(reg.alreadyCleared, c.alreadyCleared);
    EXPECT_EQ(reg.bestScore(1, 12), qMin(bestBefore, c.result));
    EXPECT_EQ(reg.levelBestScore[1], qMin(levelBestBefore, c.result));
    // The counts stay as last computed until the next rebuild.
    EXPECT_EQ(reg.totalCount(1, 12), countBefore);
    ASSERT_EQ(mainCount(), static_cast<qint64>(c.before.size()) + 1);
    EXPECT_EQ(lastMain().result, c.result);
    EXPECT_TRUE(platform.messages.texts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, RecordFlags,
    ::testing::Values(FlagCase { "first attempt of all", {}, 200, 1, 1, 0 },
        FlagCase { "first attempt ran out of time", {}, kTimeOut, 0, 0, 0 },
        FlagCase { "time-out after others", { { 30, 100, 0 } }, kTimeOut, 0, 0, 0 },
        FlagCase { "own best, not the level's", { { 12, 150, 0 }, { 30, 100, 0 } }, 120, 1, 0, 0 },
        FlagCase { "equal to the own best", { { 12, 150, 0 } }, 150, 0, 0, 0 },
        FlagCase { "best of everybody", { { 12, 150, 0 }, { 30, 100, 0 } }, 90, 1, 1, 0 },
        FlagCase { "first own attempt, behind another", { { 30, 100, 0 } }, 120, 1, 0, 0 },
        FlagCase { "cleared before", { { 12, 100, 0 }, { 12, 100, 0 }, { 12, 100, 1 }, { 12, 100, 2 }, { 12, 100, 3 } },
            120, 0, 0, 1 },
        FlagCase { "cleared long ago counts too",
            { { 12, 100, 400 }, { 12, 100, 400 }, { 12, 100, 500 }, { 12, 100, 600 }, { 12, 100, 700 } }, 120, 0, 0,
            1 },
        FlagCase { "four attempts are not enough", { { 12, 100, 0 }, { 12, 100, 0 }, { 12, 100, 0 }, { 12, 100, 0 } },
            120, 0, 0, 0 },
        FlagCase { "time-outs are no attempts",
            { { 12, 100, 0 }, { 12, 100, 0 }, { 12, 100, 0 }, { 12, 100, 0 }, { 12, kTimeOut, 0 } }, 120, 0, 0, 0 }));

struct FilesCase {
    qint16 pupil;
    bool installationWide;
};

TEST_F(Recording, PupilsFrom4900To5000GetNoInstallationWideRecord)
{
    const FilesCase cases[] = { { 12, true }, { 1, true }, { 4899, true }, { 4900, false }, { 4950, false },
        { 5000, false }, { 5001, true } };
    qint64 expectedHome = 0;
    for (const FilesCase& c : cases) {
        SCOPED_TRACE(c.pupil);
        reg.currentPupilNo = c.pupil;
        reg.attemptResult = 100 + c.pupil;
        const qint64 mainBefore = mainCount();
        recordResult(1);
        expectedHome += c.installationWide ? 1 : 0;
        EXPECT_EQ(mainCount(), mainBefore + 1);
        EXPECT_EQ(lastMain().pupilNo, c.pupil);
        EXPECT_EQ(homeCount(), expectedHome);
    }
    const Result<std::vector<InstallationResultRecord>> home = readInstallationResults();
    ASSERT_TRUE(home.ok());
    ASSERT_EQ(home->size(), 4u);
    EXPECT_EQ(home->back().pupilNo, 5001);
    EXPECT_EQ(home->back().result, 5101);
}

// Both records of an attempt at 23:59:59.6 on 2026/12/07, byte for byte.
TEST_F(Recording, WritesTheFieldsOfBothRecords)
{
    platform.clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 600)));
    reg.currentPupilNo = 12;
    reg.currentLevel = 3;
    reg.attemptResult = 123;
    appendResult();
    // 86399 / 86400 of a day: the time is whole seconds, and the date stays the 7th.
    const QByteArray time = QByteArray::fromHex("325f37bae7ffef3f");
    EXPECT_EQ(readFile(mainPath()).toHex(),
        (QByteArray::fromHex("0000000060a3e640") + time + QByteArray::fromHex("0c0003007b000000") + "12345" + "     "
            + "0    " + QByteArray(5, '\0'))
            .toHex());
    EXPECT_EQ(readFile(homePath()).toHex(),
        (QByteArray::fromHex("834a83698381838b5c") + QByteArray(11, ' ') + QByteArray(2, '\0')
            + QByteArray::fromHex("0000000060a3e640") + time + QByteArray::fromHex("0c0003007b000000") + "12345"
            + QByteArray(15, '\0'))
            .toHex());

    // A school without a code writes five spaces.
    reg.schoolCode.clear();
    appendResult();
    EXPECT_EQ(lastMain().schoolCode, QByteArray("     "));
}

TEST_F(Recording, AnAppendOverwritesAPartialRecordLeftByACrash)
{
    QByteArray bytes = bytesOf({ record(today, 1, 1, 11), record(today, 2, 1, 22) });
    writeFile(mainPath(), bytes + QByteArray(17, 'x'));
    reg.attemptResult = 33;
    appendResult();
    const QByteArray after = readFile(mainPath());
    ASSERT_EQ(after.size(), 3 * kResultRecordLength);
    EXPECT_EQ(after.left(2 * kResultRecordLength), bytes);
    EXPECT_EQ(lastMain().result, 33);
    EXPECT_EQ(lastMain().pupilNo, 12);
}

TEST_F(Recording, AMissingFolderEndsTheProgramAtOnceNamingTheAttempt)
{
    NotedWaits waits;
    reg.programFolder = installation.root() + QStringLiteral("/gone/");
    reg.attemptResult = 321;
    recordResult(1);
    EXPECT_TRUE(waits.waits.empty());
    ASSERT_EQ(platform.messages.texts.size(), 1);
    const QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル記録"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ファイルが見つかりません")));
    EXPECT_TRUE(text.contains(reg.programFolder + resultsFileName()));
    EXPECT_TRUE(text.contains(QStringLiteral("番号12 レベル1 成績321")));
    EXPECT_TRUE(text.contains(installationResultsFileName() + QStringLiteral(" にも記録していません")))
        << text.toStdString();
    EXPECT_TRUE(programEnding());
    EXPECT_EQ(reg.newOverallBest, 0);
    EXPECT_FALSE(QFileInfo::exists(homePath())); // nothing half-recorded in the other file
}

// The drill set's file takes the attempt, the installation-wide one cannot: the message says
// exactly that, so the teacher does not enter the attempt a second time.
TEST_F(Recording, WhenOnlyTheInstallationWideFileFailsTheMessageSaysWhereTheAttemptWasStored)
{
    NotedWaits waits;
    reg.rosterFolder = installation.root() + QStringLiteral("/gone/");
    reg.attemptResult = 55;
    appendResult();
    EXPECT_TRUE(waits.waits.empty());
    EXPECT_EQ(mainCount(), 1);
    ASSERT_EQ(platform.messages.texts.size(), 1);
    const QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.contains(reg.rosterFolder + installationResultsFileName())) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("記録できなかった成績: ")));
    EXPECT_TRUE(text.contains(QStringLiteral("この成績は %1 には記録しました").arg(mainPath()))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("にも記録していません")));
    EXPECT_TRUE(programEnding());
}

TEST_F(Recording, LoadingFromAMissingFolderEndsAfterFourWaits)
{
    NotedWaits waits;
    reg.programFolder = installation.root() + QStringLiteral("/gone/");
    computeStatistics();
    EXPECT_EQ(waits.waits, (std::vector<int> { 5000, 5000, 5000, 5000 }));
    ASSERT_EQ(platform.messages.texts.size(), 1);
    const QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("ファイルがありません 2 "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" 53")));
    EXPECT_TRUE(programEnding());
    EXPECT_EQ(reg.bestScore(1, 12), kTimeOut);
}

TEST_F(Recording, AFileThatCannotBeUsedAtAllEndsTheProgramAtOnce)
{
    NotedWaits waits;
    QDir().mkpath(mainPath()); // a folder where the file should be
    computeStatistics();
    ASSERT_EQ(platform.messages.texts.size(), 1);
    QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル表示 75 "))) << text.toStdString();
    for (const char* label : { "/date", "/i=", "/time=", "/name=", "/Bangou=", "/level=", " line" })
        EXPECT_TRUE(text.contains(QString::fromUtf8(label))) << label;
    EXPECT_TRUE(waits.waits.empty());
    EXPECT_TRUE(programEnding());

    resetScreens();
    platform.messages.texts.clear();
    appendResult();
    ASSERT_EQ(platform.messages.texts.size(), 1);
    text = platform.messages.texts.first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル記録"))) << text.toStdString();
    EXPECT_TRUE(waits.waits.empty());
    EXPECT_TRUE(programEnding());
}

// A record not known to be on the disk is taken back, so a retry cannot store it twice, and the
// program ends naming the attempt and the reason, once (a full disk is not said twice).
TEST_F(Recording, AFlushThatFailsLeavesTheFileAsItWasAndEndsTheProgramNamingTheAttempt)
{
    const struct {
        int error;
        const char* reason;
    } rows[] = { { EIO, "デバイス I/O エラー" }, { ENOSPC, "ディスクの空き容量が不足しています" } };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        resetScreens();
        platform.messages.texts.clear();
        QFile::remove(homePath());
        const QByteArray before = bytesOf({ record(today, 1, 1, 11), record(today, 2, 1, 22) });
        writeFile(mainPath(), before);
        {
            const int error = row.error;
            const auto failingFlush
                = testing_support::installHook(fileio::setFlushForTests, [error](fileio::File&) { return error; });
            reg.attemptResult = 44;
            recordResult(1);
        }
        EXPECT_EQ(readFile(mainPath()), before);
        EXPECT_FALSE(QFileInfo::exists(homePath()));
        ASSERT_EQ(platform.messages.texts.size(), 1);
        const QString text = platform.messages.texts.first();
        EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル記録"))) << text.toStdString();
        EXPECT_EQ(text.count(QString::fromUtf8(row.reason)), 1) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("番号12 レベル1 成績44"))) << text.toStdString();
        EXPECT_TRUE(programEnding());
    }
}

TEST_F(Recording, ALockedFileIsTriedAgainEverySecondWhileWindowEventsRun)
{
    // Half a second before midnight: the waits do not go by the time of day.
    platform.clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 500)));
    reg.attemptResult = 77;
    writeFile(mainPath(), QByteArray());
    LockHolder holder(mainPath());
    bool timerRan = false;
    QTimer::singleShot(1500, [&] {
        timerRan = true;
        holder.release();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    appendResult();
    EXPECT_TRUE(timerRan); // the wait let the timer run: the window stays alive
    EXPECT_GE(elapsed.elapsed(), 1500);
    EXPECT_LT(elapsed.elapsed(), 60000); // a hang guard
    EXPECT_EQ(mainCount(), 1);
    EXPECT_EQ(lastMain().result, 77);
    EXPECT_EQ(lastMain().recordDate, platform::dayCount(QDate(2026, 12, 7)));
    EXPECT_TRUE(platform.messages.texts.isEmpty());
}

TEST_F(Recording, ALockHeldForLongShowsANoticeAndTheRecordIsStoredWhenItIsFreed)
{
    NotedWaits waits;
    writeFile(mainPath(), QByteArray());
    LockHolder holder(mainPath());
    platform.messages.onShow = [&](const QString&) { holder.release(); };
    reg.attemptResult = 88;
    appendResult();
    ASSERT_EQ(platform.messages.texts.size(), 1);
    EXPECT_TRUE(platform.messages.texts.first().contains(mainPath()));
    EXPECT_EQ(waits.waits.size(), static_cast<size_t>(results_retry::kAppendBusyPerNotice));
    EXPECT_FALSE(programEnding());
    EXPECT_EQ(mainCount(), 1);
    EXPECT_EQ(homeCount(), 1);
}

TEST_F(Recording, ALockThatIsNeverFreedEndsTheProgramInsteadOfHanging)
{
    NotedWaits waits;
    writeFile(mainPath(), QByteArray());
    LockHolder holder(mainPath());
    reg.attemptResult = 99;
    recordResult(1);
    const int notices = results_retry::kAppendBusyNotices - 1;
    ASSERT_EQ(platform.messages.texts.size(), notices + 1);
    EXPECT_TRUE(platform.messages.texts.last().startsWith(QStringLiteral("成績ランダムファイル記録")));
    EXPECT_TRUE(platform.messages.texts.last().contains(QStringLiteral("成績99")));
    EXPECT_EQ(waits.waits.size(),
        static_cast<size_t>(results_retry::kAppendBusyPerNotice * results_retry::kAppendBusyNotices - 1));
    for (int ms : waits.waits)
        EXPECT_EQ(ms, 1000);
    EXPECT_TRUE(programEnding());
    EXPECT_EQ(mainCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(homePath()));
}

// Another program holding a results file open without sharing it (a backup, a virus scanner, a
// teacher's spreadsheet; a sharing violation on Windows, played here through the file layer's
// open check): "in use", waited for like another workstation's lock, with the notice; the
// attempt is stored once it is freed, and only a file that stays held is reported, with the
// real reason.
class HeldByAnotherProgram {
public:
    explicit HeldByAnotherProgram(const QString& path)
        : path_(platform::nativePath(path))
    {
        before_ = fileio::setOpenCheckForTests([this](const fileio::Path& p, fileio::File::Mode) {
            if (!held || p != path_)
                return 0;
            ++refused;
            return ETXTBSY;
        });
    }
    ~HeldByAnotherProgram() { fileio::setOpenCheckForTests(before_); }
    bool held = true;
    int refused = 0;

private:
    fileio::Path path_;
    fileio::OpenCheck before_;
};

TEST_F(Recording, AFileHeldByAnotherProgramIsWaitedForWithTheNoticeAndTheAttemptStored)
{
    NotedWaits waits;
    writeFile(mainPath(), QByteArray());
    HeldByAnotherProgram program(mainPath());
    platform.messages.onShow = [&](const QString&) { program.held = false; };
    reg.attemptResult = 88;
    appendResult();
    ASSERT_EQ(platform.messages.texts.size(), 1);
    EXPECT_TRUE(platform.messages.texts.first().contains(QStringLiteral("他の端末")))
        << platform.messages.texts.first().toStdString();
    EXPECT_EQ(waits.waits.size(), static_cast<size_t>(results_retry::kAppendBusyPerNotice));
    EXPECT_FALSE(programEnding());
    EXPECT_EQ(mainCount(), 1);
    EXPECT_EQ(homeCount(), 1);

    // Held for good: after the notices the message gives the real reason, and nothing is stored.
    resetScreens();
    platform.messages.texts.clear();
    platform.messages.onShow = nullptr;
    program.held = true;
    appendResult();
    ASSERT_EQ(platform.messages.texts.size(), results_retry::kAppendBusyNotices);
    const QString last = platform.messages.texts.last();
    EXPECT_TRUE(last.startsWith(QStringLiteral("成績ランダムファイル記録"))) << last.toStdString();
    EXPECT_TRUE(last.contains(QStringLiteral("ほかのプログラムがファイルを開いています"))) << last.toStdString();
    EXPECT_TRUE(programEnding());
    EXPECT_EQ(mainCount(), 1);
    EXPECT_EQ(homeCount(), 1);
}

TEST_F(Recording, LoadingWaitsForAFileHeldByAnotherProgramThenReportsTheRealReason)
{
    writeFile(mainPath(), bytesOf({ record(today, 12, 1, 42) }));
    HeldByAnotherProgram program(mainPath());
    NotedWaits waits;
    waits.during = [&](int count) { program.held = count < 3; };
    computeStatistics();
    EXPECT_EQ(waits.waits, std::vector<int>({ 1000, 1000, 1000 }));
    EXPECT_TRUE(platform.messages.texts.isEmpty());
    EXPECT_EQ(reg.totalCount(1, 12), 1);

    waits.during = nullptr;
    waits.waits.clear();
    program.held = true;
    computeStatistics();
    EXPECT_EQ(waits.waits.size(), static_cast<size_t>(results_retry::kLoadBusyTries - 1));
    ASSERT_EQ(platform.messages.texts.size(), 1);
    EXPECT_TRUE(platform.messages.texts.first().startsWith(QStringLiteral("成績ランダムファイル表示")));
    EXPECT_TRUE(platform.messages.texts.first().contains(QStringLiteral("ほかのプログラムがファイルを開いています")))
        << platform.messages.texts.first().toStdString();
    EXPECT_TRUE(programEnding());
}

TEST_F(Recording, ReadingTakesNoLock)
{
    writeFile(mainPath(), bytesOf({ record(today, 12, 1, 42) }));
    LockHolder holder(mainPath());
    NotedWaits waits;
    computeStatistics();
    EXPECT_TRUE(waits.waits.empty());
    EXPECT_EQ(reg.totalCount(1, 12), 1);
}

// Failures that waiting cannot mend are reported at once with their real reason, never as a
// lock of another workstation; nothing is written to either file.
struct UnusableCase {
    const char* what;
    std::function<QString(const TestInstallation&)> folderOrSkip; // the program folder; empty: skip
    std::function<void(const QString& mainPath)> prepare;
    const char* reasonPart; // the program's own text of the reason
    bool loadToo = true; // loading waits for a missing folder, as it always has
};

class UnusableResultsFile : public Recording, public ::testing::WithParamInterface<UnusableCase> { };

TEST_P(UnusableResultsFile, IsReportedAtOnceWithItsReasonAndNothingIsWritten)
{
    const UnusableCase& c = GetParam();
    const QString folder = c.folderOrSkip(installation);
    if (folder.isEmpty())
        GTEST_SKIP() << c.what << ": no folder this user may not write to can be made here";
    reg.programFolder = folder;
    c.prepare(mainPath());
    if (IsSkipped())
        return;
    const QStringList before = testing_support::snapshot(installation.root());
    NotedWaits waits;
    reg.attemptResult = 61;
    const QString reason = QString::fromUtf8(c.reasonPart);
    appendResult();
    EXPECT_TRUE(waits.waits.empty()) << c.what;
    ASSERT_EQ(platform.messages.texts.size(), 1) << c.what;
    const QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("成績ランダムファイル記録"))) << text.toStdString();
    EXPECT_TRUE(text.contains(reason)) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("他の端末"))) << text.toStdString();
    EXPECT_TRUE(programEnding());
    EXPECT_EQ(testing_support::snapshot(installation.root()), before) << c.what;
    EXPECT_FALSE(QFileInfo::exists(homePath()));

    // Loading the statistics from it ends at once too, with the same reason.
    if (c.loadToo) {
        resetScreens();
        platform.messages.texts.clear();
        computeStatistics();
        EXPECT_TRUE(waits.waits.empty()) << c.what;
        ASSERT_EQ(platform.messages.texts.size(), 1) << c.what;
        EXPECT_TRUE(platform.messages.texts.first().contains(reason)) << platform.messages.texts.first().toStdString();
        EXPECT_EQ(testing_support::snapshot(installation.root()), before) << c.what;
    }
}

QString programFolderOf(const TestInstallation& i)
{
    return i.programFolder();
}

// A folder this process may not create files in. Permissions do not stop root, but sysfs
// refuses new files to everyone.
QString forbiddenFolder(const TestInstallation& i)
{
#ifdef _WIN32
    Q_UNUSED(i);
    return QString(); // Wine gives every file to its one user
#else
    if (::geteuid() != 0) {
        const QString folder = i.root() + QStringLiteral("/読み取り専用/");
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return folder;
    }
    const QByteArray probe = "/sys/kanameru-probe";
    const int fd = ::open(probe.constData(), O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.constData());
        return QString();
    }
    return errno == EACCES || errno == EROFS || errno == EPERM ? QStringLiteral("/sys/") : QString();
#endif
}

const UnusableCase unusableCases[] = {
    { "folder not writable", forbiddenFolder, [](const QString&) {}, "書き込みできません" },
    { "path through a regular file",
        [](const TestInstallation& i) {
            writeFile(i.root() + QStringLiteral("/ファイル"), QByteArray("x"));
            return i.root() + QStringLiteral("/ファイル/");
        },
        [](const QString&) {}, "パスの途中がフォルダではありません", false },
    { "FIFO", programFolderOf,
        [](const QString& p) {
            if (!testing_support::putSpecial(p, testing_support::Special::Fifo))
                GTEST_SKIP() << "Windows has no FIFO";
        },
        "FIFO" },
    { "/dev/zero", programFolderOf,
        [](const QString& p) {
            if (!testing_support::putSpecial(p, testing_support::Special::DevZero))
                GTEST_SKIP() << "Windows has no device file";
        },
        "FIFO" },
    { "folder", programFolderOf,
        [](const QString& p) { testing_support::putSpecial(p, testing_support::Special::Folder); }, "フォルダ" },
};

INSTANTIATE_TEST_SUITE_P(Cases, UnusableResultsFile, ::testing::ValuesIn(unusableCases),
    [](const ::testing::TestParamInfo<UnusableCase>& info) { return "case" + std::to_string(info.index); });

// A full disk (here: the file size limit, whose signal the program ignores) in the middle of
// recording: the message names exactly which file took the attempt and which did not.
TEST_F(Recording, AFullDiskNamesTheFileThatTookTheAttemptAndTheOneThatDidNot)
{
    // The installation-wide file already reaches past the limit; the drill set's file is empty.
    writeFile(homePath(), QByteArray(kInstallationRecordLength * 100, '\0'));
    writeFile(mainPath(), QByteArray());
    NotedWaits waits;
    reg.attemptResult = 42;
    {
        testing_support::FileSizeLimit limit(4096);
        KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit);
        appendResult();
    }
    EXPECT_TRUE(waits.waits.empty());
    EXPECT_EQ(mainCount(), 1);
    EXPECT_EQ(homeCount(), 100);
    ASSERT_EQ(platform.messages.texts.size(), 1);
    const QString text = platform.messages.texts.first();
    EXPECT_TRUE(text.contains(QStringLiteral("ディスクの空き容量が不足しています"))) << text.toStdString();
    EXPECT_TRUE(text.contains(homePath() + QStringLiteral("\n記録できなかった成績: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("この成績は %1 には記録しました").arg(mainPath())));

    // And the other way round: the drill set's file is full, the other one is never tried.
    resetScreens();
    platform.messages.texts.clear();
    writeFile(mainPath(), QByteArray(kResultRecordLength * 100, '\0'));
    QFile::remove(homePath());
    {
        testing_support::FileSizeLimit limit(4096);
        KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit);
        appendResult();
    }
    EXPECT_EQ(mainCount(), 100);
    EXPECT_FALSE(QFileInfo::exists(homePath()));
    ASSERT_EQ(platform.messages.texts.size(), 1);
    EXPECT_TRUE(platform.messages.texts.first().contains(
        installationResultsFileName() + QStringLiteral(" にも記録していません")));
}

} // namespace
