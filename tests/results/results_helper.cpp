// "Another workstation" for the results tests, run as a separate process:
//   results_helper append PROGRAM_FOLDER ROSTER_FOLDER PUPIL COUNT
//        appends COUNT attempts of PUPIL (results 1..COUNT) through appendResult
//   results_helper partial FILE BYTES
//        takes the lock, writes BYTES bytes of a record after the last complete one and
//        dies (SIGKILL) while holding the lock, as a workstation losing power would
//   results_helper hold FILE
//        takes the lock, prints "locked" and keeps it until it is killed
//   results_helper limited PROGRAM_FOLDER ROSTER_FOLDER MAX_FILE_BYTES
//        appends one attempt while the file may not grow beyond MAX_FILE_BYTES
#include "platform/filelock.h"
#include "results/results.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QCoreApplication>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace kanameru;

namespace {

void setUpFolders(const char* programFolder, const char* rosterFolder)
{
    reg.programFolder = QString::fromLocal8Bit(programFolder);
    reg.rosterFolder = QString::fromLocal8Bit(rosterFolder);
    reg.programFolderName = QStringLiteral("カナメル");
    reg.rosterSource = AnyValue(1);
    reg.schoolCode = QStringLiteral("12345");
    reg.currentLevel = 1;
}

int lockFile(const char* path, platform::FileLock** lock)
{
#ifdef _WIN32
    const int fd = ::open(path, O_RDWR | O_CREAT | O_BINARY, 0666);
#else
    const int fd = ::open(path, O_RDWR | O_CREAT, 0666);
#endif
    if (fd < 0)
        return -1;
    *lock = new platform::FileLock(fd);
    return (*lock)->lock() ? fd : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const char* mode = argv[1];
    if (std::strcmp(mode, "append") == 0 && argc == 6) {
        setUpFolders(argv[2], argv[3]);
        reg.currentPupilNo = static_cast<qint16>(std::atoi(argv[4]));
        const int count = std::atoi(argv[5]);
        for (int i = 1; i <= count && !programEnding(); ++i) {
            reg.attemptResult = i;
            appendResult();
        }
        return programEnding() ? 1 : 0;
    }
    if (std::strcmp(mode, "partial") == 0 && argc == 4) {
        platform::FileLock* lock = nullptr;
        const int fd = lockFile(argv[2], &lock);
        if (fd < 0)
            return 2;
        struct stat st { };
        ::fstat(fd, &st);
        const off_t place = st.st_size / kResultRecordLength * kResultRecordLength;
        const QByteArray garbage(std::atoi(argv[3]), '\x5a');
        if (::lseek(fd, place, SEEK_SET) != place || ::write(fd, garbage.constData(), garbage.size()) != garbage.size())
            return 2;
#ifdef _WIN32
        std::_Exit(9); // no clean-up, as a power cut
#else
        ::raise(SIGKILL);
#endif
        return 2;
    }
    if (std::strcmp(mode, "hold") == 0 && argc == 3) {
        platform::FileLock* lock = nullptr;
        if (lockFile(argv[2], &lock) < 0)
            return 2;
        std::printf("locked\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (std::strcmp(mode, "limited") == 0 && argc == 5) {
        setUpFolders(argv[2], argv[3]);
        reg.currentPupilNo = 12;
        reg.attemptResult = 77;
#ifdef _WIN32
        return 3; // Windows has no file size limit
#else
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit { };
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(std::atoll(argv[4]));
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        appendResult();
        return programEnding() ? 1 : 0;
#endif
    }
    return 2;
}
