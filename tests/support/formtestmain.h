#pragma once
// The main function of a form test: the test runs with the program's own application object,
// so closed forms are deleted when the program would delete them.
#include "platform/application.h"

#include <QTest>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace testing_support {

// A form test shows names and texts from hostile files. Should a text ever be taken for rich
// text again (<img src=/dev/zero>), the test must fail on its own memory limit rather than
// grow until the machine's out-of-memory killer ends whatever it picks. The sanitizer build
// reserves terabytes of address space: there ASAN_OPTIONS' hard_rss_limit_mb stands instead.
inline void limitMemory()
{
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
    constexpr rlim_t kLimit = rlim_t(6) << 30;
    struct rlimit limit { };
    if (getrlimit(RLIMIT_AS, &limit) == 0 && (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > kLimit)) {
        limit.rlim_cur = kLimit;
        setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

} // namespace testing_support

#define KANAMERU_FORM_TEST_MAIN(TestObject)                                                                            \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        testing_support::limitMemory();                                                                                \
        platform::Application app(argc, argv);                                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
