#include "platform/endrequests.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int signalPipe[2] = { -1, -1 };

extern "C" void onEndSignal(int signo)
{
    const char byte = static_cast<char>(signo);
    // Only an async-signal-safe write here; the rest happens on the window thread.
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void watchEndRequests(QCoreApplication& app, std::function<void()> onEnd)
{
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [onEnd = std::move(onEnd)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        onEnd();
    });
    struct sigaction action { };
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : std::array { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signo, &action, nullptr);
}

void keepRunningAtFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace platform
