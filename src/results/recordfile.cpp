#include "results/recordfile.h"

#include "platform/filelock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kanameru::recordfile {
namespace {

// Closes a descriptor when the routine leaves, whatever way it leaves.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

int openFile(const QString& path, int flags)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        // O_NONBLOCK: opening a FIFO must not wait for a writer (regular files ignore it).
        const int fd = ::open(name.constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

// Why an open descriptor cannot be used as a record file, or nullopt when it is a regular file.
std::optional<IoError> notARegularFile(int fd, const QString& path)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return errorFromErrno(errno, path);
    if (S_ISREG(st.st_mode))
        return std::nullopt;
    return IoError { kPathFileAccess,
        describe(kPathFileAccess)
            + (S_ISDIR(st.st_mode) ? QStringLiteral("（ファイルではなくフォルダです）")
                                   : QStringLiteral("（普通のファイルではありません。FIFO や装置は使えません）")),
        path };
}

bool writeAll(int fd, const char* data, qint64 size, off_t at)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, static_cast<size_t>(size), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
        at += n;
    }
    return true;
}

// Reads up to size bytes; returns the bytes read (less only at the end of the file) or -1.
qint64 readAll(int fd, char* data, qint64 size, off_t at)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, static_cast<size_t>(size - done), at + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool flushToDisk(int fd)
{
    for (;;) {
        if (::fsync(fd) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

// A new file's name must reach the disk too, or a power cut could lose the whole file.
void flushFolder(const QString& path)
{
    const int fd = openFile(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString describe(int number)
{
    switch (number) {
    case kFileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case kFileAlreadyOpen:
        return QStringLiteral("ファイルは既に開かれています。");
    case kDeviceIo:
        return QStringLiteral("デバイス I/O エラーです。");
    case kDiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case kPermissionDenied:
        return QStringLiteral("書き込みできません。");
    default:
        return QStringLiteral("パス/ファイル アクセス エラーです。");
    }
}

IoError errorFromErrno(int errnoValue, const QString& path)
{
    int number = kPathFileAccess;
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        number = kFileNotFound;
        break;
    case ETXTBSY:
        number = kFileAlreadyOpen;
        break;
    case EIO:
        number = kDeviceIo;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        number = kDiskFull;
        break;
    case EACCES:
    case EPERM:
    case EAGAIN:
    case EROFS:
        number = kPermissionDenied;
        break;
    default:
        break;
    }
    const QString reason = errnoValue == EISDIR ? QStringLiteral("ファイルではなくフォルダです")
                                                : QString::fromLocal8Bit(std::strerror(errnoValue));
    return IoError { number, describe(number) + QStringLiteral("（") + reason + QStringLiteral("）"), path };
}

std::optional<IoError> createIfMissing(const QString& path)
{
    Descriptor fd(openFile(path, O_RDWR | O_CREAT | O_EXCL));
    if (fd.ok()) {
        flushFolder(path);
        return std::nullopt;
    }
    if (errno != EEXIST)
        return errorFromErrno(errno, path);
    // It is there; make sure it can be opened at all.
    Descriptor existing(openFile(path, O_RDONLY));
    if (!existing.ok())
        return errorFromErrno(errno, path);
    return notARegularFile(existing.get(), path);
}

std::optional<IoError> appendRecord(
    const QString& path, const QByteArray& record, int recordLength, int* stage, qint64* recordNumber)
{
    int dummyStage = 0;
    int& at = stage ? *stage : dummyStage;
    at = 1;
    Descriptor fd(openFile(path, O_RDWR | O_CREAT));
    if (!fd.ok())
        return errorFromErrno(errno, path);
    if (auto e = notARegularFile(fd.get(), path))
        return e;

    at = 2;
    platform::FileLock lock(fd.get());
    if (!lock.tryLock()) {
        const int e = errno;
        // Another writer holds it: the caller waits and tries again.
        if (e == EAGAIN || e == EACCES || e == 0)
            return IoError { kPermissionDenied,
                describe(kPermissionDenied) + QStringLiteral("（他の端末が記録中です）"), path, true };
        return errorFromErrno(e, path);
    }

    // The length is taken under the lock, so two writers never choose the same place.
    at = 3;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return errorFromErrno(errno, path);
    const off_t place = (st.st_size / recordLength) * recordLength;
    if (recordNumber)
        *recordNumber = place / recordLength + 1;

    at = 4;
    if (!writeAll(fd.get(), record.constData(), record.size(), place)) {
        const int e = errno;
        // Leave no half record behind: the file ends after its last complete record again.
        if (::ftruncate(fd.get(), place) == 0)
            flushToDisk(fd.get());
        return errorFromErrno(e, path);
    }

    at = 5;
    if (!flushToDisk(fd.get())) {
        const int e = errno;
        // Not known to be on the disk: take it back, so a retry does not store it twice.
        if (::ftruncate(fd.get(), place) == 0)
            flushToDisk(fd.get());
        return errorFromErrno(e, path);
    }
    if (st.st_size == 0)
        flushFolder(path);

    at = 6;
    lock.unlock();
    return std::nullopt;
}

std::optional<IoError> readLastRecords(
    const QString& path, int recordLength, qint64 lastCount, RecordBlock* out, bool missingIsEmpty, int* stage)
{
    int dummyStage = 0;
    int& at = stage ? *stage : dummyStage;
    // The buffer is reused from one read to the next (the statistics are rebuilt often).
    out->bytes.resize(0);
    out->firstNumber = 1;
    out->totalRecords = 0;
    at = 1;
    Descriptor fd(openFile(path, O_RDONLY));
    if (!fd.ok()) {
        if (errno == ENOENT && missingIsEmpty)
            return std::nullopt;
        return errorFromErrno(errno, path);
    }
    at = 2;
    if (auto e = notARegularFile(fd.get(), path))
        return e;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return errorFromErrno(errno, path);
    const qint64 total = st.st_size / recordLength;
    const qint64 first = (lastCount > 0 && total > lastCount) ? total - lastCount : 0;
    const qint64 wanted = (total - first) * recordLength;
    at = 3;
    out->bytes.resize(static_cast<qsizetype>(wanted));
    const qint64 got = readAll(fd.get(), out->bytes.data(), wanted, static_cast<off_t>(first * recordLength));
    if (got < 0)
        return errorFromErrno(errno, path);
    // A file cut short meanwhile: keep the complete records that were there.
    out->bytes.resize(static_cast<qsizetype>(got / recordLength * recordLength));
    out->firstNumber = first + 1;
    out->totalRecords = first + got / recordLength;
    at = 4;
    return std::nullopt;
}

qint64 completeRecords(const QString& path, int recordLength)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_size / recordLength;
}

} // namespace kanameru::recordfile
