// The file layer on Windows: LockFileEx, WriteFile at an offset, FlushFileBuffers, SetEndOfFile,
// MoveFileExW. Every path goes to the system as UTF-16.
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace fileio {
namespace {

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
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
        return ETXTBSY;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        return EAGAIN;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_SEM_TIMEOUT:
        return EIO;
    default:
        return EINVAL;
    }
}

int lastError()
{
    return errnoFrom(GetLastError());
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
// process. The lock therefore covers one byte far past any data a file of ours will hold, so it
// keeps writers apart as the POSIX advisory lock does, while readers (who take no lock) read on.
// Every build of the program locks the same byte, also across an SMB share.
constexpr std::int64_t kLockOffset = std::int64_t { 1 } << 62;

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument of a command line, quoted as the C runtime's parser reads it back.
void appendQuoted(std::wstring& line, const std::wstring& arg)
{
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

} // namespace

int File::open(const Path& path, Mode mode)
{
    close();
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case Mode::Read:
        access = GENERIC_READ;
        break;
    case Mode::ReadWrite:
        break;
    case Mode::ReadWriteCreate:
        disposition = OPEN_ALWAYS;
        break;
    case Mode::CreateNew:
        disposition = CREATE_NEW;
        break;
    }
    // Shared for everything, also for renaming over it: other workstations read and append
    // at the same time, and a replacement must not fail because a reader has the file open.
    const HANDLE f = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return lastError();
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

int File::kind(Kind* kind) const
{
    if (GetFileType(h(handle_)) != FILE_TYPE_DISK) {
        *kind = Kind::Other; // a pipe, a console, a device
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(h(handle_), &info))
        return lastError();
    *kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::RegularFile;
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
        if (n == 0)
            return EIO;
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

// MoveFileExW rather than ReplaceFileW: ReplaceFileW fails when there is no old file yet, and
// some of its failures leave the names in between. The move is one rename on NTFS and on SMB
// shares, and MOVEFILE_WRITE_THROUGH returns only when it is on the disk.
int Replacement::commit()
{
    if (const int e = flushAndCheckLength())
        return e;
    file_.close();
    // A reader that opened the old file without delete sharing, or a virus scanner, holds it
    // for a moment: try again for about a second.
    for (int tries = 0;; ++tries) {
        if (MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        const DWORD e = GetLastError();
        if (tries >= 20 || (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED))
            return errnoFrom(e);
        Sleep(50);
    }
    temporary_.clear();
    return 0;
}

// A file opened without sharing, rather than a named mutex: the system closes it when the
// process ends, however it ends; it is the same lock file, keyed the same way, as on POSIX
// systems (one per user and executable); and a named mutex would be per log-on session.
InstanceLock::Outcome InstanceLock::acquire(const Path& lockFile)
{
    if (held())
        return Outcome::Acquired;
    const HANDLE f = CreateFileW(
        lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Outcome::HeldElsewhere : Outcome::Unavailable;
    handle_ = reinterpret_cast<std::intptr_t>(f);
    return Outcome::Acquired;
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
