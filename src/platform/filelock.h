#pragma once

namespace platform {

// An exclusive lock on a whole open file (the file layer's lock: a POSIX record lock, which also
// holds on NFS and SMB shares, or its Windows counterpart). The lock is released by unlock(),
// by the destructor, or when the process ends.
class FileLock {
public:
    explicit FileLock(int fileDescriptor)
        : fd_(fileDescriptor)
    {
    }
    ~FileLock() { unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock without waiting; false when another process holds it or it failed.
    bool tryLock();
    // Takes the lock, waiting for another holder to release it; false on failure.
    bool lock();
    void unlock();
    bool locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

} // namespace platform
