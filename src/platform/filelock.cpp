#include "platform/filelock.h"

#include "fileio/fileio.h"

#include <QtGlobal>
#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace platform {

namespace {
std::intptr_t nativeHandle(int fd)
{
#ifdef Q_OS_WIN
    return static_cast<std::intptr_t>(_get_osfhandle(fd));
#else
    return fd;
#endif
}

bool take(int fd, bool wait)
{
    const int e = fileio::lockNative(nativeHandle(fd), wait);
    errno = e;
    return e == 0;
}
} // namespace

bool FileLock::tryLock()
{
    locked_ = locked_ || take(fd_, false);
    return locked_;
}

bool FileLock::lock()
{
    locked_ = locked_ || take(fd_, true);
    return locked_;
}

void FileLock::unlock()
{
    if (!locked_)
        return;
    fileio::unlockNative(nativeHandle(fd_));
    locked_ = false;
}

} // namespace platform
