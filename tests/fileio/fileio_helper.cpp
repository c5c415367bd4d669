// "Another workstation" or "another instance" for the file layer's tests:
//   append PATH WRITER COUNT        appends COUNT records, waiting while another writer holds
//                                   the lock: 0, or 1 on a failure
//   partial PATH WRITER SEQ BYTES   takes the lock, writes BYTES of a record and dies
//   replace-die TARGET              writes a replacement completely and dies before the rename
//   trylock PATH                    0 when it got the lock, 3 when another holds it
//   instance LOCKFILE READY         takes the instance lock (3: refused, 4: unavailable),
//                                   creates READY and waits to be killed
//   hold PATH SHARING READY         opens PATH as another program does (Windows: sharing
//                                   "none" or "read"; POSIX: plainly), creates READY and waits
//                                   to be killed
//   probe PATH OUT                  while another process holds the writers' lock: reads PATH
//                                   and writes to OUT the bytes read, and where the lock lies
//   ARGUMENT (alone)                started by startProgram: writes ARGUMENT to launched.txt
//                                   in its working folder (and on Windows the whole command
//                                   line to commandline.txt)
#include "child.h"
#include "fileio/fileio.h"
#include "records.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace fileio_test;

namespace {

int append(const fileio::Path& path, int writer, int count)
{
    for (int i = 1; i <= count; ++i) {
        const std::string r = makeRecord(writer, i);
        for (;;) {
            const fileio::AppendOutcome out = fileio::appendRecord(path, r.data(), kRecordLength, kRecordLength);
            if (out.error == 0)
                break;
            if (!out.busy)
                return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return 0;
}

int partial(const fileio::Path& path, int writer, int sequence, int bytes)
{
    fileio::File file;
    std::int64_t size = 0;
    if (file.open(path, fileio::File::Mode::ReadWrite) || file.lock(true) || file.size(&size))
        return 1;
    const std::string r = makeRecord(writer, sequence);
    if (file.writeAt(r.data(), bytes, size / kRecordLength * kRecordLength) || file.flushToDisk())
        return 1;
    dieNow();
}

int replaceAndDie(const fileio::Path& target)
{
    fileio::Replacement replacement;
    if (replacement.begin(target) || replacement.write(std::string(5000, 'n')))
        return 1;
    dieNow();
}

int instance(const fileio::Path& lockFile, const fileio::Path& ready)
{
    fileio::InstanceLock lock;
    switch (lock.acquire(lockFile)) {
    case fileio::InstanceLock::Outcome::HeldElsewhere:
        return 3;
    case fileio::InstanceLock::Outcome::Unavailable:
        return 4;
    case fileio::InstanceLock::Outcome::Acquired:
        break;
    }
    fileio::replaceFile(ready, "held");
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

// Holds a file open as a backup tool or a teacher's spreadsheet does.
[[noreturn]] int hold(const fileio::Path& path, const std::string& sharing, const fileio::Path& ready)
{
#ifdef _WIN32
    const DWORD share = sharing == "read" ? FILE_SHARE_READ : 0;
    const HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        std::exit(1);
#else
    (void)sharing;
    if (::open(path.c_str(), O_RDONLY) < 0)
        std::exit(1);
#endif
    fileio::replaceFile(ready, "held");
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

// What another workstation sees of the writers' lock: "read N" (the bytes it read without a
// lock), then where a conflicting lock lies: "lock START LENGTH" (POSIX, from F_OFD_GETLK), or
// on Windows whether the first byte and the byte at kLockOffset could be locked ("free"/"taken").
int probe(const fileio::Path& path, const fileio::Path& out)
{
    std::string bytes;
    const int e = fileio::readWholeFile(path, 1 << 20, &bytes);
    std::string report = "read " + (e ? "error " + std::to_string(e) : std::to_string(bytes.size())) + "\n";
#ifdef _WIN32
    const HANDLE f = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    for (std::int64_t at : { std::int64_t { 0 }, fileio::kLockOffset }) {
        OVERLAPPED ov {};
        ov.Offset = static_cast<DWORD>(at & 0xffffffff);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        const bool got = LockFileEx(f, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov);
        if (got)
            UnlockFileEx(f, 0, 1, 0, &ov);
        report += "byte " + std::to_string(at) + (got ? " free\n" : " taken\n");
    }
    CloseHandle(f);
#else
    const int f = ::open(path.c_str(), O_RDWR);
    struct flock fl { };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (f < 0 || ::fcntl(f, F_OFD_GETLK, &fl) != 0)
        report += "lock unknown\n";
    else if (fl.l_type == F_UNLCK)
        report += "lock none\n";
    else
        report += "lock " + std::to_string(fl.l_start) + " " + std::to_string(fl.l_len) + "\n";
#endif
    return fileio::replaceFile(out, report) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> a = arguments(argc, argv);
    if (a.size() == 2) {
#ifdef _WIN32
        fileio::replaceFile("commandline.txt", toUtf8(std::filesystem::path(GetCommandLineW())));
#endif
        return fileio::replaceFile("launched.txt", a[1]) == 0 ? 0 : 1;
    }
    if (a.size() < 3)
        return 2;
    const std::string& mode = a[1];
    const fileio::Path path = fromUtf8(a[2]);
    auto number = [&](size_t i) { return i < a.size() ? std::atoi(a[i].c_str()) : 0; };
    if (mode == "append")
        return append(path, number(3), number(4));
    if (mode == "partial")
        return partial(path, number(3), number(4), number(5));
    if (mode == "replace-die")
        return replaceAndDie(path);
    if (mode == "trylock") {
        fileio::File file;
        if (file.open(path, fileio::File::Mode::ReadWrite))
            return 2;
        return file.lock(false) == 0 ? 0 : 3;
    }
    if (mode == "hold" && a.size() == 5)
        hold(path, a[3], fromUtf8(a[4]));
    if (mode == "probe" && a.size() == 4)
        return probe(path, fromUtf8(a[3]));
    if (mode == "instance" && a.size() == 4)
        return instance(path, fromUtf8(a[3]));
    return 2;
}
