// A screen at 100 % smaller than the forms (run under a real X server of such a size, beside a
// window manager): the program fits the forms to it as at start-up, the drill form lies whole
// on the screen, the screen shows the form's own drawing at the smaller scale, and a pupil
// plays it through the window with real drags, clicks and keys, the keys pressed on the X
// server's keyboard so that they reach only the window the window manager gave the focus.
#include "board/seisekitime1.h"
#include "drill/mainfrm.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "endscreen/startdrill.h"
#include "platform/application.h"
#include "platform/events.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/mci.h"
#include "platform/screen.h"
#include "platform/screenfit.h"
#include "results/results.h"
#include "roster/frmname2.h"
#include "roster/namesel.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/drillpupil.h"
#include "support/fakes.h"
#include "support/focusframe.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <optional>

using namespace kanameru;
using namespace testing_support;

namespace {

QWidget* viewportOf(QWidget* control)
{
    auto* host = qobject_cast<QGraphicsView*>(platform::windowOf(control->window()));
    return host ? host->viewport() : nullptr;
}

// The centre of a control of the form, in the coordinates of the window the pupil sees.
QPoint onScreen(QWidget* control)
{
    return viewportOf(control)->mapFromGlobal(control->mapToGlobal(control->rect().center()));
}

// A drag as the window system delivers it: press, moves and release on the host's window.
void dragThroughWindow(QWidget* from, QWidget* onto)
{
    QWidget* viewport = viewportOf(from);
    const QPoint a = onScreen(from), b = onScreen(onto);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, a);
    for (int i = 1; i <= 8; ++i)
        QTest::mouseMove(viewport, a + (b - a) * i / 8);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, b);
    QApplication::processEvents();
}

void clickThroughWindow(QWidget* button)
{
    QTest::mouseClick(viewportOf(button), Qt::LeftButton, Qt::NoModifier, onScreen(button));
    QApplication::processEvents();
}

// A click on the X server's mouse at a point of a control, as the pupil gives it: the window
// manager sees it first (and may take the focus or raise the window with it), then the window
// under the pointer gets it, and Qt passes it on to the host, its scene and the control.
bool clickOnScreen(QWidget* control, QPoint at)
{
    const QPoint global = control->mapToGlobal(at);
    QProcess process;
    process.start(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
            QStringLiteral("click"), QStringLiteral("1") });
    return process.waitForFinished(testing_support::kWaitMs) && process.exitCode() == 0;
}

// The share of the window's pixels on the screen that match nothing near their place in the
// form's own drawing brought down to the window's size. A pixel's match may lie one pixel
// off, as the edges of controls and the smoothing of text fall a little differently there.
double share(const QImage& onScreen, const QImage& expected)
{
    auto distance = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    qint64 differing = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            int nearest = 3 * 255;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (expected.rect().contains(x + dx, y + dy))
                        nearest = std::min(nearest, distance(onScreen.pixel(x, y), expected.pixel(x + dx, y + dy)));
            if (nearest > 96)
                ++differing;
        }
    return static_cast<double>(differing) / (static_cast<double>(expected.width()) * expected.height());
}

// Presses keys on the X server's keyboard (xdotool), delayMs apart; the window that has the
// focus gets them. Returns at once; the process ends when the last key is up.
std::unique_ptr<QProcess> pressKeysLater(const QStringList& keys, int delayMs = 60)
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral("xdotool"),
        QStringList { QStringLiteral("key"), QStringLiteral("--delay"), QString::number(delayMs) } + keys);
    return process;
}
bool pressKeys(const QStringList& keys)
{
    std::unique_ptr<QProcess> process = pressKeysLater(keys);
    return process->waitForFinished(testing_support::kWaitMs) && process->exitCode() == 0;
}

// Runs xdotool with the arguments while the program goes on handling its events; what it said.
std::optional<QByteArray> xdo(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, testing_support::kWaitMs)
        || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput().trimmed();
}

QStringList clickAt(QPoint global)
{
    return { QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
        QStringLiteral("click"), QStringLiteral("1") };
}

template <class T = QWidget> T* control(QWidget* form, const QString& name)
{
    return form ? form->findChild<T*>(name) : nullptr;
}

double differingShare(QWidget* form, QWidget* window, const QString& grabFile)
{
    if (QProcess::execute(QStringLiteral(SCREENGRAB), { QStringLiteral("0"), grabFile }) != 0)
        return 1.0;
    const QImage onScreen = QImage(grabFile)
                                .copy(QRect(window->mapToGlobal(QPoint(0, 0)), window->size()))
                                .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return share(onScreen, drawn.scaled(window->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<TestInstallation> inst;
    std::unique_ptr<QTemporaryDir> folder;
    int boardShown = 0;
    int ended = 0; // the program was ended
    QRect cameFrom; // the frame of the window the next one comes from

    // The whole X screen as another program sees it now.
    QImage screenGrab(const QString& name)
    {
        platform::paintScreenNow();
        const QString file = folder->filePath(name);
        return QProcess::execute(QStringLiteral(SCREENGRAB), { QStringLiteral("0"), file }) == 0
            ? QImage(file).convertToFormat(QImage::Format_RGB32)
            : QImage(1, 1, QImage::Format_RGB32);
    }

    // Every screen opens as in the program, on a roster of the given lines.
    void openScreens(const QString& roster)
    {
        inst->writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
        namesel::setRetryWaitMilliseconds(5);
        namesel::setInstanceKey(folder->filePath(QStringLiteral("kanameru")));
        screens().showNameSelection = [] { namesel::open(); };
        screens().showResultsBoard = [] { seisekitime1::open(); };
        screens().endProgram = [this](int) { ++ended; };
    }
    static bool settled(QWidget* form)
    {
        return form && platform::windowOf(form)->isActiveWindow() && platform::takesInput(form);
    }
    // The named form comes: centred on the window it comes from (the first one within the room kept
    // for a frame), wholly on the screen, active with the named control (or itself) focused, also
    // for the X server. Says what is wrong.
    QString arrival(const QString& name, const QString& focused = {})
    {
        QWidget *form = nullptr, *control = nullptr, *window = nullptr;
        const bool ready = QTest::qWaitFor(
            [&] {
                form = topLevel(name);
                control = !form || focused.isEmpty() ? form : form->findChild<QWidget*>(focused);
                window = form ? platform::windowOf(form) : nullptr;
                return control && control->isVisible() && settled(form) && control->hasFocus()
                    && xdo({ QStringLiteral("getwindowfocus") }).value_or("").toULongLong() == window->winId();
            },
            testing_support::kWaitMs);
        if (!window)
            return name + QStringLiteral(" never came");
        const QRect frame = window->frameGeometry(), area = window->screen()->availableGeometry();
        const QPoint off = frame.center() - (cameFrom.isValid() ? cameFrom : area).center();
        const bool centred = cameFrom.isValid()
            ? off.manhattanLength() <= 2
            : std::abs(off.x()) <= platform::kFrameWidth && std::abs(off.y()) <= platform::kFrameHeight;
        cameFrom = frame;
        return QStringLiteral("%1%2%3%4")
            .arg(ready ? "" : " without the keyboard", area.contains(frame) ? "" : " not whole on the screen",
                centred ? "" : " off centre", ready && centred && area.contains(frame) ? "" : qPrintable(" " + name));
    }

private Q_SLOTS:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        inst = std::make_unique<TestInstallation>();
        folder = std::make_unique<QTemporaryDir>();
        qputenv("SDL_DISKAUDIOFILE", folder->filePath(QStringLiteral("heard.raw")).toLocal8Bit());
        inst->writeLevels(QStringLiteral("60,90,15,3,1,0,0,28,7,0,0,0"));
        inst->load();
        reg.currentPupilNo = 1;
        reg.currentPupilName = QStringLiteral("山田　太郎          ");
        for (const char* name : { "ok", "ng" })
            QVERIFY(writeWav(inst->soundFolder() + QLatin1String(name) + QStringLiteral(".wav"), sineTone(0.1, 660)));
        inst->writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n"));
        loadSoundMap();
        openResultsFile();
        screens().showBackdrop = [] { BASEFRM::open(); };
        screens().hideBackdrop = [] { BASEFRM::closeBackdrop(); };
        screens().showEndScreen = [] { FrmSyuuryou::open(); };
        screens().showDrillForm = [] { MainFrm::open(); };
        screens().showResultsBoard = [this] { ++boardShown; };
        // The start screen closed at the end of a test ends no program: the application's
        // exit would end every event loop a later test opens (a dialog's) as soon as it starts.
        screens().endProgram = [](int) {};
        boardShown = 0;
        ended = 0;
    }

    void cleanup()
    {
        // The forms closed now open no screen for the next test (the board's close box would).
        screens() = Screens();
        screens().endProgram = [](int) {};
        closeAllForms();
        platform::mciShutdown();
        inst.reset();
        fake.reset();
        folder.reset();
    }

    void theDrillLiesWholeOnTheScreenAndIsPlayedThroughItsWindow()
    {
        QVERIFY2(platform::formScale() < 1.0, "run this on a screen smaller than the forms");
        MainFrm* form = startSampleDrill();
        QVERIFY(form);
        QWidget* window = platform::windowOf(form);
        QVERIFY(window != form);
        QVERIFY(QTest::qWaitForWindowExposed(window, testing_support::kWaitMs));

        // Whole, and as large as fits: one side has no more than a pixel or two to spare.
        const double scale = platform::formScale();
        QCOMPARE(window->size(), QSize(std::ceil(1024 * scale), std::ceil(768 * scale)));
        const QRect available = window->screen()->availableGeometry();
        const int spareWidth = available.width() - window->width() - int(platform::kFrameWidth);
        const int spareHeight = available.height() - window->height() - int(platform::kFrameHeight);
        QVERIFY(spareWidth >= 0 && spareHeight >= 0);
        QVERIFY(std::min(spareWidth, spareHeight) <= 2);
        // In the middle of the available area, the window manager's frame included (the first
        // window is placed before its frame is known: within the room kept for one).
        WAIT_VERIFY(available.contains(window->frameGeometry()));
        const QRect frame = window->frameGeometry();
        QVERIFY2(std::abs((frame.left() - available.left()) - (available.right() - frame.right()))
                    <= int(platform::kFrameWidth)
                && std::abs((frame.top() - available.top()) - (available.bottom() - frame.bottom()))
                    <= int(platform::kFrameHeight),
            qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                           .arg(frame.x())
                           .arg(frame.y())
                           .arg(frame.width())
                           .arg(frame.height())));

        // On the screen: the form's own drawing at the smaller scale, the fifth row included.
        platform::paintScreenNow();
        const double differing = differingShare(form, window, folder->filePath(QStringLiteral("drill.png")));
        // (About 2.5 per cent differ on the edges; a form drawn at its design size and cut
        // off differs in over a quarter.)
        QVERIFY2(differing < 0.08, qPrintable(QStringLiteral("%1 per cent differ").arg(differing * 100, 0, 'f', 1)));

        // A screen reader is told where an event and an explanation are: the rectangles the
        // window shows them in, not the design size.
        for (const char* name : { "Label1_1", "Label3_1" }) {
            QWidget* shown = control(form, QLatin1String(name));
            const QRect told = QAccessible::queryAccessibleInterface(shown)->rect();
            const QSize drawn(qRound(shown->width() * scale), qRound(shown->height() * scale));
            const QPoint centre = viewportOf(shown)->mapToGlobal(onScreen(shown));
            QVERIFY2(std::abs(told.width() - drawn.width()) <= 1 && std::abs(told.height() - drawn.height()) <= 1
                    && (told.center() - centre).manhattanLength() <= 2,
                qPrintable(QStringLiteral("%1: told %2,%3 %4x%5, drawn %6x%7 around %8,%9")
                               .arg(QLatin1String(name))
                               .arg(told.x())
                               .arg(told.y())
                               .arg(told.width())
                               .arg(told.height())
                               .arg(drawn.width())
                               .arg(drawn.height())
                               .arg(centre.x())
                               .arg(centre.y())));
        }

        answerKnowingTheEvents(form, dragThroughWindow, clickThroughWindow);
        QTest::keyClick(window, Qt::Key_Return); // "判定"
        WAIT_VERIFY(form->findChild<QLabel*>(QStringLiteral("Label18"))->isVisible());
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label18"))->text(), QStringLiteral("正解です"));
    }

    // Tab goes round the end screen's buttons, the frame shows the focused one, Enter presses it.
    void theEndScreenIsWorkedWithTheKeyboardThroughItsWindow()
    {
        computeStatistics();
        reg.currentLevel = 1;
        reg.attemptResult = 50;
        recordResult(1);
        reg.allSolved = 1;
        reg.finishing = 1;
        reg.solvedCount = 5;
        FrmSyuuryou* form = FrmSyuuryou::open();
        QWidget* window = platform::windowOf(form);
        QVERIFY(window != form);
        auto* menu = form->findChild<QPushButton*>(QStringLiteral("Command4"));
        auto* again = form->findChild<QPushButton*>(QStringLiteral("Command5"));
        WAIT_VERIFY(menu->isVisible() && window->isActiveWindow());
        QWidget* ring = form->findChild<QWidget*>(QStringLiteral("focusRing"));
        const QList<QPushButton*> round { menu, again, menu }; // past the last button to the first
        for (int i = 0; i < round.size(); ++i) {
            if (i > 0)
                QTest::keyClick(window, Qt::Key_Tab);
            WAIT_COMPARE(form->focusWidget(), round[i]);
            const QRect button(round[i]->mapTo(form, QPoint(0, 0)), round[i]->size());
            WAIT_VERIFY(ring->isVisible() && ring->geometry().contains(button) && ring->geometry() != button);
            if (i < 2) {
                // On the screen around each button, drawn smaller by the host with the form.
                const QString frameFault = focusFrameFault(screenGrab(QStringLiteral("frame%1.png").arg(i)), round[i],
                    [form](QPointF p) { return viewportOf(form)->mapToGlobal(p * platform::formScale()); });
                QVERIFY2(frameFault.isEmpty(), qPrintable(frameFault));
            }
        }
        QPointer<QWidget> shownWindow = window;
        QTest::keyClick(window, Qt::Key_Return);
        WAIT_COMPARE(boardShown, 1);
        // The form has gone back to the board: its window goes off the screen with it.
        QVERIFY2(shownWindow && !shownWindow->isVisible(), "the window stays on the screen without its form");
    }

    // 戻る(0) clicked on the board's window and O.K. on the start screen's window: each
    // screen hands over to the other from its own click handler, and is deleted only after
    // the host's scene has delivered that click (the board deleted inside it ended the program).
    // Under the sanitizers a form deleted too early fails the test at once. The pupil's name,
    // clicked once as soon as it shows, stays chosen while the window manager activates the
    // screen. The clicks are the X server's, through the window manager.
    void theBoardAndTheStartScreenHandOverThroughTheirWindows()
    {
        QTemporaryDir keyDir;
        inst->writeText(
            QStringLiteral("files/生徒用名簿.txt"), QStringLiteral("1,2015,0,0,\"山田太郎\",0,\"\",\"\"\n"));
        inst->load();
        namesel::setRetryWaitMilliseconds(5);
        namesel::setInstanceKey(keyDir.filePath(QStringLiteral("kanameru")));
        // The start screen loads in an event that arrives while the board's click is still
        // being handled (as the window system's activation of the new window does), and the
        // click handler lets events run once more before it returns.
        screens().showNameSelection = [] {
            QTimer::singleShot(0, [] { namesel::open(); });
            platform::letEventsRun();
            platform::letEventsRun();
        };
        screens().showResultsBoard = [] { seisekitime1::open(); };
        showNameSelection();
        for (int round = 1; round <= 3; ++round) {
            QPointer<QWidget> start = topLevel(QStringLiteral("namesel"));
            QVERIFY(start);
            QVERIFY(platform::windowOf(start) != start);
            QVERIFY(QTest::qWaitForWindowExposed(platform::windowOf(start), testing_support::kWaitMs));
            auto* pupils = start->findChild<QListWidget*>(QStringLiteral("List1"));
            auto pupil = [pupils] { return pupils->findItems(QStringLiteral("山田太郎"), Qt::MatchContains).value(0); };
            WAIT_VERIFY(pupil());
            QVERIFY(clickOnScreen(pupils->viewport(), pupils->visualItemRect(pupil()).center()));
            auto* ok = start->findChild<QPushButton*>(QStringLiteral("Command14"));
            QVERIFY(clickOnScreen(ok, ok->rect().center()));
            WAIT_VERIFY(!start);

            QPointer<seisekitime1> board = qobject_cast<seisekitime1*>(topLevel(QStringLiteral("seisekitime1")));
            QVERIFY(board);
            WAIT_VERIFY(board->activated());
            QVERIFY(QTest::qWaitForWindowExposed(platform::windowOf(board), testing_support::kWaitMs));
            auto* back = board->findChild<QPushButton*>(QStringLiteral("Command1"));
            QVERIFY(clickOnScreen(back, back->rect().center()));
            WAIT_VERIFY(!board);
            QTRY_VERIFY_WITH_TIMEOUT(topLevel(QStringLiteral("namesel"))
                    && platform::windowOf(topLevel(QStringLiteral("namesel")))->isActiveWindow(),
                testing_support::kWaitMs);
        }
    }

    // A double Enter on "判定": the second Enter, given while the judgement sounds, judges
    // nothing, and an Enter just after the sound presses the next button at once. A row per
    // judgement sound.
    void aKeyGivenWhileTheJudgementSoundsIsDroppedAndOneAfterItTaken()
    {
        for (const char* name : { "ok", "ng" })
            QVERIFY(writeWav(inst->soundFolder() + QLatin1String(name) + QStringLiteral(".wav"), sineTone(2.0, 660)));
        const testing_support::ScopeExit noPause([] { platform::setSettleMilliseconds(0); });
        platform::setSettleMilliseconds(-1); // the program's own settle time
        for (const bool right : { true, false }) {
            const QByteArray row = right ? "right explanations" : "wrong explanations";
            QPointer<MainFrm> form = startSampleDrill();
            QVERIFY(form);
            QWidget* window = platform::windowOf(form);
            QVERIFY(QTest::qWaitForWindowExposed(window, testing_support::kWaitMs));
            WAIT_VERIFY(window->isActiveWindow() && platform::takesInput(form));
            answerKnowingTheEvents(form, dragThroughWindow, [](QWidget*) {}); // the explanations only
            auto* judge = control<QPushButton>(form, QStringLiteral("Command6"));
            if (!right)
                dragThroughWindow(control(form, QStringLiteral("Label3_1")), control(form, QStringLiteral("Label3_2")));
            QVERIFY(judge->isVisible());
            // Enter, and 0.4 s later, in the middle of the 2-second sound, Enter again.
            std::unique_ptr<QProcess> keys
                = pressKeysLater({ QStringLiteral("Return"), QStringLiteral("Return") }, 400);
            // Seen only once the judgement, its sound included, is over.
            WAIT_VERIFY2(!judge->isVisible(), row);
            QVERIFY(keys->state() == QProcess::NotRunning || keys->waitForFinished(testing_support::kWaitMs));
            QCOMPARE(keys->exitCode(), 0);
            auto* next = control<QPushButton>(form, right ? QStringLiteral("Command4") : QStringLiteral("Command7"));
            auto* answer = control<QLabel>(form, QStringLiteral("Label18"));
            QVERIFY2(next->isVisible() && !answer->isVisible(), row + ": the Enter given during the sound was taken");
            // At once after the sound: judged (the order, still unordered) or retried.
            QTest::keyClick(window, Qt::Key_Return);
            if (right)
                WAIT_VERIFY2(answer->isVisible(), row);
            else
                QVERIFY2(judge->isVisible() && !next->isVisible(), row + ": the Enter after the sound was not taken");
            closeAllForms();
            WAIT_VERIFY(!form);
        }
    }

    // A screen reader, or a program that drives the screen, is told where each row of the list of
    // names and a character of a name box are drawn: a click on a row's told centre chooses it.
    void aScreenReaderIsToldWhereEachRowAndCharacterIsDrawn()
    {
        QString roster;
        for (const char* line : { "1,2010,0,0,\"小林\"", "2,2011,0,0,\"田中\"", "3,2012,0,0,\"鈴木\"",
                 "4,2013,0,0,\"高橋\"", "5,2014,0,0,\"佐藤\"" })
            roster += QString::fromUtf8(line) + QStringLiteral(",0,\"\",\"\"\n");
        openScreens(roster);
        showNameSelection();
        auto* start = qobject_cast<namesel*>(topLevel(QStringLiteral("namesel")));
        WAIT_VERIFY(start->activated() && settled(start));
        auto* list = control<QListWidget>(start, QStringLiteral("List1"));
        QAccessibleInterface* told = QAccessible::queryAccessibleInterface(list);
        const auto drawn = [](QWidget* w, QRect r) {
            return QRect(w->mapToGlobal(r.topLeft()), w->mapToGlobal(r.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
        };
        QRect sato;
        for (int row = 0; row < list->count(); ++row) {
            const QRect rect = told->child(row)->rect(),
                        shown = drawn(list->viewport(), list->visualItemRect(list->item(row)));
            QVERIFY2((rect.topLeft() - shown.topLeft()).manhattanLength() <= 1
                    && (rect.bottomRight() - shown.bottomRight()).manhattanLength() <= 2,
                qPrintable(QStringLiteral("row %1").arg(row)));
            if (list->item(row)->text().contains(QStringLiteral("佐藤")))
                sato = rect;
        }
        QVERIFY(xdo(clickAt(sato.center())));
        WAIT_VERIFY(control<QLabel>(start, QStringLiteral("Label1"))->text().contains(QStringLiteral("佐藤")));
        control<QAction>(start, QStringLiteral("menuname"))->trigger();
        QVERIFY(arrival(QStringLiteral("FrmName2"), QStringLiteral("Text1_1")).isEmpty());
        auto* box = control<QLineEdit>(topLevel(QStringLiteral("FrmName2")), QStringLiteral("Text1_1"));
        const QRect character = QAccessible::queryAccessibleInterface(box)->textInterface()->characterRect(0);
        QVERIFY(drawn(box, box->rect()).contains(character));
        QVERIFY(std::abs(character.height() - qRound(box->fontMetrics().height() * platform::formScale())) <= 1);
    }

    // Back on the start screen from the board, five times by keys alone: each time the list of
    // names has the keyboard, and the keys pressed on the keyboard reach it.
    void theStartScreenHasTheKeyboardEachTimeItComesBack()
    {
        inst->writeText(QStringLiteral("files/生徒用名簿.txt"),
            QStringLiteral("1,2015,0,0,\"山田太郎\",0,\"\",\"\"\n2,2013,0,0,\"鈴木花子\",0,\"\",\"\"\n"));
        namesel::setRetryWaitMilliseconds(5);
        namesel::setInstanceKey(folder->filePath(QStringLiteral("kanameru")));
        screens().showNameSelection = [] { namesel::open(); };
        screens().showResultsBoard = [] { seisekitime1::open(); };
        showNameSelection();
        QPointer<QWidget> start = topLevel(QStringLiteral("namesel"));
        for (int round = 1; round <= 5; ++round) {
            const QByteArray at = "round " + QByteArray::number(round);
            QVERIFY2(start, at);
            auto* list = control<QListWidget>(start, QStringLiteral("List1"));
            // Ready for the pupil: active, refreshed as it became active, the list with the
            // focus; and still so a moment later, when the pupil has looked at it.
            auto ready = [&] {
                return platform::windowOf(start)->isActiveWindow() && qobject_cast<namesel*>(start)->activated()
                    && list->hasFocus();
            };
            WAIT_VERIFY2(ready(), at);
            if (round == 1) {
                // On the way, the version box: a dialog window of its own with its title, closed
                // by Enter; then the list has the keyboard again.
                QString boxWindow;
                QTimer::singleShot(0, [&] {
                    QWidget* box = nullptr;
                    const bool active = QTest::qWaitFor(
                        [&] {
                            const auto widgets = QApplication::allWidgets();
                            for (QWidget* w : widgets)
                                if (w->objectName() == QLatin1String("VersionBox") && w->isVisible())
                                    box = w;
                            return box && platform::windowOf(box)->isActiveWindow();
                        },
                        testing_support::kWaitMs);
                    if (!box)
                        return;
                    QWidget* window = platform::windowOf(box);
                    boxWindow = QStringLiteral("%1 %2 %3")
                                    .arg(window != box ? "own" : "form", window->windowTitle())
                                    .arg(window->isModal() && window->windowType() == Qt::Dialog);
                    if (!active)
                        boxWindow += QStringLiteral(", not active");
                    // The keyboard is on "O.K." and its frame shows it on the screen.
                    auto* ok = control<QPushButton>(box, QStringLiteral("Command1"));
                    const bool framed = QTest::qWaitFor([&] { return ok->hasFocus(); }, testing_support::kWaitMs)
                        && focusFrameFault(screenGrab(QStringLiteral("versionbox.png")), ok, [box](QPointF p) {
                               return viewportOf(box)->mapToGlobal(p * platform::formScale());
                           }).isEmpty();
                    if (!framed)
                        boxWindow += QStringLiteral(", no frame on O.K.");
                    QPointer<QWidget> shown = box;
                    pressKeys({ QStringLiteral("Return") });
                    // A box the key does not reach is closed here, and the test goes on to fail.
                    if (!QTest::qWaitFor([&] { return !shown || !shown->isVisible(); }, testing_support::kWaitMs)) {
                        boxWindow += QStringLiteral(", kept open by Enter");
                        shown->close();
                    }
                });
                control<QAction>(start, QStringLiteral("menuspt"))->trigger();
                QCOMPARE(boxWindow, QStringLiteral("own バージョン情報 1"));
                WAIT_VERIFY2(ready(), "after the version box");
                // The help menu opened by its key and left by Escape gives the keyboard back.
                auto* help = control<QMenu>(start, QStringLiteral("menuhelp"));
                QVERIFY(pressKeys({ QStringLiteral("alt+h") }));
                WAIT_VERIFY(help->isVisible());
                QVERIFY(pressKeys({ QStringLiteral("Escape"), QStringLiteral("Escape") }));
                auto* menus = control<QMenuBar>(start, QStringLiteral("menuBar"));
                WAIT_VERIFY(!help->isVisible() && !menus->activeAction());
                WAIT_VERIFY2(ready(), "after the help menu");
                // An entry chosen by keys that has nothing to show leaves the next key to the list.
                const int row = list->currentRow();
                QVERIFY(pressKeys({ QStringLiteral("alt+h"), QStringLiteral("Return"), QStringLiteral("Down") }));
                WAIT_VERIFY2(list->currentRow() != row && ready(), "after an entry of the help menu");
            }
            pump(300);
            QVERIFY2(ready(), at);
            // The pupil picks the first name and confirms it.
            QVERIFY(pressKeys({ QStringLiteral("Down"), QStringLiteral("Return") }));
            WAIT_VERIFY2(!start, at + ": the keys did not reach the list");
            QPointer<QWidget> board = topLevel(QStringLiteral("seisekitime1"));
            QVERIFY2(board, at);
            QTRY_VERIFY2_WITH_TIMEOUT(
                platform::windowOf(board)->isActiveWindow() && qobject_cast<seisekitime1*>(board)->activated(), at,
                testing_support::kWaitMs);
            QVERIFY(pressKeys({ QStringLiteral("0") })); // "戻る(0)"
            WAIT_VERIFY2(!board, at + ": the board did not take the key");
            start = topLevel(QStringLiteral("namesel"));
        }
    }

    // Tab goes round the board's controls in its host, the review button and the practice
    // button of level 1 among them, and Enter presses the one that has the focus.
    void tabOnTheBoardReachesThePracticeOfLevel1()
    {
        int drills = 0;
        screens().showDrillForm = [&] { ++drills; };
        seisekitime1* board = seisekitime1::open();
        QWidget* window = platform::windowOf(board);
        QVERIFY(window != board);
        WAIT_VERIFY(window->isActiveWindow() && board->activated());
        auto* practice = control<QPushButton>(board, QStringLiteral("Command28_1"));
        QVERIFY(practice && practice->isVisible());
        QSet<QWidget*> reached;
        for (int i = 0; i < 60 && !practice->hasFocus(); ++i) {
            QTest::keyClick(window, Qt::Key_Tab);
            if (board->focusWidget())
                reached.insert(board->focusWidget());
        }
        QVERIFY2(practice->hasFocus(), qPrintable(QStringLiteral("%1 controls reached").arg(reached.size())));
        QVERIFY(reached.contains(control(board, QStringLiteral("reviewButton"))));
        QWidget* ring = board->findChild<QWidget*>(QStringLiteral("focusRing"));
        WAIT_VERIFY(ring->isVisible()
            && ring->geometry().contains(QRect(practice->mapTo(board, QPoint(0, 0)), practice->size())));
        QTest::keyClick(window, Qt::Key_Return);
        WAIT_COMPARE(drills, 1);
        QCOMPARE(reg.memorizeMode.toInteger(), 1);
        QCOMPARE(int(reg.currentLevel), 1);
    }

    // Children press twice. A second key or click given for one screen acts neither on the next
    // one nor on the button that takes the spot of the first: Return twice on the start screen,
    // "0" twice on the board, two clicks on "次へ", a double click on "メニューへ" or "練習終わり"
    // (whose second click lands on a ranking list of the board). Given again once the next
    // screen or button has settled, the press acts as usual.
    void aSecondPressActsOnlyWhenItIsMeant_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("deliberate");
        for (const char* where : { "start screen", "board", "drill", "end screen", "flash cards" }) {
            QTest::newRow(QByteArray(where) + ": twice") << QString::fromLatin1(where) << false;
            QTest::newRow(QByteArray(where) + ": a moment later") << QString::fromLatin1(where) << true;
        }
    }
    void aSecondPressActsOnlyWhenItIsMeant()
    {
        QFETCH(QString, where);
        QFETCH(bool, deliberate);
        openScreens(QStringLiteral("1,2015,0,0,\"山田太郎\",0,\"\",\"\"\n"));
        const auto board = [] { return qobject_cast<seisekitime1*>(topLevel(QStringLiteral("seisekitime1"))); };
        const auto start = [] { return qobject_cast<namesel*>(topLevel(QStringLiteral("namesel"))); };
        const auto boardSettled = [&] { return board() && board()->activated() && settled(board()); };
        QStringList press; // one press, for xdotool
        std::function<bool()> next, acted; // the next screen or button has settled; the second press acted
        platform::setSettleMilliseconds(-1); // the program's own
        if (where == QLatin1String("start screen")) {
            showNameSelection();
            WAIT_VERIFY(start()->activated() && settled(start()));
            QVERIFY(xdo({ QStringLiteral("key"), QStringLiteral("Down") }));
            press = QStringList { QStringLiteral("key"), QStringLiteral("Return") };
            next = boardSettled;
            acted = [&] { return !board() && start(); }; // "戻る(0)"
        } else if (where == QLatin1String("board")) {
            seisekitime1::open();
            WAIT_VERIFY(boardSettled());
            press = QStringList { QStringLiteral("key"), QStringLiteral("0") };
            next = [&] { return !board() && settled(start()); };
            acted = [this] { return ended == 1; }; // "終了"
        } else {
            QPushButton* button = nullptr;
            if (where == QLatin1String("drill")) {
                platform::setSettleMilliseconds(0); // the first question solved at once
                MainFrm* form = startSampleDrill();
                WAIT_VERIFY(platform::windowOf(form)->isActiveWindow());
                answerKnowingTheEvents(form, dragThroughWindow, clickThroughWindow);
                QTest::keyClick(platform::windowOf(form), Qt::Key_Return);
                button = control<QPushButton>(form, QStringLiteral("Command3")); // "次へ"
                WAIT_VERIFY(button->isVisible());
                platform::setSettleMilliseconds(-1);
                auto* judge = control<QPushButton>(form, QStringLiteral("Command6"));
                next = [judge] { return judge->isVisible() && platform::takesClicksOn(judge); };
                acted = [judge] { return !judge->isVisible(); };
            } else {
                if (where == QLatin1String("end screen")) {
                    computeStatistics();
                    reg.currentLevel = 1;
                    reg.attemptResult = 50;
                    button = control<QPushButton>(FrmSyuuryou::open(), QStringLiteral("Command4"));
                } else {
                    QVERIFY(storeSampleQuestions());
                    reg.memorizeMode = 1;
                    reg.currentLevel = 1;
                    startDrill();
                    button = control<QPushButton>(topLevel(QStringLiteral("MainFrm")), QStringLiteral("Command11"));
                }
                next = boardSettled;
                acted = [&] { return board() && qobject_cast<QListWidget*>(board()->focusWidget()); };
            }
            QTRY_VERIFY_WITH_TIMEOUT(
                button->isVisible() && settled(button->window()) && platform::takesClicksOn(button),
                testing_support::kWaitMs);
            press = clickAt(button->mapToGlobal(button->rect().center()));
        }
        if (deliberate) {
            QVERIFY(xdo(press));
            WAIT_VERIFY(next());
            QVERIFY(xdo(press));
            WAIT_VERIFY(acted());
        } else {
            QVERIFY(xdo(press + QStringList { QStringLiteral("sleep"), QStringLiteral("0.4") } + press));
            WAIT_VERIFY(next());
            pump(300);
            QVERIFY(!acted());
        }
    }

    // Every window on the pupil's way, at every size, with and without a window manager: the
    // start screen, 名前の変更 and back, the board, the drill, the end screen after a time-up,
    // the board again and もう一度. Each comes where it should with the keyboard, and the next
    // key the pupil presses acts on it.
    void everyWindowOnTheWayIsPlacedAndHasTheKeyboard()
    {
        openScreens(QStringLiteral("1,2015,0,0,\"山田太郎\",0,\"\",\"\"\n"));
        QVERIFY(storeSampleQuestions());
        reg.levelIsTimed[1] = 1;
        platform::setSettleMilliseconds(-1); // keys only for windows that have settled
        showNameSelection();
        QCOMPARE(arrival(QStringLiteral("namesel"), QStringLiteral("List1")), QString());
        control<QAction>(topLevel(QStringLiteral("namesel")), QStringLiteral("menuname"))->trigger();
        QCOMPARE(arrival(QStringLiteral("FrmName2"), QStringLiteral("Text1_1")), QString());
        QVERIFY(xdo({ QStringLiteral("key"), QStringLiteral("End"), QStringLiteral("x") }));
        WAIT_VERIFY(
            control<QLineEdit>(topLevel(QStringLiteral("FrmName2")), QStringLiteral("Text1_1"))->text().endsWith(u'x'));
        control<QPushButton>(topLevel(QStringLiteral("FrmName2")), QStringLiteral("Command2"))->click(); // "もどる"
        QCOMPARE(arrival(QStringLiteral("namesel"), QStringLiteral("List1")), QString());
        QVERIFY(xdo({ QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return") }));
        QString before = QStringLiteral("Return");
        for (const QString& onward : { QStringLiteral("Return"), QStringLiteral("Tab Return"), QString() }) {
            if (before == QLatin1String("Return")) { // the board ("メニューへ"), or the drill again ("もう一度")
                QCOMPARE(arrival(QStringLiteral("seisekitime1"), QStringLiteral("Command1")), QString());
                QVERIFY(xdo({ QStringLiteral("key"), QStringLiteral("1") }));
            }
            before = onward;
            QCOMPARE(arrival(QStringLiteral("MainFrm")), QString());
            QVERIFY(xdo({ QStringLiteral("key"), QStringLiteral("Down") }));
            WAIT_COMPARE(qobject_cast<MainFrm*>(topLevel(QStringLiteral("MainFrm")))->keyCursor().index(), 2);
            fake->clock.advance(10000); // out of time
            QCOMPARE(arrival(QStringLiteral("FrmSyuuryou"), QStringLiteral("Command4")), QString());
            WAIT_VERIFY(
                platform::takesClicksOn(control(topLevel(QStringLiteral("FrmSyuuryou")), QStringLiteral("Command4"))));
            if (!onward.isEmpty())
                QVERIFY(xdo(QStringList { QStringLiteral("key") } + onward.split(u' ')));
        }
    }

    // The window's close box closes the form in it, which goes back to the board as its own
    // close box does; the window goes with the form.
    void theCloseBoxOfTheWindowClosesTheForm()
    {
        reg.currentLevel = 1;
        reg.attemptResult = 50;
        QPointer<FrmSyuuryou> form = FrmSyuuryou::open();
        QPointer<QWidget> window = platform::windowOf(form);
        QVERIFY(window != form);
        QVERIFY(QTest::qWaitForWindowExposed(window, testing_support::kWaitMs));
        QVERIFY(window->close());
        WAIT_COMPARE(boardShown, 1);
        WAIT_VERIFY(!form && !window);
    }
};

int main(int argc, char* argv[])
{
    testing_support::limitMemory();
    platform::fitFormsToScreen(argc, argv);
    platform::Application app(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
