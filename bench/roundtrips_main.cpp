// The program itself, started from an installation's program folder, with a pupil who plays
// one attempt: bench/roundtrips.sh runs it under strace and counts the file-system calls on the
// installation folder in each phase. The phases are marked in the trace by a look at
// "/kanameru-roundtrips-phase/NAME", a path outside every installation:
//   started  the start screen is shown, loaded and active (start-up before it)
//   board    the board is shown after the pupil's "O.K." (board opening before it)
//   review   the board has counted the pupil's events due for review (that count before it)
//   attempt  the end screen is shown after level 1 was started and five questions solved
#include "app/desktop.h"
#include "app/lifecycle.h"
#include "board/seisekitime1.h"
#include "drill/mainfrm.h"
#include "platform/application.h"
#include "platform/screenfit.h"
#include "platform/widgetmessagebox.h"
#include "roster/namesel.h"
#include "support/drillpupil.h"
#include "support/formdriver.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

using testing_support::topLevel;

void mark(const char* phase)
{
    QFileInfo::exists(QStringLiteral("/kanameru-roundtrips-phase/") + QLatin1String(phase));
    std::fprintf(stderr, "roundtrips: %s\n", phase);
}

// Names the windows left open (a message box says why the road stopped).
[[noreturn]] void giveUp(const char* why)
{
    std::fprintf(stderr, "roundtrips: %s\n", why);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            std::fprintf(stderr, "  open: %s %s\n", qPrintable(w->objectName()), qPrintable(w->windowTitle()));
    std::_Exit(3);
}

// Runs `step` every 20 ms until it returns true.
void whenReady(const std::function<bool()>& step)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (step())
            timer->deleteLater();
    });
    timer->start();
}

QPushButton* button(QWidget* form, const QString& name)
{
    return form ? form->findChild<QPushButton*>(name) : nullptr;
}

void playAttempt()
{
    auto* board = topLevel(QStringLiteral("seisekitime1"));
    testing_support::click(button(board, QStringLiteral("Command4_1")));
    whenReady([] {
        auto* f = qobject_cast<kanameru::MainFrm*>(topLevel(QStringLiteral("MainFrm")));
        if (!f || topLevel(QStringLiteral("seisekitime1")))
            return false;
        for (int question = 1; question <= 5; ++question) {
            // The buttons are pressed through their handlers (the drags are real): the file
            // calls are the same, and no click can miss a button under the answer panel.
            if (question > 1)
                f->Command3_Click();
            testing_support::answerKnowingTheEvents(f, {}, [f](QWidget*) { f->Command6_Click(); });
            f->Command4_Click();
        }
        whenReady([] {
            QWidget* end = topLevel(QStringLiteral("FrmSyuuryou"));
            QPushButton* back = button(end, QStringLiteral("Command4"));
            if (!back || !back->isVisible())
                return false;
            mark("attempt");
            std::fflush(nullptr);
            std::_Exit(0);
        });
        return true;
    });
}

void openBoard()
{
    QWidget* start = topLevel(QStringLiteral("namesel"));
    auto* pupils = start->findChild<QListWidget*>(QStringLiteral("List1"));
    // Row 0 is the heading; row 1 the first pupil.
    if (!pupils || pupils->count() < 2)
        giveUp("no pupil on the start screen");
    QTest::mouseClick(
        pupils->viewport(), Qt::LeftButton, Qt::NoModifier, pupils->visualItemRect(pupils->item(1)).center());
    testing_support::click(button(start, QStringLiteral("Command14")));
    whenReady([] {
        auto* board = qobject_cast<kanameru::seisekitime1*>(topLevel(QStringLiteral("seisekitime1")));
        if (!board || !board->activated() || topLevel(QStringLiteral("namesel")))
            return false;
        mark("board");
        // The board counts the pupil's events due for review once it has opened.
        whenReady([] {
            auto* board = qobject_cast<kanameru::seisekitime1*>(topLevel(QStringLiteral("seisekitime1")));
            if (!board || board->reviewDue() < 0)
                return false;
            mark("review");
            QTimer::singleShot(200, playAttempt);
            return true;
        });
        return true;
    });
}

} // namespace

int main(int argc, char* argv[])
{
    platform::fitFormsToScreen(argc, argv);
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kanameru"));
    kanameru::setUpDesktop();
    platform::WidgetMessageBox messageBox;
    platform::setMessageBoxService(&messageBox);
    QTimer::singleShot(120000, [] { giveUp("the attempt did not end within two minutes"); });
    whenReady([] {
        // Started once the start screen has loaded and become active: its lists are built.
        auto* start = qobject_cast<kanameru::namesel*>(topLevel(QStringLiteral("namesel")));
        if (!start || !start->isVisible() || !start->activated())
            return false;
        mark("started");
        QTimer::singleShot(200, openBoard);
        return true;
    });
    return kanameru::runProgram(app);
}
