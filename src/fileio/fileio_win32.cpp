// The file layer on Windows: LockFileEx, WriteFile at an offset, FlushFileBuffers, SetEndOfFile,
// MoveFileExW. Every path goes to the system as UTF-16.
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <windows.h>

#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace fileio {
namespace {

// The Windows error behind this thread's last failure, for errorText.
thread_local DWORD lastWindowsError = 0;

int errnoFrom(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_DELETE_PENDING:
        return ETXTBSY;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        return EAGAIN;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_QUOTA_EXCEEDED:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    // The reader of a pipe went away.
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    // The disk, the device or the network went away or failed.
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_CONNECTION_ABORTED:
    case ERROR_CONNECTION_REFUSED:
    case ERROR_REM_NOT_LIST:
    case ERROR_NETWORK_BUSY:
    case ERROR_SEM_TIMEOUT:
        return EIO;
    default:
        return EINVAL;
    }
}

// STATUS_DELETE_PENDING: the file was deleted while another process holds it open, which
// Windows reports as a denied access. That one goes away by waiting.
bool deletePending()
{
    using GetStatus = LONG(WINAPI*)();
    static const GetStatus getStatus = reinterpret_cast<GetStatus>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetLastNtStatus")));
    return getStatus && static_cast<ULONG>(getStatus()) == 0xC0000056UL;
}

int lastError()
{
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && deletePending())
        error = ERROR_DELETE_PENDING;
    return errorFromSystem(error);
}

HANDLE h(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED at(std::int64_t offset)
{
    OVERLAPPED ov {};
    ov.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xffffffffu);
    ov.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return ov;
}

// Windows locks are mandatory: a locked range can be neither read nor written by another
// process. The lock therefore covers one byte far past any data a file of ours will hold
// (kLockOffset), so it keeps writers apart while readers (who take no lock) read on. Every build
// of the program locks the same byte, also across an SMB share.

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument of a command line as the C runtime's parser reads it back: as it is when it
// needs no quotes (the launcher gets 001, as it always has), else quoted.
void appendQuoted(std::wstring& line, const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// Writes all bytes in pieces WriteFile takes (its count is 32 bits); 0 or an errno value.
int writeWhole(HANDLE handle, const char* data, std::int64_t length)
{
    while (length > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(length, 1 << 30));
        DWORD n = 0;
        if (!WriteFile(handle, data, chunk, &n, nullptr))
            return lastError();
        if (n == 0)
            return EIO;
        data += n;
        length -= n;
    }
    return 0;
}


} // namespace

namespace detail {
std::string systemNote(int error)
{
    if (lastWindowsError == 0 || errnoFrom(lastWindowsError) != error)
        return {};
    return "（Windows のエラー " + std::to_string(lastWindowsError) + "）";
}
} // namespace detail

int errorFromSystem(unsigned long systemError)
{
    lastWindowsError = static_cast<DWORD>(systemError);
    return errnoFrom(lastWindowsError);
}

namespace {
// Windows says "path not found" also when a part of the path is a file; that is named as such,
// as on Linux, so a teacher looks for the file in the way rather than a missing folder.
int pathNotFound(const std::wstring& path)
{
    std::wstring up = path;
    for (size_t cut; (cut = up.find_last_of(L"\\/")) != std::wstring::npos && cut > 0;) {
        up.resize(cut);
        const DWORD attributes = GetFileAttributesW(up.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return errorFromSystem((attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY);
    }
    return errorFromSystem(ERROR_PATH_NOT_FOUND);
}
} // namespace

int File::open(const Path& path, Mode mode)
{
    close();
    if (const int e = detail::openCheckForTests(path, mode))
        return e;
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    switch (mode) {
    case Mode::Read:
        access = GENERIC_READ;
        // A folder opens too, so that checkRegular() can name it.
        flags |= FILE_FLAG_BACKUP_SEMANTICS;
        break;
    case Mode::ReadCreate:
        access = GENERIC_READ;
        disposition = OPEN_ALWAYS;
        break;
    case Mode::ReadWrite:
        break;
    case Mode::ReadWriteCreate:
        disposition = OPEN_ALWAYS;
        break;
    case Mode::CreateNew:
        disposition = CREATE_NEW;
        break;
    case Mode::WriteExisting:
        access = GENERIC_WRITE;
        break;
    }
    // Shared for everything, also for renaming over it: other workstations read and append
    // at the same time, and a replacement must not fail because a reader has the file open.
    const HANDLE f = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        disposition, flags, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_PATH_NOT_FOUND)
            return pathNotFound(path.native());
        const int e = lastError();
        // A folder cannot be opened for writing: named as a folder, as on Linux.
        if (e == EACCES) {
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return EISDIR;
        }
        return e;
    }
    handle_ = reinterpret_cast<std::intptr_t>(f);
    return 0;
}

void File::close()
{
    if (handle_ == kClosed)
        return;
    unlock();
    CloseHandle(h(handle_));
    handle_ = kClosed;
}

int lockNative(std::intptr_t handle, bool wait)
{
    OVERLAPPED ov = at(kLockOffset);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(h(handle), flags, 0, 1, 0, &ov) ? 0 : lastError();
}

void unlockNative(std::intptr_t handle)
{
    OVERLAPPED ov = at(kLockOffset);
    UnlockFileEx(h(handle), 0, 1, 0, &ov);
}

int File::size(std::int64_t* length) const
{
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(h(handle_), &size))
        return lastError();
    *length = size.QuadPart;
    return 0;
}

int File::checkRegular(std::int64_t* length) const
{
    if (GetFileType(h(handle_)) != FILE_TYPE_DISK)
        return kNotRegularFile;
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(h(handle_), &info))
        return lastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return EISDIR;
    if (length)
        *length = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    return 0;
}

int File::readAt(char* data, std::int64_t length, std::int64_t offset, std::int64_t* got) const
{
    std::int64_t done = 0;
    while (done < length) {
        OVERLAPPED ov = at(offset + done);
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(length - done, 1 << 30));
        DWORD n = 0;
        if (!ReadFile(h(handle_), data + done, chunk, &n, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return lastError();
        }
        if (n == 0)
            break;
        done += n;
    }
    *got = done;
    return 0;
}

int File::writeAt(const char* data, std::int64_t length, std::int64_t offset)
{
    while (length > 0) {
        OVERLAPPED ov = at(offset);
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(length, 1 << 30));
        DWORD n = 0;
        if (!WriteFile(h(handle_), data, chunk, &n, &ov))
            return lastError();
        if (n == 0) {
            lastWindowsError = 0;
            return EIO;
        }
        data += n;
        length -= n;
        offset += n;
    }
    return 0;
}

int File::truncate(std::int64_t length)
{
    LARGE_INTEGER to {};
    to.QuadPart = length;
    if (!SetFilePointerEx(h(handle_), to, nullptr, FILE_BEGIN) || !SetEndOfFile(h(handle_)))
        return lastError();
    return 0;
}

int File::flushToDisk()
{
    return FlushFileBuffers(h(handle_)) ? 0 : lastError();
}

void flushFolderOf(const Path&) { }

namespace detail {

int openDirectTarget(const Path& target, File& file, bool* direct)
{
    *direct = false;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return EISDIR;
    // A device (NUL, CON, a port) or a pipe is known by its open handle; a disk file, or
    // whatever cannot be opened now, is left to the replacement.
    if (file.open(target, File::Mode::WriteExisting) != 0)
        return 0;
    switch (GetFileType(h(file.nativeHandle()))) {
    case FILE_TYPE_CHAR:
    case FILE_TYPE_PIPE:
        *direct = true;
        return 0;
    case FILE_TYPE_DISK:
        file.close();
        return 0;
    default:
        file.close();
        return ENODEV;
    }
}

int writeDirect(File& file, const char* data, std::int64_t length)
{
    return writeWhole(h(file.nativeHandle()), data, length);
}

// The temporary file inherits the folder's access rules, as the file it replaces had them.
void restrictTemporary(File&, const Path&) { }

} // namespace detail

constexpr int kReplaceTries = 100;
constexpr DWORD kReplaceWaitMs = 50;

// MoveFileExW rather than ReplaceFileW: ReplaceFileW fails when there is no old file yet, and
// some of its failures leave the names in between. The move is one rename on NTFS and on SMB
// shares, and MOVEFILE_WRITE_THROUGH returns only when it is on the disk.
int Replacement::commit()
{
    if (direct_) {
        file_.close();
        direct_ = false;
        return 0;
    }
    if (const int e = flushAndCheckLength())
        return e;
    file_.close();
    // A reader that opened the old file without delete sharing (a teacher's editor, a backup
    // or a virus scanner) holds it: try again for a few seconds. Held for longer, the old file
    // stays as it was and the caller is told that another program has it open.
    for (int tries = 0;; ++tries) {
        if (MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        const DWORD e = GetLastError();
        const bool held = e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION
            || (e == ERROR_ACCESS_DENIED && !(GetFileAttributesW(target_.c_str()) & FILE_ATTRIBUTE_READONLY));
        if (!held)
            return errorFromSystem(e);
        if (tries >= kReplaceTries)
            return errorFromSystem(ERROR_SHARING_VIOLATION);
        Sleep(kReplaceWaitMs);
    }
    temporary_.clear();
    return 0;
}

// The writers' lock on a lock file rather than a named mutex: the system releases it when the
// process ends, however it ends; it is the same lock, on the same byte, as on POSIX systems;
// and a named mutex would be per log-on session. The file is opened sharing everything, so
// another program that merely has it open (a virus scanner, a backup) refuses nothing: only
// the lock does.
InstanceLock::Outcome InstanceLock::acquire(const Path& lockFile)
{
    if (held())
        return Outcome::Acquired;
    const HANDLE f = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return Outcome::Unavailable;
    if (const int e = lockNative(reinterpret_cast<std::intptr_t>(f), false)) {
        CloseHandle(f);
        return e == EAGAIN ? Outcome::HeldElsewhere : Outcome::Unavailable;
    }
    handle_ = reinterpret_cast<std::intptr_t>(f);
    return Outcome::Acquired;
}

namespace {
// The final path of an open file, as the system spells it; empty when it cannot say.
std::wstring finalName(HANDLE f)
{
    std::wstring name(1024, L'\0');
    DWORD n = GetFinalPathNameByHandleW(f, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    if (n >= name.size()) {
        name.resize(n + 1);
        n = GetFinalPathNameByHandleW(f, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    }
    name.resize(n > 0 && n < name.size() ? n : 0);
    return name;
}
} // namespace

Path finalPath(const Path& path)
{
    const HANDLE f = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return path;
    std::wstring name = finalName(f);
    CloseHandle(f);
    if (name.empty())
        return path;
    // Names differ only in case on Windows: one spelling for one file.
    CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return Path(name);
}

namespace {

// What identifies an open file on its volume, and the volume.
struct FileId {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool known() const { return high != 0 || low != 0; }
    bool operator==(const FileId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool idOf(HANDLE f, FileId* id)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(f, &info))
        return false;
    *id = FileId { info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow };
    return true;
}

HANDLE openForLooking(const Path& path)
{
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

// The file ID where the file system has one; a share that gives none (0) is compared by the
// final paths of the two files instead.
bool sameFile(const Path& a, const Path& b)
{
    const HANDLE fa = openForLooking(a);
    if (fa == INVALID_HANDLE_VALUE)
        return false;
    const HANDLE fb = openForLooking(b);
    if (fb == INVALID_HANDLE_VALUE) {
        CloseHandle(fa);
        return false;
    }
    FileId ia, ib;
    const bool ids = idOf(fa, &ia) && idOf(fb, &ib) && ia.known() && ib.known();
    CloseHandle(fa);
    CloseHandle(fb);
    if (ids)
        return ia == ib;
    return finalPath(a) == finalPath(b);
}

bool standardOutputIsFile(const Path& file)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == INVALID_HANDLE_VALUE || out == nullptr || GetFileType(out) != FILE_TYPE_DISK)
        return false;
    const HANDLE f = openForLooking(file);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    FileId io, ifile;
    const bool same = idOf(out, &io) && idOf(f, &ifile) && io.known() && io == ifile;
    CloseHandle(f);
    return same;
}

// A symbolic link is a reparse point that an open follows: an open that finds nothing at its
// end is a link that names nothing, and one that cannot resolve its names goes round.
int followLinks(const Path& path, Path* target)
{
    *target = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;
    const HANDLE f = openForLooking(path);
    if (f == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_CANT_RESOLVE_FILENAME)
            return ELOOP;
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT : 0;
    }
    const std::wstring name = finalName(f);
    CloseHandle(f);
    if (!name.empty())
        *target = Path(name);
    return 0;
}

// The owner is not checked here: a replacement on Windows gets the access rules of its folder,
// as every new file there does.
int mayReplace(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return EACCES;
    const HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED && !deletePending() ? EACCES : 0;
    CloseHandle(f);
    return 0;
}

int writeStandardOutput(std::string_view bytes)
{
    std::fflush(stdout);
    return writeWhole(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void InstanceLock::release()
{
    if (held()) {
        CloseHandle(h(handle_));
        handle_ = -1;
    }
}

InstanceLock::~InstanceLock()
{
    release();
}

int startProgram(const Path& program, const std::string& argument, const Path& workingFolder)
{
    std::wstring line;
    appendQuoted(line, program.wstring());
    line += L' ';
    appendQuoted(line, wide(argument));
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
            workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process))
        return lastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

} // namespace fileio
