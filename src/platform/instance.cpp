#include "platform/instance.h"

#include "platform/nativepath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace platform {

// Keyed by the executable's final path, so every way of reaching the same program (a link, a
// mapped drive letter and the \\server\share path, another case of its letters on Windows)
// finds the same lock.
SingleInstance::SingleInstance(const QString& executablePath)
{
    const std::u8string key
        = fileio::finalPath(nativePath(QFileInfo(executablePath).absoluteFilePath())).generic_u8string();
    const QByteArray hash = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(key.data()), static_cast<qsizetype>(key.size())),
        QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    lockPath_ = QDir::temp().filePath(QStringLiteral("kanameru-%1.lock").arg(QString::fromLatin1(hash)));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    // Without a place for a lock file nothing is known: do not keep the pupil out.
    return lock_.acquire(nativePath(lockPath_)) != fileio::InstanceLock::Outcome::HeldElsewhere;
}

} // namespace platform
