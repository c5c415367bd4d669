#include "platform/instance.h"

#include "platform/nativepath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace platform {

SingleInstance::SingleInstance(const QString& executablePath)
{
    const QString key = QFileInfo(executablePath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    lockPath_ = QDir::temp().filePath(QStringLiteral("kanameru-%1.lock").arg(QString::fromLatin1(hash)));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    // Without a place for a lock file nothing is known: do not keep the pupil out.
    return lock_.acquire(nativePath(lockPath_)) != fileio::InstanceLock::Outcome::HeldElsewhere;
}

} // namespace platform
