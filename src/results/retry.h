#pragma once
// The waits of the results routines' retry handlers. They let window events run and are
// measured on a monotonic clock; tests may put a wait of their own in place.
#include <functional>

namespace kanameru::results_retry {

// Seconds between attempts, and how often each failure is tried before giving up.
constexpr int kBusyWaitMs = 1000; // locked by another workstation, or no permission
constexpr int kNotFoundWaitMs = 5000; // the file's folder is not there
constexpr int kNotFoundTries = 4; // the 4th "not found" ends the program
constexpr int kLoadBusyTries = 60; // a file that stays unreadable for a minute
constexpr int kAppendBusyPerNotice = 30; // a notice every 30 s while the lock stays taken
constexpr int kAppendBusyNotices = 6; // and the 6th notice (3 minutes) gives up
constexpr int kStoredNoticeMs = 2000; // how long the notice says that the attempt was stored

void wait(int milliseconds);

using WaitFunction = std::function<void(int milliseconds)>;
// Installs a wait (an empty function restores the real one); returns the one before.
WaitFunction setWaitForTests(WaitFunction wait);

} // namespace kanameru::results_retry
