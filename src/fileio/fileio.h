#pragma once
// The file primitives the program relies on, for files that several workstations share on one
// folder: whole-file locks, appending fixed-length records, flushing to the disk, cutting a file
// back, replacing a file in one step, the single-instance lock and starting another program.
// Plain C++ without Qt, with one POSIX and one Win32 implementation behind this interface.
//
// Failures come back as errno values (0 is success). The Windows build translates its system
// errors to the nearest one: a lock held elsewhere is EAGAIN, a full disk ENOSPC, a missing file
// ENOENT, a file held open without sharing ETXTBSY, a denied access EACCES.
//
// Paths are std::filesystem::path; the Windows build hands them to the system as UTF-16, so
// Japanese folder and file names work there too.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace fileio {

using Path = std::filesystem::path;

// The system's text for an error value.
std::string errorText(int error);

// An open file, closed when the object goes. Other processes may open, read and write the same
// file at the same time; the lock below keeps writers apart.
class File {
public:
    enum class Mode {
        Read, // an existing file, for reading
        ReadWrite, // an existing file
        ReadWriteCreate, // created empty when missing
        CreateNew, // created; EEXIST when it is there already
    };

    File() = default;
    ~File() { close(); }
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    int open(const Path& path, Mode mode);
    bool isOpen() const { return handle_ != kClosed; }
    void close();

    // An exclusive lock on the whole file, however long it grows. Without waiting, a lock held
    // by another process gives EAGAIN. Released by unlock(), close(), or the end of the process
    // (even a crash), also on NFS and SMB shares.
    int lock(bool wait);
    void unlock();
    bool locked() const { return locked_; }

    int size(std::int64_t* length) const;
    // What the open path is: only a regular file may be read whole (a FIFO would block the
    // program and a device could be read for ever).
    enum class Kind { RegularFile, Folder, Other };
    int kind(Kind* kind) const;
    // Reads up to `length` bytes at `at`; *got is less only at the end of the file.
    int readAt(char* data, std::int64_t length, std::int64_t at, std::int64_t* got) const;
    // Writes all bytes at `at`, or fails.
    int writeAt(const char* data, std::int64_t length, std::int64_t at);
    // Cuts the file back (or extends it) to `length` bytes.
    int truncate(std::int64_t length);
    // Puts the written data on the disk (fsync / FlushFileBuffers), through the seam below.
    int flush();
    // The system's flush itself, which a test's flush may call.
    int flushToDisk();

    // The system's handle: a file descriptor, or a Windows HANDLE.
    std::intptr_t nativeHandle() const { return handle_; }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    bool locked_ = false;
};

// The same lock on a file opened elsewhere (a descriptor, or a Windows HANDLE), for code that
// holds a file of its own; every lock of the program on a file excludes every other.
int lockNative(std::intptr_t handle, bool wait);
void unlockNative(std::intptr_t handle);

// The flush of File::flush(). Tests install one that fails, to see that a record not known to
// be on the disk is taken back; an empty function restores the system's. Returns the one before.
using FlushFunction = std::function<int(File& file)>;
FlushFunction setFlushForTests(FlushFunction flush);

// Makes a new file's name durable: flushes the folder that holds `path` (POSIX; on Windows the
// file system journals names itself).
void flushFolderOf(const Path& path);

// Appends a record of `length` bytes to a file of records of `recordLength` bytes: opens it
// (creating it), takes the lock without waiting, writes after the last complete record (the
// length is taken under the lock, so two writers never choose the same place, and a partial
// record left by a crash is overwritten), flushes it and unlocks. When the write or the flush
// fails the file is cut back to where it was, so the record is stored completely or not at all.
struct AppendOutcome {
    int error = 0;
    int stage = 0; // the step reached: 1 open, 2 lock, 3 length, 4 write, 5 flush, 6 done
    bool busy = false; // another writer holds the lock: wait and try again
    std::int64_t recordNumber = 0; // 1-based number of the record written
};
AppendOutcome appendRecord(const Path& path, const char* record, std::int64_t length, int recordLength);

// Puts new contents in place of a file in one step, so the file is always either the old or the
// new one: the bytes go to a temporary file in the same folder, which is flushed, its length
// checked, given the old file's permissions and only then renamed over the old file. A
// replacement dropped before commit() removes its temporary file (a crash may leave it behind,
// with the old file whole).
class Replacement {
public:
    Replacement() = default;
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    int begin(const Path& target);
    int write(std::string_view bytes);
    int commit();
    const Path& temporaryPath() const { return temporary_; }

private:
    int flushAndCheckLength();

    Path target_;
    Path temporary_;
    File file_;
    std::int64_t written_ = 0;
};
int replaceFile(const Path& target, std::string_view bytes);

// One running instance: a lock on a file that the system releases when the process ends, even
// by a crash.
class InstanceLock {
public:
    enum class Outcome {
        Acquired, // this process holds it now
        HeldElsewhere, // another running process holds it
        Unavailable, // no lock file could be made; nothing is known
    };
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome acquire(const Path& lockFile);
    bool held() const { return handle_ != -1; }
    void release();

private:
    std::intptr_t handle_ = -1;
};

// Starts a program with one argument (UTF-8) in `workingFolder` and does not wait for it.
// Returns 0 when it started, else why not (ENOENT for a missing program).
int startProgram(const Path& program, const std::string& argument, const Path& workingFolder);

} // namespace fileio
