#pragma once

namespace platform {

// Lets pending window events run (timers, paints, clicks), as long waits and sounds do.
void letEventsRun();

// Lets the window events that came while the thread was held (a sound that played to its end)
// run, but drops the pupil's input among them: keys, clicks and wheel turns given while he
// could see nothing answer are not taken, and what he gives after this call is taken at once.
// A wait that one of those events opens (a message box) takes its input as always.
void dropInputGivenMeanwhile();

// Waits the given milliseconds on a monotonic clock while letting window events run.
// A wait never lasts much longer than asked, whatever the time of day does (midnight included).
void waitLettingEventsRun(int milliseconds);

// Makes what the screen is to show visible before the thread blocks (a sound that plays to its
// end): every shown window exposed by the window system and painted. Calls the painter that
// the window layer installed; without one (programs and tests without windows) does nothing.
void showScreenNow();
// Installs the painter showScreenNow calls (nullptr: none); returns the one before.
using ScreenPainter = void (*)();
ScreenPainter setScreenPainter(ScreenPainter painter);

} // namespace platform
