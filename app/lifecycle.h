#pragma once
#include "startup/settings.h"

class QApplication;

namespace kanameru {

// Keeps the program from running on without a window.
//
// - The system's requests to end (Linux: SIGTERM, SIGINT, SIGHUP; Windows: console events and
//   the end of the session; see platform/endrequests.h) end the program in order, as the start
//   screen's "終了" does: the request is only marked, and the forms are closed
//   on the window thread once the routine it interrupted has returned to the event loop, so an
//   append in progress completes first.
// - When no visible window is left and the program is idle (every close box and every error
//   path included), the program ends with exit code 0.
//
// Install once, after the QApplication exists and before any sound is played (the sound
// library then leaves the signals to us).
void installLifecycle(QApplication& app);

// Starts the program in programDir (startProgram) and runs the event loop while a screen is
// open. Returns the exit code: that of an error at start-up without entering the loop, or the
// one the program ended with.
int runProgram(QApplication& app, const QString& programDir = exeDir());

} // namespace kanameru
