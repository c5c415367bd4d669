#include "results/recordfile.h"

#include "fileio/fileio.h"
#include "platform/nativepath.h"

#include <algorithm>

#include <cerrno>

namespace kanameru::recordfile {
using platform::nativePath;

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
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ECONNABORTED:
    case ECONNRESET:
    case ETIMEDOUT:
#ifdef ESTALE
    case ESTALE:
#endif
        number = kDeviceIo;
        break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
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
    // The system's reason follows in brackets, unless it only says the same again (a full disk
    // is a full disk in both); what it adds (the Windows error number) is kept.
    const QString reason = QString::fromStdString(fileio::errorText(errnoValue));
    QString description = describe(number);
    const QString said = description.chopped(1); // without its "。"
    if (!reason.startsWith(said))
        description += QStringLiteral("（") + reason + QStringLiteral("）");
    else if (reason.size() > said.size())
        description += reason.mid(said.size());
    // Another program or workstation holds the file: waiting mends it.
    return IoError { number, description, path, fileio::inUse(errnoValue) };
}

std::optional<IoError> createIfMissing(const QString& path)
{
    fileio::File created;
    const int e = created.open(nativePath(path), fileio::File::Mode::CreateNew);
    if (e == 0) {
        fileio::flushFolderOf(nativePath(path));
        return std::nullopt;
    }
    if (e != EEXIST)
        return errorFromErrno(e, path);
    // It is there; make sure it can be opened and read at all.
    fileio::File existing;
    if (const int e2 = existing.open(nativePath(path), fileio::File::Mode::Read))
        return errorFromErrno(e2, path);
    if (const int e2 = existing.checkRegular())
        return errorFromErrno(e2, path);
    return std::nullopt;
}

std::optional<IoError> appendRecord(
    const QString& path, const QByteArray& record, int recordLength, int* stage, qint64* recordNumber)
{
    const fileio::AppendOutcome out
        = fileio::appendRecord(nativePath(path), record.constData(), record.size(), recordLength);
    if (stage)
        *stage = out.stage;
    if (recordNumber && out.recordNumber > 0)
        *recordNumber = out.recordNumber;
    // Another writer holds the lock: the caller waits and tries again.
    if (out.busy && out.error == EAGAIN)
        return IoError { kPermissionDenied, describe(kPermissionDenied) + QStringLiteral("（他の端末が記録中です）"),
            path, true };
    if (out.error != 0)
        return errorFromErrno(out.error, path);
    return std::nullopt;
}

std::optional<IoError> readLastRecords(
    const QString& path, int recordLength, qint64 lastCount, RecordBlock* out, Missing missing, int* stage)
{
    int dummyStage = 0;
    int& at = stage ? *stage : dummyStage;
    // The buffer is reused from one read to the next (the statistics are rebuilt often).
    out->bytes.resize(0);
    out->firstNumber = 1;
    out->totalRecords = 0;
    at = 1;
    // One open, one look at the file, one read and one close: on a network share each is a
    // round trip. A FIFO opens without waiting and is never read.
    fileio::File file;
    if (const int e = file.open(nativePath(path), fileio::File::Mode::Read)) {
        if (e != ENOENT || missing == Missing::Fails)
            return errorFromErrno(e, path);
        if (missing == Missing::IsEmpty)
            return std::nullopt;
        // Made empty on the first start: nothing to read.
        return createIfMissing(path);
    }
    at = 2;
    std::int64_t size = 0;
    if (const int e = file.checkRegular(&size))
        return errorFromErrno(e, path);
    const qint64 total = size / recordLength;
    const qint64 first = (lastCount > 0 && total > lastCount) ? total - lastCount : 0;
    const qint64 wanted = (total - first) * recordLength;
    at = 3;
    out->bytes.resize(static_cast<qsizetype>(wanted));
    std::int64_t got = 0;
    if (wanted > 0) {
        if (const int e = file.readAt(out->bytes.data(), wanted, first * recordLength, &got))
            return errorFromErrno(e, path);
    }
    // A file cut short meanwhile: keep the complete records that were there.
    out->bytes.resize(static_cast<qsizetype>(got / recordLength * recordLength));
    out->firstNumber = first + 1;
    out->totalRecords = first + got / recordLength;
    at = 4;
    return std::nullopt;
}

std::optional<IoError> forEachBlock(const QString& path, int recordLength, qint64 blockRecords,
    const std::function<bool(const QByteArray& bytes, qint64 firstNumber)>& take, BlockRange range)
{
    if (range.totalRecords)
        *range.totalRecords = 0;
    fileio::File file;
    if (const int e = file.open(nativePath(path), fileio::File::Mode::Read))
        return e == ENOENT ? std::nullopt : std::optional<IoError>(errorFromErrno(e, path));
    std::int64_t size = 0;
    if (const int e = file.checkRegular(&size))
        return errorFromErrno(e, path);
    const qint64 total = size / recordLength;
    if (range.totalRecords)
        *range.totalRecords = total;
    qint64 start = std::max<qint64>(range.from, 0);
    if (range.lastCount > 0)
        start = std::max(start, total - range.lastCount);
    QByteArray bytes;
    for (qint64 first = start; first < total; first += blockRecords) {
        const qint64 count = std::min(blockRecords, total - first);
        bytes.resize(static_cast<qsizetype>(count * recordLength));
        std::int64_t got = 0;
        if (const int e = file.readAt(bytes.data(), bytes.size(), first * recordLength, &got))
            return errorFromErrno(e, path);
        bytes.resize(static_cast<qsizetype>(got / recordLength * recordLength));
        if (bytes.isEmpty() || !take(bytes, first + 1))
            break;
    }
    return std::nullopt;
}

qint64 completeRecords(const QString& path, int recordLength)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(nativePath(path), ec);
    return ec ? 0 : static_cast<qint64>(size / static_cast<std::uintmax_t>(recordLength));
}

} // namespace kanameru::recordfile
