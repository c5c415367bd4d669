#include "app/lifecycle.h"

#include "app/startprogram.h"
#include "platform/events.h"
#include "platform/screen.h"
#include "startup/navigation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kanameru {

namespace {

// How long the program may stay idle without a visible window before it ends. Screens hand
// over to each other inside one handler, so a gap this long is never a hand-over.
constexpr int kNoWindowGraceMs = 250;

int signalPipe[2] = { -1, -1 };

extern "C" void onEndSignal(int signo)
{
    const char byte = static_cast<char>(signo);
    // Only an async-signal-safe write here; the rest happens on the window thread.
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool anyVisibleWindow()
{
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        if (w->isVisible())
            return true;
    }
    return false;
}

void installSignalHandlers(QApplication& app)
{
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        endProgram(0);
    });
    struct sigaction action { };
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : std::array { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signo, &action, nullptr);
}

// Watches for the moment the program sits idle in its event loop with no visible window.
class NoWindowGuard : public QObject {
public:
    explicit NoWindowGuard(QApplication& app)
        : QObject(&app)
    {
        timer_.setSingleShot(true);
        timer_.setInterval(kNoWindowGraceMs);
        connect(&timer_, &QTimer::timeout, this, [] {
            if (!programEnding() && !anyVisibleWindow())
                endProgram(0);
        });
        app.installEventFilter(this);
        // The dispatcher says when the loop is about to sleep: every handler has returned.
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (windowGone_ && !timer_.isActive()) {
                windowGone_ = false;
                if (!anyVisibleWindow())
                    timer_.start();
            }
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow())
            windowGone_ = true;
        return false;
    }

private:
    QTimer timer_;
    bool windowGone_ = true; // the first idle moment checks too (a start that opened nothing)
};

} // namespace

void installLifecycle(QApplication& app)
{
    // Screens unload each other; the guard below decides when no screen is left.
    QApplication::setQuitOnLastWindowClosed(false);
    installSignalHandlers(app);
    platform::setScreenPainter(platform::paintScreenNow);
    static QPointer<NoWindowGuard> guard;
    if (!guard)
        guard = new NoWindowGuard(app);
}

int runProgram(QApplication& app, const QString& programDir)
{
    installLifecycle(app);
    if (const int exitCode = startProgram(programDir))
        return exitCode;
    // An error while the start screen loaded has already been shown and every form closed.
    if (programEnding())
        return programExitCode();
    const int exitCode = QApplication::exec();
    return programEnding() ? programExitCode() : exitCode;
}

} // namespace kanameru
