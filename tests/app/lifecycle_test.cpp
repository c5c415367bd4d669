// The program's lifecycle as a workstation meets it: every way out of the last window ends the
// program in its event loop with the right exit code, an error at start-up never enters the
// loop, SIGTERM after a sound still ends it in order, and a real second start succeeds after
// the first one was ended.
#include "app/lifecycle.h"
#include "app/startprogram.h"
#include "platform/mci.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/installation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace kanameru;
using namespace testing_support;

namespace {

constexpr int kStranded = 99; // the loop was still running without an end long after the step

// The system asks the program to end: SIGTERM on Linux, the end of the session on Windows.
void systemAsksToEnd()
{
#ifdef Q_OS_WIN
    PostThreadMessageW(GetCurrentThreadId(), WM_ENDSESSION, TRUE, 0);
#else
    std::raise(SIGTERM);
#endif
}

// Runs the event loop with `step` as its first work, as the program's loop would, and returns
// its exit code; a loop that does not end within ten seconds is ended with kStranded.
int runLoop(const std::function<void()>& step)
{
    QTimer::singleShot(0, step);
    QTimer stranded;
    stranded.setSingleShot(true);
    QObject::connect(&stranded, &QTimer::timeout, [] { QCoreApplication::exit(kStranded); });
    stranded.start(10000);
    const int code = QApplication::exec();
    return programEnding() ? programExitCode() : code;
}

bool anyVisibleWindow()
{
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

// Whether another process could now become the single instance of the program at exe.
bool instanceFree(const QString& exe)
{
    return QProcess::execute(QStringLiteral(LOCK_HELPER), { QStringLiteral("instance"), exe }) == 0;
}

} // namespace

class LifecycleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<TestInstallation> inst;

private Q_SLOTS:
    void initTestCase() { installLifecycle(*qApp); }
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        inst = std::make_unique<TestInstallation>();
    }
    void cleanup()
    {
        closeAllForms();
        inst.reset();
        fake.reset();
    }

    void theCloseBoxesLeadBackToTheStartScreenAndItsOwnEndsTheProgram()
    {
        QCOMPARE(startProgram(inst->exeDir()), 0);
        QVERIFY(topLevel(QStringLiteral("namesel")));
        reg.currentPupilNo = 1;
        const int code = runLoop([] {
            showResultsBoard();
            QWidget* board = topLevel(QStringLiteral("seisekitime1"));
            if (!board)
                return QCoreApplication::exit(kStranded);
            board->close(); // the board's close box: back to the start screen
            QWidget* start = topLevel(QStringLiteral("namesel"));
            if (!start || !start->isVisible())
                return QCoreApplication::exit(kStranded);
            start->close(); // the start screen's close box ends the program
        });
        QCOMPARE(code, 0);
        QVERIFY(!anyVisibleWindow());
    }

    void aWindowGoneWithoutAHandOverEndsTheProgram()
    {
        QCOMPARE(startProgram(inst->exeDir()), 0);
        const int code = runLoop([] { topLevel(QStringLiteral("namesel"))->hide(); });
        QCOMPARE(code, 0);
    }

    void aSlowHandOverIsNoEnd()
    {
        QCOMPARE(startProgram(inst->exeDir()), 0);
        static bool endedBeforeTheNextScreen = true;
        // The next screen comes from a posted call and loads for a while, letting events run
        // before it shows itself, as the board does while it reads the results file.
        const int code = runLoop([] {
            topLevel(QStringLiteral("namesel"))->hide();
            QTimer::singleShot(0, [] {
                QElapsedTimer loading;
                loading.start();
                while (loading.elapsed() < 800)
                    QCoreApplication::processEvents();
                endedBeforeTheNextScreen = programEnding();
                auto* next = new QWidget;
                next->setAttribute(Qt::WA_DeleteOnClose);
                next->show();
                QTimer::singleShot(600, next, [next] { next->close(); }); // then nothing is left
            });
        });
        QVERIFY(!endedBeforeTheNextScreen);
        QCOMPARE(code, 0);
        QVERIFY(!anyVisibleWindow());
    }

    void anErrorWhileTheStartScreenLoadsNeverEntersTheLoop()
    {
        // The results file is a folder: the start screen reports it and closes everything.
        QVERIFY(QDir().mkpath(inst->programFolder() + QStringLiteral("成績累積データ.dat")));
        QTimer stranded;
        stranded.setSingleShot(true);
        QObject::connect(&stranded, &QTimer::timeout, [] { QCoreApplication::exit(kStranded); });
        stranded.start(60000);
        const int code = runProgram(*qApp, inst->exeDir());
        QVERIFY2(code != 0 && code != kStranded, qPrintable(QString::number(code)));
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY(!anyVisibleWindow());
    }

    void sigtermAfterASoundEndsTheProgramInOrder()
    {
        QCOMPARE(startProgram(inst->exeDir()), 0);
        QVERIFY(writeWav(reg.soundFolder + QStringLiteral("beep.wav"), sineTone(0.05, 880)));
        // The first sound starts the sound library, which must leave the signals alone.
        QCOMPARE(playSoundFile(QStringLiteral("beep.wav")), 0);
        const int code = runLoop(systemAsksToEnd);
        platform::mciShutdown();
        QCOMPARE(code, 0);
        QVERIFY(!anyVisibleWindow());
    }

    void aRealSecondStartSucceedsAfterSigterm()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no SIGTERM; the test of the Windows program ends it by its session end");
#else
        const QString exe = inst->exeDir() + QStringLiteral("/kanameru");
        QVERIFY(QFile::copy(QStringLiteral(KANAMERU_EXE), exe));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        for (int run = 1; run <= 2; ++run) {
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(exe, {});
            QVERIFY(program.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(!instanceFree(exe), 20000); // the start screen holds the lock
            ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QVERIFY(instanceFree(exe));
        }
#endif
    }
};

QTEST_MAIN(LifecycleTest)
#include "lifecycle_test.moc"
