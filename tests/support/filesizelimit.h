#pragma once
// Stops every file this process writes at the given size, as a full disk would, for the life
// of the object (POSIX only: a file size limit with SIGXFSZ ignored makes writes come up short).
// Windows has no such limit: there the tests that need one are skipped, saying why.
#ifdef _WIN32
#define KANAMERU_NEEDS_SIZE_LIMIT(limit, skip) skip("Windows has no file size limit to stop a write part way")
#define KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit) KANAMERU_NEEDS_SIZE_LIMIT(limit, GTEST_SKIP() <<)
#define KANAMERU_QTEST_NEEDS_SIZE_LIMIT(limit) KANAMERU_NEEDS_SIZE_LIMIT(limit, QSKIP)

namespace testing_support {
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long) { }
};
} // namespace testing_support
#else
#define KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit) ASSERT_TRUE((limit).active())
#define KANAMERU_QTEST_NEEDS_SIZE_LIMIT(limit) QVERIFY((limit).active())

#include <csignal>
#include <sys/resource.h>

namespace testing_support {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    // False when the limit could not be set (the test should then fail, not pass vacuously).
    bool active() const { return active_; }

private:
    struct rlimit old_ { };
    void (*oldHandler_)(int) = nullptr;
    bool active_ = false;
};

} // namespace testing_support
#endif
