#pragma once
// Stops every file this process writes at the given size, as a full disk would, for the life
// of the object (POSIX only: a file size limit with SIGXFSZ ignored makes writes come up short).
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
