// The file layer on POSIX systems: open-file-description locks, pwrite, fsync, ftruncate, rename.
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// The writers' lock: the single byte at kLockOffset, as the Windows build locks it, so Linux
// and Windows workstations on one share exclude each other, and a share that makes locks
// mandatory (SMB) never refuses a reader because of it. An open-file-description lock, like a
// Windows lock, belongs to the open file: a classic fcntl lock would be dropped as soon as the
// process closed any other descriptor of the same file. Where the system has none (EINVAL),
// the classic lock on the same byte stands in.
int setLock(int fd, short type, bool wait)
{
    struct flock fl { };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kLockOffset);
    fl.l_len = 1;
    bool openFileLock = true;
    for (;;) {
        const int command = openFileLock ? (wait ? F_OFD_SETLKW : F_OFD_SETLK) : (wait ? F_SETLKW : F_SETLK);
        if (::fcntl(fd, command, &fl) == 0)
            return 0;
        if (errno == EINVAL && openFileLock) {
            openFileLock = false;
            continue;
        }
        if (errno != EINTR)
            return errno == EACCES ? EAGAIN : errorFromSystem(static_cast<unsigned long>(errno));
    }
}

int fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

// A read or write refused on a share where byte-range locks are mandatory (SMB): the range is
// locked by another workstation.
int transferError(int e)
{
    return e == EACCES ? EAGAIN : errorFromSystem(static_cast<unsigned long>(e));
}

// Writes all bytes in sequence into a descriptor that has no offsets (a FIFO, a terminal, the
// standard output). A reader that goes away gives EPIPE, never ends the process.
int writeInSequence(int f, const char* data, std::int64_t length)
{
    // SIGPIPE is held back while writing, and one this write raised is taken off again.
    sigset_t pipe, before, pending;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &before);
    sigpending(&pending);
    const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
    int error = 0;
    while (length > 0) {
        const ssize_t n = ::write(f, data, static_cast<size_t>(std::min<std::int64_t>(length, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        data += n;
        length -= n;
    }
    if (error == EPIPE && !pendingBefore) {
        const struct timespec now {
        };
        while (::sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) { }
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return error;
}

} // namespace

namespace detail {
std::string systemNote(int)
{
    return {};
}
} // namespace detail

// A share's sharing violation (another program holds the file open without sharing it) comes
// as EBUSY from the SMB client.
int errorFromSystem(unsigned long systemError)
{
    const int e = static_cast<int>(systemError);
    return e == EBUSY ? ETXTBSY : e;
}

int File::open(const Path& path, Mode mode)
{
    close();
    if (const int e = detail::openCheckForTests(path, mode))
        return e;
    int flags = O_RDWR;
    switch (mode) {
    case Mode::Read:
        flags = O_RDONLY;
        break;
    case Mode::ReadCreate:
        flags = O_RDONLY | O_CREAT;
        break;
    case Mode::ReadWrite:
        break;
    case Mode::ReadWriteCreate:
        flags |= O_CREAT;
        break;
    case Mode::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case Mode::WriteExisting:
        flags = O_WRONLY | O_NOCTTY;
        break;
    }
    const int f = openRetrying(path, flags);
    if (f < 0)
        return errorFromSystem(static_cast<unsigned long>(errno));
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

int File::checkRegular(std::int64_t* length) const
{
    struct stat st { };
    if (::fstat(fd(handle_), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
    if (length)
        *length = st.st_size;
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
            return transferError(errno);
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
            return transferError(errno);
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

namespace detail {

int openDirectTarget(const Path& target, File& file, bool* direct)
{
    *direct = false;
    struct stat st { };
    if (::stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return 0; // missing, or a file to replace
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        return ENODEV; // a block device or a socket
    if (const int e = file.open(target, File::Mode::WriteExisting))
        return e; // ENXIO: a FIFO that nobody reads
    const int f = fd(file.nativeHandle());
    if (::fstat(f, &st) != 0 || S_ISREG(st.st_mode)) {
        file.close(); // it became a file meanwhile: replace it after all
        return 0;
    }
    // Opened without waiting; from here on a full pipe waits for its reader.
    ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
    *direct = true;
    return 0;
}

int writeDirect(File& file, const char* data, std::int64_t length)
{
    return writeInSequence(fd(file.nativeHandle()), data, length);
}

void restrictTemporary(File& temporary, const Path& target)
{
    struct stat st { };
    if (::stat(target.c_str(), &st) == 0)
        ::fchmod(fd(temporary.nativeHandle()), 0600);
}

} // namespace detail

int Replacement::commit()
{
    if (direct_) {
        file_.close();
        direct_ = false;
        return 0;
    }
    if (const int e = flushAndCheckLength())
        return e;
    // The new file keeps the old one's owner and permissions (in that order: a change of owner
    // clears the set-user-ID bit). A new file has kept those it was created with: 0666 less
    // the umask, as every program's new files.
    struct stat st { };
    if (::stat(target_.c_str(), &st) == 0) {
        (void)!::fchown(fd(file_.nativeHandle()), st.st_uid, st.st_gid);
        ::fchmod(fd(file_.nativeHandle()), st.st_mode & 07777);
    }
    file_.close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return errno;
    temporary_.clear();
    flushFolderOf(target_);
    return 0;
}

// The writers' lock on a lock file: the system drops it when the process ends, however it
// ends, and it needs no clean-up of a stale lock file left by a crash. Only the lock refuses:
// another program merely having the file open does not.
InstanceLock::Outcome InstanceLock::acquire(const Path& lockFile)
{
    if (held())
        return Outcome::Acquired;
    const int f = openRetrying(lockFile, O_RDWR | O_CREAT);
    if (f < 0)
        return Outcome::Unavailable;
    if (const int e = setLock(f, F_WRLCK, false)) {
        ::close(f);
        return e == EAGAIN ? Outcome::HeldElsewhere : Outcome::Unavailable;
    }
    handle_ = f;
    return Outcome::Acquired;
}

Path finalPath(const Path& path)
{
    std::error_code ec;
    const Path final = std::filesystem::canonical(path, ec);
    return ec ? path : final;
}

bool sameFile(const Path& a, const Path& b)
{
    struct stat sa {
    }, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

bool standardOutputIsFile(const Path& file)
{
    struct stat out {
    }, st {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) && ::stat(file.c_str(), &st) == 0
        && out.st_dev == st.st_dev && out.st_ino == st.st_ino;
}

int followLinks(const Path& path, Path* target)
{
    Path at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st { };
        if (::lstat(at.c_str(), &st) != 0) {
            const int e = errno;
            *target = at;
            if (e == ELOOP)
                return ELOOP;
            // Nothing at the path itself is a new file; nothing where a link leads is a link
            // that names nothing.
            return hops > 0 && (e == ENOENT || e == ENOTDIR) ? ENOENT : 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            *target = at;
            return 0;
        }
        std::error_code e;
        const Path next = std::filesystem::read_symlink(at, e);
        if (e) {
            *target = at;
            return e.value();
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    *target = at;
    return ELOOP;
}

int mayReplace(const Path& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return errno == EROFS ? EROFS : EACCES;
    // A replacement is a new file given the old one's owner and group: only root may give a file
    // to another user, and a user only to a group of his own.
    const uid_t me = ::geteuid();
    if (me == 0)
        return 0;
    if (st.st_uid != me)
        return EPERM;
    if (st.st_gid == ::getegid())
        return 0;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<size_t>(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, groups.data()) == count)
        for (const gid_t g : groups)
            if (g == st.st_gid)
                return 0;
    return EPERM;
}

int writeStandardOutput(std::string_view bytes)
{
    std::fflush(stdout);
    return writeInSequence(STDOUT_FILENO, bytes.data(), static_cast<std::int64_t>(bytes.size()));
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
