#pragma once
// The file primitives the program relies on, for files that several workstations share on one
// folder: whole-file locks, appending fixed-length records, flushing to the disk, cutting a file
// back, replacing a file in one step, the single-instance lock and starting another program.
// Plain C++ without Qt, with one POSIX and one Win32 implementation behind this interface.
//
// Failures come back as errno values (0 is success). The Windows build translates its system
// errors to the nearest one: a lock held elsewhere is EAGAIN, a full disk or quota ENOSPC, a
// missing file ENOENT, a file held open without sharing ETXTBSY, a denied access EACCES, a
// device or network gone EIO; the Windows error number itself stays in errorText's message.
//
// Paths are std::filesystem::path; the Windows build hands them to the system as UTF-16, so
// Japanese folder and file names work there too.
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace fileio {

using Path = std::filesystem::path;

// The text of an error value (UTF-8), from the program's own table, so it reads the same on
// every system. On Windows the number of the Windows error it came from is added (when this
// thread's last failure was that one).
std::string errorText(int error);

// An error of the system itself (errno on POSIX systems, GetLastError() on Windows) as this
// layer reports it. Remembers a Windows error for errorText.
int errorFromSystem(unsigned long systemError);

// Another program or workstation holds the file: opened without sharing (ETXTBSY), a byte range
// or the lock taken (EAGAIN). Worth waiting for; every other error is not.
bool inUse(int error);

// Neither a regular file nor a folder: a FIFO or a device, which is never read or written.
constexpr int kNotRegularFile = ESPIPE;

// An open file, closed when the object goes. Other processes may open, read and write the same
// file at the same time; the lock below keeps writers apart.
class File {
public:
    enum class Mode {
        Read, // an existing file, for reading
        ReadCreate, // for reading, created empty when missing
        ReadWrite, // an existing file
        ReadWriteCreate, // created empty when missing
        CreateNew, // created; EEXIST when it is there already
        WriteExisting, // an existing file, for writing only; a FIFO nobody reads gives ENXIO at once
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

    // The exclusive lock of the writers: one byte far past any data (kLockOffset), on every
    // system the same, so readers, who take no lock, are never refused by it, also where locks
    // are mandatory (Windows, SMB shares). Without waiting, a lock held by another open of the
    // file (another process, or another File here) gives EAGAIN. It belongs to this open file:
    // released by unlock(), close(), or the end of the process (even a crash), and not by
    // closing some other descriptor of the same file.
    int lock(bool wait);
    void unlock();
    bool locked() const { return locked_; }

    int size(std::int64_t* length) const;
    // EISDIR for a folder, kNotRegularFile for a FIFO or a device, else 0 (and the file's
    // length in *length): one look at the file.
    int checkRegular(std::int64_t* length = nullptr) const;
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

// Where the writers' lock lies: the byte at 2^62, past anything a file of ours will hold.
constexpr std::int64_t kLockOffset = std::int64_t { 1 } << 62;

// The same lock on a file opened elsewhere (a descriptor, or a Windows HANDLE), for code that
// holds a file of its own; every lock of the program on a file excludes every other.
int lockNative(std::intptr_t handle, bool wait);
void unlockNative(std::intptr_t handle);

// The flush of File::flush(). Tests install one that fails, to see that a record not known to
// be on the disk is taken back; an empty function restores the system's. Returns the one before.
using FlushFunction = std::function<int(File& file)>;
FlushFunction setFlushForTests(FlushFunction flush);

// Reads the whole of a regular file of at most maxBytes bytes into *bytes, with one open, one
// look at its kind and size, the reads and one close. ENOENT when it is missing, EISDIR for a
// folder, kNotRegularFile for a FIFO or a device (neither waited for nor read), EFBIG when it
// holds more than maxBytes (*size then says how much). One read of the length it has when
// opened: a file that grows meanwhile is read as it was.
int readWholeFile(const Path& path, std::int64_t maxBytes, std::string* bytes, std::int64_t* size = nullptr);

// The file's final path, spelled one way whatever way it was reached (links followed, "." and
// ".." gone; on Windows the volume's own name, so a mapped drive letter and the \\server\share
// path of the same file agree, and case folded); `path` itself when it cannot be found.
Path finalPath(const Path& path);

// Whether two paths name one file, links followed: the same device and inode on POSIX systems;
// on Windows the same volume and file ID, or the same final path where the file system gives
// no ID. False when either cannot be reached.
bool sameFile(const Path& a, const Path& b);

// Whether the standard output is that file (written by a shell's ">" or ">>"); a terminal or a
// pipe is no file.
bool standardOutputIsFile(const Path& file);

// Follows the symbolic links at `path` to what they finally name, in *target (`path` itself when
// it is no link; a missing file is no link). ENOENT when a link names nothing (*target then
// says what it names), ELOOP when the links go round or too far; 0 otherwise.
int followLinks(const Path& path, Path* target);

// Whether this process may put new contents in place of the file at `path` without taking it
// from its owner: 0 when it may (also when nothing is there, or it is no regular file), EACCES
// when it may not write the file, EPERM when a replacement would give it another owner (or
// group) because only the owner's own processes could keep them.
int mayReplace(const Path& path);

// A check run before every open of File: a non-zero value fails the open with that error, as
// if the system had refused it. Tests install one to play another program holding a file (a
// sharing violation exists on Windows only); an empty function removes it. Returns the one before.
using OpenCheck = std::function<int(const Path& path, File::Mode mode)>;
OpenCheck setOpenCheckForTests(OpenCheck check);

// Makes a new file's name durable: flushes the folder that holds `path` (POSIX; on Windows the
// file system journals names itself).
void flushFolderOf(const Path& path);

// Appends a record of `length` bytes to a file of records of `recordLength` bytes: opens it
// (creating it; anything but a regular file is refused at stage 1), takes the lock without waiting, writes after the
// last complete record (the length is taken under the lock, so two writers never choose the same place, and a partial
// record left by a crash is overwritten), flushes it and unlocks. When the write or the flush
// fails the file is cut back to where it was, so the record is stored completely or not at all.
struct AppendOutcome {
    int error = 0;
    int stage = 0; // the step reached: 1 open, 2 lock, 3 length, 4 write, 5 flush, 6 done
    bool busy = false; // another writer holds the lock, or a program the file: wait and try again
    std::int64_t recordNumber = 0; // 1-based number of the record written
};
AppendOutcome appendRecord(const Path& path, const char* record, std::int64_t length, int recordLength);

// Puts new contents in place of a file in one step, so the file is always either the old or the
// new one: the bytes go to a temporary file in the same folder, which is flushed, its length
// checked, given the old file's permissions and owner and only then renamed over the old file.
// A new file gets the permissions every new file of the process gets (0666 less the umask).
// A replacement dropped before commit() removes its temporary file; one left behind by a writer
// that was killed is removed by the next replacement of the same file.
//
// What is written into rather than replaced (a device such as /dev/null or a terminal, a FIFO)
// is never replaced: the bytes are written into it directly. A FIFO that nobody reads is
// refused at once (ENXIO) instead of waited on; a folder is refused with EISDIR, and what no
// program writes a file into (a block device, a socket) with ENODEV.
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
    bool direct_ = false; // writing into the target itself
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

// Writes all bytes to the standard output in sequence (a terminal, a pipe or a file). A reader
// that went away gives EPIPE and never ends the process.
int writeStandardOutput(std::string_view bytes);

// Starts a program with one argument (UTF-8) in `workingFolder` and does not wait for it.
// Returns 0 when it started, else why not (ENOENT for a missing program).
int startProgram(const Path& program, const std::string& argument, const Path& workingFolder);

} // namespace fileio
