#include "platform/filelock.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#endif

namespace platform {

#ifdef Q_OS_WIN
namespace {
bool lockWin(int fd, DWORD flags)
{
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    OVERLAPPED ov{};
    return LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &ov);
}
} // namespace

bool FileLock::tryLock()
{
    locked_ = locked_ || lockWin(fd_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY);
    return locked_;
}

bool FileLock::lock()
{
    locked_ = locked_ || lockWin(fd_, LOCKFILE_EXCLUSIVE_LOCK);
    return locked_;
}

void FileLock::unlock()
{
    if (!locked_)
        return;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    OVERLAPPED ov{};
    UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &ov);
    locked_ = false;
}
#else
namespace {
bool setLock(int fd, short type, bool wait)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET; // start 0, length 0: the whole file, however long it grows
    for (;;) {
        if (::fcntl(fd, wait ? F_SETLKW : F_SETLK, &fl) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}
} // namespace

bool FileLock::tryLock()
{
    locked_ = locked_ || setLock(fd_, F_WRLCK, false);
    return locked_;
}

bool FileLock::lock()
{
    locked_ = locked_ || setLock(fd_, F_WRLCK, true);
    return locked_;
}

void FileLock::unlock()
{
    if (!locked_)
        return;
    setLock(fd_, F_UNLCK, false);
    locked_ = false;
}
#endif

} // namespace platform
