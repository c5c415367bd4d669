#pragma once
// Fixed-length record files on a possibly shared folder: appending under an exclusive lock
// with the data flushed to the disk before the lock is released, and reading the last
// complete records. Failures come back as the error numbers the results routines handle.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace kanameru::recordfile {

// Error numbers, as the retry handlers know them.
constexpr int kFileNotFound = 53; // the file or its folder is not there
constexpr int kFileAlreadyOpen = 55; // the file is held open by someone else
constexpr int kDeviceIo = 57; // the disk or the network failed
constexpr int kDiskFull = 61; // no room left (or the file may not grow)
constexpr int kPermissionDenied = 70; // locked by another writer, or no permission
constexpr int kPathFileAccess = 75; // anything else

struct IoError {
    int number = 0;
    QString description; // Japanese text for a message box, with the system's reason
    QString path;
    // Another workstation or program holds the file: its lock is taken, it is open without
    // sharing, or a share refuses a locked range. Worth waiting for. Every other error, a
    // forbidden or read-only file among them, is not.
    bool lockedByOther = false;
};

// The handler's text for an error number.
QString describe(int number);
// The error of a failed system call (errno) on a file.
IoError errorFromErrno(int errnoValue, const QString& path);

// Every routine here works on regular files only: a folder, a FIFO or a device in the file's
// place gives kPathFileAccess at once (nothing waits on a FIFO).

// Creates the file empty when it is missing; an existing file is left untouched.
std::optional<IoError> createIfMissing(const QString& path);

// Appends one record: opens (creating) the file, takes the exclusive lock without waiting
// (busy: kPermissionDenied with lockedByOther), writes the record after the last complete one (a partial record
// left by a crash is overwritten), flushes it to the disk and unlocks. When the write or the
// flush fails the file is cut back to where it was, so the record is either stored
// completely or not at all. `stage` tells the step reached (1 open, 2 lock, 3 length,
// 4 write, 5 flush, 6 done); *recordNumber receives the number of the record written.
std::optional<IoError> appendRecord(const QString& path, const QByteArray& record, int recordLength,
    int* stage = nullptr, qint64* recordNumber = nullptr);

// The last complete records of a file (all when lastCount <= 0). Takes no lock.
struct RecordBlock {
    QByteArray bytes; // whole records only
    qint64 firstNumber = 1; // record number of the first one
    qint64 totalRecords = 0; // complete records in the file
};
// What a missing file gives: an empty block, kFileNotFound, or an empty block and the file
// created empty.
enum class Missing { IsEmpty, Fails, IsCreated };
std::optional<IoError> readLastRecords(const QString& path, int recordLength, qint64 lastCount, RecordBlock* out,
    Missing missing = Missing::IsEmpty, int* stage = nullptr);

// Which records forEachBlock reads: from record `from` + 1 on (all when 0), and with
// lastCount > 0 no more than the file's last lastCount records. *totalRecords receives the
// number of complete records in the file (0 when it is missing).
struct BlockRange {
    qint64 from = 0;
    qint64 lastCount = 0;
    qint64* totalRecords = nullptr;
};

// Reads every complete record of a file block by block (at most blockRecords at a time) and
// hands each block to `take` with the number of its first record; `take` returns false to
// stop. Memory stays flat whatever the file's size. A missing file has no records.
std::optional<IoError> forEachBlock(const QString& path, int recordLength, qint64 blockRecords,
    const std::function<bool(const QByteArray& bytes, qint64 firstNumber)>& take, BlockRange range = {});

// Number of complete records; 0 for a missing file.
qint64 completeRecords(const QString& path, int recordLength);

} // namespace kanameru::recordfile
