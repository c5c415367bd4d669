#include "app/lifecycle.h"

#include "app/startprogram.h"
#include "platform/endrequests.h"
#include "platform/events.h"
#include "platform/screen.h"
#include "startup/navigation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace kanameru {

namespace {

// How long the program may stay idle without a visible window before it ends. Screens hand
// over to each other inside one handler, so a gap this long is never a hand-over.
constexpr int kNoWindowGraceMs = 250;

bool anyVisibleWindow()
{
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        if (w->isVisible())
            return true;
    }
    return false;
}

// Watches for the program sitting idle in its event loop without a visible window. Only a loop
// that is about to sleep for events says so (the main loop, or a dialog's, which is a window):
// a routine still at work between two screens, even one that lets events run while it loads,
// never does. The window must stay missing for a grace period across such idle moments.
class NoWindowGuard : public QObject {
public:
    explicit NoWindowGuard(QApplication& app)
        : QObject(&app)
    {
        // Wakes the idle loop once the grace period is over, so it looks again.
        wakeUp_.setSingleShot(true);
        wakeUp_.setInterval(kNoWindowGraceMs);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (programEnding() || anyVisibleWindow()) {
                noWindowSince_.invalidate();
                return;
            }
            if (!noWindowSince_.isValid()) {
                noWindowSince_.start();
                wakeUp_.start();
            } else if (noWindowSince_.elapsed() >= kNoWindowGraceMs) {
                endProgram(0);
            } else if (!wakeUp_.isActive()) {
                wakeUp_.start();
            }
        });
    }

private:
    QTimer wakeUp_;
    QElapsedTimer noWindowSince_;
};

// Closes and deletes every window while the application object still runs: each form goes,
// and with it the accessibility interfaces the toolkit keeps for its controls, before the
// toolkit that owns them ends. (A program that ended before entering its event loop, or whose
// last closed forms were never deleted, would otherwise leave them to the toolkit's own end.)
void deleteWindows()
{
    for (int round = 0; round < 10; ++round) {
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->parentWidget())
                windows.append(w);
        }
        if (windows.isEmpty())
            return;
        for (const QPointer<QWidget>& w : std::as_const(windows)) {
            if (w)
                w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget>& w : std::as_const(windows))
            delete w.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

void installLifecycle(QApplication& app)
{
    // Screens unload each other; the guard below decides when no screen is left.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::watchEndRequests(app, [] { endProgram(0); });
    platform::setScreenPainter(platform::paintScreenNow);
    static QPointer<NoWindowGuard> guard;
    if (!guard)
        guard = new NoWindowGuard(app);
}

int runProgram(QApplication& app, const QString& programDir)
{
    installLifecycle(app);
    int exitCode = startProgram(programDir);
    // An error while the start screen loaded has already been shown and every form closed.
    if (exitCode == 0 && programEnding())
        exitCode = programExitCode();
    else if (exitCode == 0)
        exitCode = QApplication::exec();
    if (programEnding())
        exitCode = programExitCode();
    deleteWindows();
    return exitCode;
}

} // namespace kanameru
