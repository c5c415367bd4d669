#include "platform/endrequests.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>

#include <windows.h>

namespace platform {

namespace {

// How long a console close, logoff or shutdown event waits for the program to end in order:
// the system ends the process when the handler returns, and waits at most 5 s for it.
constexpr DWORD kConsoleEndWaitMs = 4500;

std::function<void()> endRequested;
QPointer<QCoreApplication> application;
HANDLE programEnded = nullptr; // set once the event loop has returned

void requestEndOnWindowThread()
{
    if (application)
        QMetaObject::invokeMethod(
            application.data(), [] { endRequested(); }, Qt::QueuedConnection);
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    requestEndOnWindowThread();
    switch (event) {
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // Returning lets the system end the process at once: wait for the forms to close.
        WaitForSingleObject(programEnded, kConsoleEndWaitMs);
        break;
    default:
        break;
    }
    return TRUE;
}

// The session's end reaches every top-level window of the program.
class SessionEndFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        // A message to the thread rather than to a window comes with no result to set.
        if (msg->message == WM_QUERYENDSESSION) {
            if (result)
                *result = TRUE; // the results are on the disk after every answer: never hold up a logoff
            return true;
        }
        if (msg->message == WM_ENDSESSION && msg->wParam) {
            // The process may be ended any time after this returns; the results file is written
            // at every answer, so closing the forms now is all that is left to do.
            if (!ended_) {
                ended_ = true;
                endRequested();
            }
            if (result)
                *result = 0;
            return true;
        }
        return false;
    }

private:
    bool ended_ = false;
};

} // namespace

void watchEndRequests(QCoreApplication& app, std::function<void()> onEnd)
{
    if (application)
        return;
    application = &app;
    endRequested = std::move(onEnd);
    programEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
        if (programEnded)
            SetEvent(programEnded);
    });
    app.installNativeEventFilter(new SessionEndFilter);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void keepRunningAtFileSizeLimit() { }

} // namespace platform
