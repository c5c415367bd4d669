#include "platform/instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

SingleInstance::SingleInstance(const QString& executablePath)
{
    const QString key = QFileInfo(executablePath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    lockPath_ = QDir::temp().filePath(QStringLiteral("kanameru-%1.lock").arg(QString::fromLatin1(hash)));
}

SingleInstance::~SingleInstance()
{
#ifndef Q_OS_WIN
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

bool SingleInstance::acquire()
{
    if (fd_ >= 0)
        return true;
#ifdef Q_OS_WIN
    return true; // the Windows build relies on the launcher starting one instance
#else
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return true; // no place for a lock file: do not keep the pupil out
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &fl) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
#endif
}

} // namespace platform
