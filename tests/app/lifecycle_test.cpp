// The program's lifecycle as a workstation meets it: every way out of the last window ends the
// program in its event loop with the right exit code, an error at start-up never enters the
// loop, an end signal after a sound still ends it in order, and a real start succeeds after
// the one before was ended.
#include "app/lifecycle.h"
#include "app/startprogram.h"
#include "board/seisekitime1.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/mci.h"
#include "platform/screenfit.h"
#include "roster/namesel.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
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

// Owns the steps still waiting in the running loop; they go with the loop.
QObject* loopSteps = nullptr;

#ifdef Q_OS_WIN
// The system asks the program to end: the end of the session (SIGTERM on Linux).
void systemAsksToEnd()
{
    PostThreadMessageW(GetCurrentThreadId(), WM_ENDSESSION, TRUE, 0);
}
#endif

// Runs the event loop with `step` as its first work, as the program's loop would, and returns
// its exit code. A loop still running ten seconds later returns kStranded, whatever code the
// program had meant to end with: a program that does not end is a fault, never a pass.
int runLoop(const std::function<void()>& step)
{
    QObject steps;
    loopSteps = &steps;
    QTimer::singleShot(0, &steps, step);
    bool stranded = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&stranded] {
        stranded = true;
        QCoreApplication::exit(kStranded);
    });
    watchdog.start(10000);
    const int code = QApplication::exec();
    loopSteps = nullptr;
    if (stranded)
        return kStranded;
    return programEnding() ? programExitCode() : code;
}

// Runs `then` in the running loop once `ready` holds, looking every 10 ms: a test of a
// hand-over acts only after the hand-over has happened. A moment that never comes leaves the
// step undone.
void when(const std::function<bool()>& ready, const std::function<void()>& then)
{
    auto* poll = new QTimer(loopSteps);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, ready, then] {
        if (!ready())
            return;
        poll->stop();
        poll->deleteLater();
        then();
    });
    poll->start();
}

bool anyVisibleWindow()
{
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

// Whether another process could now become the single instance of the program at exe.
[[maybe_unused]] bool instanceFree(const QString& exe)
{
    return QProcess::execute(QStringLiteral(LOCK_HELPER), { QStringLiteral("instance"), exe }) == 0;
}

// A program drawn smaller by its hosts (the offscreen screen is smaller than the forms), started
// as the program's main starts it in a process of its own, and ended once its start screen is up
// by "終了" clicked through its window or by the window's close box. The process's exit code
// comes after the application object, and the toolkit's caches with it, have ended.
int runScaledProgram(int argc, char* argv[])
{
    platform::fitFormsToScreen(argc, argv);
    platform::Application app(argc, argv);
    namesel::setInstanceKey(QString::fromLocal8Bit(argv[4]));
    const bool click = QString::fromLocal8Bit(argv[2]) == QStringLiteral("終了");
    QTimer ending;
    QObject::connect(&ending, &QTimer::timeout, [&ending, click] {
        auto* start = qobject_cast<namesel*>(topLevel(QStringLiteral("namesel")));
        auto* window = start ? qobject_cast<QGraphicsView*>(platform::windowOf(start)) : nullptr;
        if (!window || !start->activated() || !platform::takesInput(start))
            return;
        ending.stop();
        auto* end = start->findChild<QPushButton*>(QStringLiteral("Command7"));
        if (click)
            QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                window->viewport()->mapFromGlobal(end->mapToGlobal(end->rect().center())));
        else
            window->close();
    });
    ending.start(20);
    return platform::formScale() < 1.0 ? runProgram(app, QString::fromLocal8Bit(argv[3])) : 3;
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

    // Each close box acts only once its screen has taken over: the board's leads back to a
    // start screen loaded afresh and the program runs on; the start screen's ends it.
    void theCloseBoxesLeadBackToTheStartScreenAndItsOwnEndsTheProgram()
    {
        QCOMPARE(startProgram(inst->exeDir()), 0);
        QPointer<QWidget> firstStart = topLevel(QStringLiteral("namesel"));
        QVERIFY(firstStart);
        QPointer<QWidget> board, secondStart;
        bool runningOnAtTheStartScreen = false;
        const int code = runLoop([&] {
            // The pupil picks his name and presses "O.K.".
            auto* names = firstStart->findChild<QListWidget*>(QStringLiteral("List1"));
            const QList<QListWidgetItem*> rows = names->findItems(QStringLiteral("山田"), Qt::MatchContains);
            if (rows.isEmpty())
                return;
            QTest::mouseClick(
                names->viewport(), Qt::LeftButton, Qt::NoModifier, names->visualItemRect(rows.first()).center());
            click(firstStart->findChild<QPushButton*>(QStringLiteral("Command14")));
            // The board has unloaded the start screen and is the active window.
            when(
                [&] {
                    board = qobject_cast<seisekitime1*>(topLevel(QStringLiteral("seisekitime1")));
                    return board && static_cast<seisekitime1*>(board.data())->activated() && !firstStart
                        && QApplication::activeWindow() == board;
                },
                [&] {
                    board->close(); // the board's close box: back to the start screen
                    when(
                        [&] {
                            secondStart = topLevel(QStringLiteral("namesel"));
                            return !board && secondStart && QApplication::activeWindow() == secondStart;
                        },
                        [&] {
                            // Well past the moment a program left without a window would end.
                            QTimer::singleShot(500, loopSteps, [&] {
                                runningOnAtTheStartScreen = !programEnding() && secondStart && secondStart->isVisible();
                                if (secondStart)
                                    secondStart->close(); // the start screen's close box ends the program
                            });
                        });
                });
        });
        QVERIFY2(runningOnAtTheStartScreen, "the board's close box did not lead back to the start screen");
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
        // The program's loop waiting for events is the fault itself: it is ended at once, and
        // the test fails, instead of a fallback ending the loop and letting the stored code pass.
        bool enteredTheLoop = false;
        const QMetaObject::Connection watch = QObject::connect(
            QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [&enteredTheLoop] {
                enteredTheLoop = true;
                QCoreApplication::exit(kStranded);
            });
        const int code = runProgram(*qApp, inst->exeDir());
        QObject::disconnect(watch);
        QVERIFY2(!enteredTheLoop, "the program waited in its event loop after the error");
        QVERIFY2(code != 0 && code != kStranded, qPrintable(QString::number(code)));
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY(!anyVisibleWindow());
    }

    // A logout or shutdown (SIGTERM, SIGHUP) and Ctrl+C (SIGINT) alike.
    void anEndSignalAfterASoundEndsTheProgramInOrder_data()
    {
        QTest::addColumn<int>("signo");
#ifdef Q_OS_WIN
        QTest::newRow("WM_ENDSESSION") << 0; // Windows has no SIGHUP; its session end instead
#else
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
#endif
    }
    void anEndSignalAfterASoundEndsTheProgramInOrder()
    {
        QFETCH(int, signo);
        QCOMPARE(startProgram(inst->exeDir()), 0);
        QVERIFY(writeWav(reg.soundFolder + QStringLiteral("beep.wav"), sineTone(0.05, 880)));
        // The first sound starts the sound library, which must leave the signals alone.
        QCOMPARE(playSoundFile(QStringLiteral("beep.wav")), 0);
#ifdef Q_OS_WIN
        Q_UNUSED(signo);
        const int code = runLoop(systemAsksToEnd);
#else
        const int code = runLoop([signo] { std::raise(signo); });
#endif
        platform::mciShutdown();
        QCOMPARE(code, 0);
        QVERIFY(programEnding());
        QVERIFY(!anyVisibleWindow());
    }

    void aRealStartSucceedsAfterTheOneBeforeWasEndedBySignal()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no signals to end a process with; its session end is tested above");
#else
        const QString exe = inst->exeDir() + QStringLiteral("/kanameru");
        QVERIFY(QFile::copy(QStringLiteral(KANAMERU_EXE), exe));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        // Each start comes after the one before was ended by another signal.
        for (const int signo : { SIGTERM, SIGHUP, SIGINT }) {
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(exe, {});
            QVERIFY(program.waitForStarted(testing_support::kWaitMs));
            WAIT_VERIFY(!instanceFree(exe)); // the start screen holds the lock
            ::kill(static_cast<pid_t>(program.processId()), signo);
            QVERIFY(program.waitForFinished(testing_support::kWaitMs));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QVERIFY(instanceFree(exe));
        }
#endif
    }

    // A program drawn smaller ends with exit code 0 fifty times in a row, by a signal while its
    // start screen loads, by "終了" and by the close box in turn: nothing that the forms or the
    // toolkit's interfaces for screen readers hold is used after it went or deleted twice.
    void aScaledProgramEndsCleanlyEveryTime()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no signals to end a process with");
#else
        const QString key = inst->root() + QStringLiteral("/kanameru");
        const QStringList ways { QStringLiteral("signal"), QStringLiteral("終了"), QStringLiteral("close box") };
        for (int run = 0; run < 50; ++run) {
            QProcess program;
            program.setProcessChannelMode(QProcess::MergedChannels);
            program.start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--scaled-program"), ways[run % 3], inst->exeDir(), key });
            if (run % 3 == 0) {
                WAIT_VERIFY(!instanceFree(key) || program.state() == QProcess::NotRunning);
                ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
            }
            const bool ended = program.waitForFinished(60000);
            QVERIFY2(ended && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                qPrintable(QStringLiteral("end %1 (%2) after %3 clean ends: code %4\n")
                               .arg(run + 1)
                               .arg(ways[run % 3])
                               .arg(run)
                               .arg(program.exitCode())
                    + QString::fromLocal8Bit(program.readAll().right(2000))));
        }
#endif
    }
};

int main(int argc, char* argv[])
{
    testing_support::limitMemory();
    if (argc >= 5 && qstrcmp(argv[1], "--scaled-program") == 0)
        return runScaledProgram(argc, argv);
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    LifecycleTest tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "lifecycle_test.moc"
