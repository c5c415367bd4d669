// How long a test waits for a window, a screen change or a process before it fails.
//
// A form test runs beside a build on a two-core machine: a window may take seconds to show and a
// child process seconds to start. Every wait is on its condition, so a generous limit costs
// nothing when the program is right and only tells a hang from a slow machine when it is wrong.
// Qt's own waits default to five seconds: the tests use these instead.
#pragma once

namespace testing_support {

inline constexpr int kWaitMs = 60000;

} // namespace testing_support

// The form tests' waits on a condition; tests of the core without Qt's test library take the limit.
#if __has_include(<QTest>)
#include <QTest>
#define WAIT_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, testing_support::kWaitMs)
#define WAIT_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, testing_support::kWaitMs)
#define WAIT_COMPARE(actual, expected) QTRY_COMPARE_WITH_TIMEOUT(actual, expected, testing_support::kWaitMs)
#endif
