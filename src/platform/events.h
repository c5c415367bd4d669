#pragma once

namespace platform {

// Lets pending window events run (timers, paints, clicks), as long waits and sounds do.
void letEventsRun();

// Waits the given milliseconds on a monotonic clock while letting window events run.
// A wait never lasts much longer than asked, whatever the time of day does (midnight included).
void waitLettingEventsRun(int milliseconds);

} // namespace platform
