#pragma once
#include "fileio/fileio.h"

#include <QString>

namespace platform {

// Detects another running instance of the program started from the same executable.
// The lock is held until the object is destroyed or the process ends (even by a crash).
class SingleInstance {
public:
    explicit SingleInstance(const QString& executablePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when no other instance holds the lock; this one then holds it.
    bool acquire();
    bool held() const { return lock_.held(); }
    QString lockFilePath() const { return lockPath_; }

private:
    QString lockPath_;
    fileio::InstanceLock lock_;
};

} // namespace platform
