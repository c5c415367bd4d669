// "Another workstation" or "another instance" for the file layer's tests:
//   append PATH WRITER COUNT        appends COUNT records, waiting while another writer holds
//                                   the lock: 0, or 1 on a failure
//   partial PATH WRITER SEQ BYTES   takes the lock, writes BYTES of a record and dies
//   replace-die TARGET              writes a replacement completely and dies before the rename
//   trylock PATH                    0 when it got the lock, 3 when another holds it
//   instance LOCKFILE READY         takes the instance lock (3: refused, 4: unavailable),
//                                   creates READY and waits to be killed
//   ARGUMENT (alone)                started by startProgram: writes ARGUMENT to launched.txt
//                                   in its working folder
#include "child.h"
#include "fileio/fileio.h"
#include "records.h"

#include <chrono>
#include <cstdlib>
#include <thread>

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

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> a = arguments(argc, argv);
    if (a.size() == 2)
        return fileio::replaceFile("launched.txt", a[1]) == 0 ? 0 : 1;
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
    if (mode == "instance" && a.size() == 4)
        return instance(path, fromUtf8(a[3]));
    return 2;
}
