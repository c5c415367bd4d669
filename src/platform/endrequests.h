#pragma once
#include <functional>

class QCoreApplication;

namespace platform {

// Calls onEnd on the window thread, from the event loop, when the system asks the program to
// end. onEnd runs only between two routines, never inside one, so an append in progress
// completes first.
// - Linux: SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C).
// - Windows: the console's Ctrl+C, Ctrl+Break, close, logoff and shutdown events, and the end
//   of the session (WM_QUERYENDSESSION is answered yes, WM_ENDSESSION ends the program).
// Install once, after the application object exists; later calls do nothing.
void watchEndRequests(QCoreApplication& app, std::function<void()> onEnd);

// Keeps a file size limit from killing the program in the middle of an append: the write then
// fails and is reported like a full disk (Linux: SIGXFSZ ignored; Windows has no such signal).
void keepRunningAtFileSizeLimit();

} // namespace platform
