// The parts of the file layer that are the same on every system.
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>
#include <utility>

namespace fileio {
namespace {

std::mutex flushMutex;
FlushFunction& installedFlush()
{
    static FlushFunction flush;
    return flush;
}

OpenCheck& installedOpenCheck()
{
    static OpenCheck check;
    return check;
}

} // namespace

namespace detail {

int openCheckForTests(const Path& path, File::Mode mode)
{
    OpenCheck check;
    {
        std::lock_guard<std::mutex> guard(flushMutex);
        check = installedOpenCheck();
    }
    return check ? check(path, mode) : 0;
}

Path temporaryNameBeside(const Path& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator { std::random_device {}() };
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i)
        suffix += kLetters[pick(generator)];
    Path name = target;
    name += suffix;
    return name;
}

namespace {

// A temporary file younger than this may still be on its way from its writer to its lock.
constexpr auto kStaleTemporaryAge = std::chrono::minutes(1);

bool isTemporaryNameOf(const Path::string_type& name, const Path::string_type& target)
{
    if (name.size() != target.size() + 7 || name.compare(0, target.size(), target) != 0 || name[target.size()] != '.')
        return false;
    for (size_t i = target.size() + 1; i < name.size(); ++i) {
        const auto c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

} // namespace

void removeStaleTemporaries(const Path& target)
{
    namespace fs = std::filesystem;
    std::error_code e;
    const Path folder = target.has_parent_path() ? target.parent_path() : Path(".");
    const Path::string_type base = target.filename().native();
    for (fs::directory_iterator it(folder, e), end; !e && it != end; it.increment(e)) {
        const Path& candidate = it->path();
        if (!isTemporaryNameOf(candidate.filename().native(), base))
            continue;
        std::error_code ignored;
        if (it->symlink_status(ignored).type() != fs::file_type::regular)
            continue;
        const fs::file_time_type changed = fs::last_write_time(candidate, ignored);
        if (ignored || fs::file_time_type::clock::now() - changed < kStaleTemporaryAge)
            continue;
        // A writer holds the lock on its temporary file until its rename: a lock that can be
        // taken means its writer is gone.
        File file;
        if (file.open(candidate, File::Mode::ReadWrite) != 0 || file.lock(false) != 0)
            continue;
        fs::remove(candidate, ignored);
    }
}

} // namespace detail

// The program's own texts: the C library's differ between systems (and msvcrt has none for a
// sharing violation), and a message must say the same on every workstation.
std::string errorText(int error)
{
    struct Text {
        int error;
        const char* text;
    };
    static constexpr Text kTexts[] = {
        { ENOENT, "ファイルかフォルダがありません" },
        { ENOTDIR, "パスの途中がフォルダではありません" },
        { EISDIR, "ファイルではなくフォルダです" },
        { kNotRegularFile, "普通のファイルではありません（FIFO や装置は使えません）" },
        { EACCES, "アクセスが拒否されました" },
        { EPERM, "この操作は許されていません" },
        { EROFS, "読み取り専用のディスクです" },
        { ETXTBSY, "ほかのプログラムがファイルを開いています" },
        { EAGAIN, "ほかの端末かプログラムがファイルをロックしています" },
        { ENOSPC, "ディスクの空き容量が不足しています" },
#ifdef EDQUOT
        { EDQUOT, "ディスクの使用量の上限を超えています" },
#endif
        { EFBIG, "ファイルが大きすぎます" },
        { EIO, "ディスクかネットワークの読み書きに失敗しました" },
        { EEXIST, "ファイルがすでにあります" },
        { ENAMETOOLONG, "ファイル名が長すぎます" },
        { ELOOP, "シンボリックリンクが多すぎます" },
        { EMFILE, "開いているファイルが多すぎます" },
        { ENFILE, "開いているファイルが多すぎます" },
        { ENOMEM, "メモリが足りません" },
        { ENXIO, "読む側のいない FIFO か、使えない装置です" },
        { EPIPE, "読む側が途中で閉じました" },
        { ENODEV, "装置がありません" },
#ifdef ESTALE
        { ESTALE, "共有フォルダのファイルが使えなくなりました" },
#endif
        { ENETDOWN, "ネットワークにつながりません" },
        { ENETUNREACH, "ネットワークにつながりません" },
        { EHOSTUNREACH, "ネットワークにつながりません" },
        { ECONNABORTED, "ネットワークの接続が切れました" },
        { ECONNRESET, "ネットワークの接続が切れました" },
        { ETIMEDOUT, "ネットワークの応答がありません" },
        { EINVAL, "この操作はできません" },
    };
    std::string text;
    for (const Text& t : kTexts)
        if (t.error == error) {
            text = t.text;
            break;
        }
    if (text.empty())
        text = "エラー " + std::to_string(error);
    return text + detail::systemNote(error);
}

bool inUse(int error)
{
    return error == ETXTBSY || error == EAGAIN;
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed))
    , locked_(std::exchange(other.locked_, false))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kClosed);
        locked_ = std::exchange(other.locked_, false);
    }
    return *this;
}

int File::lock(bool wait)
{
    if (locked_)
        return 0;
    const int e = lockNative(handle_, wait);
    locked_ = e == 0;
    return e;
}

void File::unlock()
{
    if (!locked_)
        return;
    unlockNative(handle_);
    locked_ = false;
}

int File::flush()
{
    FlushFunction flush;
    {
        std::lock_guard<std::mutex> guard(flushMutex);
        flush = installedFlush();
    }
    return flush ? flush(*this) : flushToDisk();
}

OpenCheck setOpenCheckForTests(OpenCheck check)
{
    std::lock_guard<std::mutex> guard(flushMutex);
    return std::exchange(installedOpenCheck(), std::move(check));
}

FlushFunction setFlushForTests(FlushFunction flush)
{
    std::lock_guard<std::mutex> guard(flushMutex);
    return std::exchange(installedFlush(), std::move(flush));
}

AppendOutcome appendRecord(const Path& path, const char* record, std::int64_t length, int recordLength)
{
    AppendOutcome out;
    out.stage = 1;
    File file;
    if ((out.error = file.open(path, File::Mode::ReadWriteCreate)) != 0) {
        // Another program holds the file open without sharing it: wait and try again.
        out.busy = inUse(out.error);
        return out;
    }
    // A FIFO or a device in the file's place is never written to.
    if ((out.error = file.checkRegular()) != 0)
        return out;

    out.stage = 2;
    if ((out.error = file.lock(false)) != 0) {
        out.busy = inUse(out.error);
        return out;
    }

    // The length is taken under the lock, so two writers never choose the same place.
    out.stage = 3;
    std::int64_t size = 0;
    if ((out.error = file.size(&size)) != 0)
        return out;
    const std::int64_t place = size / recordLength * recordLength;
    out.recordNumber = place / recordLength + 1;

    out.stage = 4;
    if ((out.error = file.writeAt(record, length, place)) != 0) {
        // Leave no half record behind: the file ends after its last complete record again.
        if (file.truncate(place) == 0)
            file.flush();
        return out;
    }

    out.stage = 5;
    if ((out.error = file.flush()) != 0) {
        // Not known to be on the disk: take it back, so a retry does not store it twice.
        if (file.truncate(place) == 0)
            file.flush();
        return out;
    }
    if (size == 0)
        flushFolderOf(path);

    out.stage = 6;
    file.unlock();
    return out;
}

Replacement::~Replacement()
{
    if (!temporary_.empty()) {
        file_.close();
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

int Replacement::begin(const Path& target)
{
    target_ = target;
    written_ = 0;
    direct_ = false;
    if (const int e = detail::openDirectTarget(target, file_, &direct_))
        return e;
    if (direct_)
        return 0;
    detail::removeStaleTemporaries(target);
    for (int tries = 0; tries < 100; ++tries) {
        const Path name = detail::temporaryNameBeside(target);
        const int e = file_.open(name, File::Mode::CreateNew);
        if (e == 0) {
            temporary_ = name;
            // Held until the rename: the next replacement leaves this file alone meanwhile.
            file_.lock(false);
            detail::restrictTemporary(file_, target);
            return 0;
        }
        if (e != EEXIST)
            return e;
    }
    return EEXIST;
}

// A short write (a full disk, a size limit) must not pass for a finished file: the written
// bytes reach the disk and the file there has every one of them.
int Replacement::flushAndCheckLength()
{
    if (const int e = file_.flushToDisk())
        return e;
    std::int64_t length = 0;
    if (const int e = file_.size(&length))
        return e;
    return length == written_ ? 0 : EIO;
}

int Replacement::write(std::string_view bytes)
{
    if (direct_)
        return detail::writeDirect(file_, bytes.data(), static_cast<std::int64_t>(bytes.size()));
    if (const int e = file_.writeAt(bytes.data(), static_cast<std::int64_t>(bytes.size()), written_))
        return e;
    written_ += static_cast<std::int64_t>(bytes.size());
    return 0;
}

int readWholeFile(const Path& path, std::int64_t maxBytes, std::string* bytes, std::int64_t* size)
{
    bytes->clear();
    File file;
    if (const int e = file.open(path, File::Mode::Read))
        return e;
    std::int64_t length = 0;
    if (const int e = file.checkRegular(&length))
        return e;
    if (size)
        *size = length;
    if (length > maxBytes)
        return EFBIG;
    // One read of the length just seen (a file that grows meanwhile is read as it was).
    bytes->resize(static_cast<size_t>(std::max<std::int64_t>(length, 0)));
    std::int64_t got = 0;
    if (const int e = file.readAt(bytes->data(), length, 0, &got))
        return e;
    bytes->resize(static_cast<size_t>(got));
    return 0;
}

int replaceFile(const Path& target, std::string_view bytes)
{
    Replacement replacement;
    if (const int e = replacement.begin(target))
        return e;
    if (const int e = replacement.write(bytes))
        return e;
    return replacement.commit();
}

} // namespace fileio
