#include "platform/clock.h"
#include "platform/filelock.h"
#include "platform/instance.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "platform/screenfit.h"
#include "support/restore.h"
#include "support/waits.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

int runHelper(const QString& mode, const QString& arg)
{
    QProcess p;
    p.start(QStringLiteral(LOCK_HELPER), { mode, arg });
    EXPECT_TRUE(p.waitForFinished(testing_support::kWaitMs));
    return p.exitCode();
}

struct DayCase {
    QDateTime when;
    double days;
};

TEST(DayCount, CountsDaysSinceThirtiethOfDecember1899WithTheTimeAsFraction)
{
    const DayCase cases[] = {
        { QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0 },
        { QDateTime(QDate(1900, 1, 1), QTime(0, 0)), 2 },
        { QDateTime(QDate(2019, 4, 10), QTime(0, 0)), 43565 },
        { QDateTime(QDate(2019, 4, 10), QTime(12, 0)), 43565.5 },
        { QDateTime(QDate(2019, 4, 10), QTime(18, 0)), 43565.75 },
    };
    for (const DayCase& c : cases) {
        EXPECT_DOUBLE_EQ(platform::dayCount(c.when), c.days) << c.when.toString().toStdString();
        EXPECT_EQ(platform::fromDayCount(c.days), c.when);
    }
}

TEST(DayCount, GivesNoDateForADamagedDayCount)
{
    const double damaged[] = { std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300, 2958466.0 };
    for (double d : damaged) {
        EXPECT_FALSE(platform::fromDayCount(d).isValid()) << d;
        EXPECT_TRUE(platform::shortDate(platform::fromDayCount(d).date()).isEmpty()) << d;
    }
    EXPECT_EQ(platform::fromDayCount(2958465.0).date(), QDate(9999, 12, 31));
}

TEST(DateText, UsesTheJapaneseShortDateAndTimeWithoutALeadingZeroOnTheHour)
{
    EXPECT_EQ(platform::shortDate(QDate(2026, 3, 9)), QStringLiteral("2026/03/09"));
    EXPECT_EQ(platform::shortTime(QTime(9, 5, 7)), QStringLiteral("9:05:07"));
    EXPECT_EQ(platform::shortTime(QTime(14, 30, 0)), QStringLiteral("14:30:00"));
}

TEST(Random, StaysBelowOne)
{
    platform::random().seedFromClock();
    for (int i = 0; i < 100000; ++i) {
        const double r = platform::random().next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(Launcher, DropsExeOnLinuxOnly)
{
#ifdef Q_OS_WIN
    EXPECT_EQ(platform::launcherExecutablePath(QStringLiteral("C:/a/menu.exe")), QStringLiteral("C:/a/menu.exe"));
#else
    EXPECT_EQ(platform::launcherExecutablePath(QStringLiteral("/a/menu.exe")), QStringLiteral("/a/menu"));
    EXPECT_EQ(platform::launcherExecutablePath(QStringLiteral("/a/menu")), QStringLiteral("/a/menu"));
#endif
    EXPECT_FALSE(platform::launchProgram(QStringLiteral("/nonexistent/menu.exe"), QStringLiteral("001")));
}

class Recorder : public platform::MessageBoxService {
public:
    void show(const QString& text, const QString& title, platform::MessageIcon) override
    {
        seen << title + QLatin1Char('|') + text;
    }
    QStringList seen;
};

TEST(MessageBox, GoesToTheInstalledServiceAndBack)
{
    Recorder r;
    {
        const auto restore = testing_support::installHook(platform::setMessageBoxService, &r);
        platform::showMessage(QStringLiteral("音声がでません。"), QStringLiteral("音声エラー"));
    }
    platform::showMessage(QStringLiteral("not recorded"));
    EXPECT_EQ(r.seen, QStringList { QStringLiteral("音声エラー|音声がでません。") });
}

TEST(FileLock, KeepsAnotherProcessOutUntilUnlocked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("成績.dat"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    platform::FileLock lock(f.handle());
    ASSERT_TRUE(lock.lock());
    EXPECT_EQ(runHelper(QStringLiteral("file"), path), 3);
    lock.unlock();
    EXPECT_EQ(runHelper(QStringLiteral("file"), path), 0);
}

TEST(SingleInstance, RefusesASecondProcessOfTheSameExecutableOnly)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("kanameru"));
    const QString otherExe = dir.filePath(QStringLiteral("other/kanameru"));
    QFile program(exe);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    // The same program reached another way (a link to its folder, as a mapped drive and the
    // share's own path are on Windows) is the same program.
    const QString linked = dir.filePath(QStringLiteral("link/kanameru"));
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath(QStringLiteral("link"))));
    {
        platform::SingleInstance first(exe);
        ASSERT_TRUE(first.acquire());
        EXPECT_EQ(runHelper(QStringLiteral("instance"), exe), 3);
#ifndef Q_OS_WIN // QFile::link makes a Windows shortcut there, which is no path to the folder
        EXPECT_EQ(runHelper(QStringLiteral("instance"), linked), 3);
#endif
        EXPECT_EQ(runHelper(QStringLiteral("instance"), otherExe), 0);
    }
    // Released when the first instance ends.
    EXPECT_EQ(runHelper(QStringLiteral("instance"), exe), 0);
}

} // namespace

// The scale of the forms on the school's screens: the screen in physical pixels, its scaling
// and a task bar of 40 device-independent pixels. The whole window with its frame fits at the
// largest scale that does: through Qt's factor down to one device pixel per pixel of the
// design (finer Qt Widgets cannot draw), and below that through the forms' hosts.
struct ScreenCase {
    int width, height;
    double ratio;
};
class FitScale : public ::testing::TestWithParam<ScreenCase> { };

TEST_P(FitScale, TheWholeWindowFitsAtTheLargestScale)
{
    const ScreenCase c = GetParam();
    const QSizeF available(c.width / c.ratio, c.height / c.ratio - 40);
    const double f = platform::fitScaleFactor(available, c.ratio);
    const double h = platform::hostScaleFactor(available, c.ratio);
    auto fits = [&](double scale) {
        return std::ceil(1024 * scale) + platform::kFrameWidth <= available.width()
            && std::ceil(768 * scale) + platform::kFrameHeight <= available.height();
    };
    EXPECT_LE(f, 1.0) << "never larger than the design at the screen's own scaling";
    EXPECT_GE(f * c.ratio, 1.0 - 1e-9) << "never finer than Qt can draw";
    EXPECT_LE(h, 1.0);
    EXPECT_TRUE(h == 1.0 || f * c.ratio == 1.0) << "the hosts scale only where Qt cannot";
    EXPECT_TRUE(fits(f * h));
    EXPECT_TRUE(f * h == 1.0 || !fits(f * h + 0.002)) << "a larger scale would fit too";
}

INSTANTIATE_TEST_SUITE_P(Screens, FitScale,
    ::testing::Values(ScreenCase { 1024, 600, 1 }, ScreenCase { 1280, 720, 1 }, ScreenCase { 1366, 768, 1 },
        ScreenCase { 1920, 1080, 1 }, ScreenCase { 1920, 1080, 1.5 }, ScreenCase { 2560, 1600, 2 }));

TEST(FitScale, AScreenWithRoomToSpareKeepsTheDesignSize)
{
    EXPECT_EQ(platform::fitScaleFactor(QSizeF(1920, 1040)), 1.0);
    EXPECT_LT(platform::fitScaleFactor(QSizeF(1280, 680), 1.5), 1.0); // 1920 x 1080 at 150 %
}
