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
//   results_helper judgements FILE COUNT [MAX_FILE_BYTES]
//        appends COUNT judgements of three records each to an events file, the events of the
//        n-th numbered 3n-2, 3n-1, 3n; with MAX_FILE_BYTES the file may not grow beyond it,
//        and a failure is written to the standard error (exit code 1)
#include "platform/filelock.h"
#include "results/results.h"
#include "review/judgementlog.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QCoreApplication>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

using namespace kanameru;

namespace {

// The argument i as it was given: argv carries Japanese paths only as the Windows code page can.
QString argument(int i)
{
    return QCoreApplication::arguments().at(i);
}

void setUpFolders(const QString& programFolder, const QString& rosterFolder)
{
    reg.programFolder = programFolder;
    reg.rosterFolder = rosterFolder;
    reg.programFolderName = QStringLiteral("カナメル");
    reg.rosterSource = AnyValue(1);
    reg.schoolCode = QStringLiteral("12345");
    reg.currentLevel = 1;
}

// Opens path (kept open to the end of the process) and takes its lock; returns it, or nullptr.
QFile* lockFile(const QString& path)
{
    auto* file = new QFile(path);
    if (!file->open(QIODevice::ReadWrite))
        return nullptr;
    auto* lock = new platform::FileLock(file->handle());
    return lock->lock() ? file : nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const char* mode = argv[1];
    if (std::strcmp(mode, "append") == 0 && argc == 6) {
        setUpFolders(argument(2), argument(3));
        reg.currentPupilNo = static_cast<qint16>(std::atoi(argv[4]));
        const int count = std::atoi(argv[5]);
        for (int i = 1; i <= count && !programEnding(); ++i) {
            reg.attemptResult = i;
            appendResult();
        }
        return programEnding() ? 1 : 0;
    }
    if (std::strcmp(mode, "partial") == 0 && argc == 4) {
        QFile* file = lockFile(argument(2));
        if (!file)
            return 2;
        const qint64 place = file->size() / kResultRecordLength * kResultRecordLength;
        const QByteArray garbage(std::atoi(argv[3]), '\x5a');
        if (!file->seek(place) || file->write(garbage) != garbage.size() || !file->flush())
            return 2;
#ifdef _WIN32
        // No clean-up, as a power cut; the code QProcess reports as a crash (its own kill's).
        TerminateProcess(GetCurrentProcess(), 0xf291);
#else
        ::raise(SIGKILL);
#endif
        return 2;
    }
    if (std::strcmp(mode, "hold") == 0 && argc == 3) {
        if (!lockFile(argument(2)))
            return 2;
        std::printf("locked\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (std::strcmp(mode, "judgements") == 0 && (argc == 4 || argc == 5)) {
#ifndef _WIN32
        if (argc == 5) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit { };
            limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(std::atoll(argv[4]));
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
        }
#endif
        std::vector<review::JudgementRecord> judgement(3);
        for (int n = 1; n <= std::atoi(argv[3]); ++n) {
            for (int r = 0; r < 3; ++r) {
                judgement[r].recordDate = 46000.5;
                judgement[r].pupilNo = 7;
                judgement[r].level = 1;
                for (int row = 0; row < review::kRowsPerJudgement; ++row)
                    judgement[r].rows[row].event = static_cast<quint64>(3 * n - 2 + r);
            }
            if (const std::optional<QString> failed = review::appendJudgements(argument(2), judgement)) {
                std::fputs(failed->toUtf8().constData(), stderr);
                return 1;
            }
        }
        return 0;
    }
    if (std::strcmp(mode, "limited") == 0 && argc == 5) {
        setUpFolders(argument(2), argument(3));
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
