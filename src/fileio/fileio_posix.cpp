// The file layer on POSIX systems: fcntl record locks, pwrite, fsync, ftruncate, rename.
#include "fileio/internal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fileio {
namespace {

int openRetrying(const Path& path, int flags)
{
    for (;;) {
        // O_NONBLOCK: a FIFO put in a file's place must not hold the open for ever (regular
        // files ignore it).
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

// A record lock from the start to the end of the file, however long it grows.
int setLock(int fd, short type, bool wait)
{
    struct flock fl { };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, wait ? F_SETLKW : F_SETLK, &fl) == 0)
            return 0;
        if (errno != EINTR)
            return errno == EACCES ? EAGAIN : errno;
    }
}

int fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

} // namespace

int File::open(const Path& path, Mode mode)
{
    close();
    int flags = O_RDWR;
    switch (mode) {
    case Mode::Read:
        flags = O_RDONLY;
        break;
    case Mode::ReadWrite:
        break;
    case Mode::ReadWriteCreate:
        flags |= O_CREAT;
        break;
    case Mode::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    }
    const int f = openRetrying(path, flags);
    if (f < 0)
        return errno;
    handle_ = f;
    return 0;
}

void File::close()
{
    if (handle_ == kClosed)
        return;
    unlock();
    ::close(fd(handle_));
    handle_ = kClosed;
}

int lockNative(std::intptr_t handle, bool wait)
{
    return setLock(fd(handle), F_WRLCK, wait);
}

void unlockNative(std::intptr_t handle)
{
    setLock(fd(handle), F_UNLCK, false);
}

int File::size(std::int64_t* length) const
{
    struct stat st { };
    if (::fstat(fd(handle_), &st) != 0)
        return errno;
    *length = st.st_size;
    return 0;
}

int File::kind(Kind* kind) const
{
    struct stat st { };
    if (::fstat(fd(handle_), &st) != 0)
        return errno;
    *kind = S_ISREG(st.st_mode) ? Kind::RegularFile : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
    return 0;
}

int File::readAt(char* data, std::int64_t length, std::int64_t at, std::int64_t* got) const
{
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd(handle_), data + done, static_cast<size_t>(length - done), at + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        done += n;
    }
    *got = done;
    return 0;
}

int File::writeAt(const char* data, std::int64_t length, std::int64_t at)
{
    while (length > 0) {
        const ssize_t n = ::pwrite(fd(handle_), data, static_cast<size_t>(length), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        length -= n;
        at += n;
    }
    return 0;
}

int File::truncate(std::int64_t length)
{
    for (;;) {
        if (::ftruncate(fd(handle_), length) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

int File::flushToDisk()
{
    for (;;) {
        if (::fsync(fd(handle_)) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

void flushFolderOf(const Path& path)
{
    const Path folder = std::filesystem::absolute(path).parent_path();
    const int f = openRetrying(folder, O_RDONLY | O_DIRECTORY);
    if (f >= 0) {
        ::fsync(f);
        ::close(f);
    }
}

int Replacement::commit()
{
    if (const int e = flushAndCheckLength())
        return e;
    // The new file keeps the old one's permissions; a new file may be written by everyone.
    struct stat st { };
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
    ::fchmod(fd(file_.nativeHandle()), mode);
    file_.close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return errno;
    temporary_.clear();
    flushFolderOf(target_);
    return 0;
}

// An fcntl lock: the system drops it when the process ends, however it ends, and it needs no
// clean-up of a stale lock file left by a crash.
InstanceLock::Outcome InstanceLock::acquire(const Path& lockFile)
{
    if (held())
        return Outcome::Acquired;
    const int f = openRetrying(lockFile, O_RDWR | O_CREAT);
    if (f < 0)
        return Outcome::Unavailable;
    if (setLock(f, F_WRLCK, false) != 0) {
        ::close(f);
        return Outcome::HeldElsewhere;
    }
    handle_ = f;
    return Outcome::Acquired;
}

void InstanceLock::release()
{
    if (held()) {
        ::close(fd(handle_));
        handle_ = -1;
    }
}

InstanceLock::~InstanceLock()
{
    release();
}

// Started through a grandchild that is adopted by init, so no zombie is left behind and the
// program lives on when this one ends; a pipe closed on exec tells whether exec succeeded.
int startProgram(const Path& program, const std::string& argument, const Path& workingFolder)
{
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;
    const pid_t child = ::fork();
    if (child < 0) {
        const int e = errno;
        ::close(report[0]);
        ::close(report[1]);
        return e;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
                const int e = errno;
                (void)!::write(report[1], &e, sizeof e);
                ::_exit(127);
            }
            const char* argv[] = { program.c_str(), argument.c_str(), nullptr };
            ::execv(program.c_str(), const_cast<char* const*>(argv));
            const int e = errno;
            (void)!::write(report[1], &e, sizeof e);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int e = errno;
            (void)!::write(report[1], &e, sizeof e);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    int error = 0;
    ssize_t n;
    while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) { }
    ::close(report[0]);
    return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace fileio
