// Used by the platform tests as "another workstation" or "another instance":
//   lock_helper file PATH    takes the file lock on PATH and exits 0, or 3 if it is held
//   lock_helper instance EXE tries to become the single instance of EXE: 0 yes, 3 no
#include "platform/filelock.h"
#include "platform/instance.h"

#include <QCoreApplication>
#include <QFile>
#include <cstring>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString arg = QCoreApplication::arguments().at(2); // whole on Windows too, whatever its code page
    if (std::strcmp(argv[1], "file") == 0) {
        QFile f(arg);
        if (!f.open(QIODevice::ReadWrite))
            return 2;
        platform::FileLock lock(f.handle());
        return lock.tryLock() ? 0 : 3;
    }
    if (std::strcmp(argv[1], "instance") == 0) {
        platform::SingleInstance instance(arg);
        return instance.acquire() ? 0 : 3;
    }
    return 2;
}
