#include "review/eventhistory.h"

#include "results/recordfile.h"
#include "startup/hensuu1.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace kanameru::review {

namespace {

FileError damagedRecord(const QString& path, qint64 number)
{
    return FileError { path, 0,
        QStringLiteral("%1 件目の記録が壊れています。このファイルの記録では復習できません").arg(number) };
}

FileError readError(const recordfile::IoError& e)
{
    return FileError { e.path, 0, e.description };
}

} // namespace

std::optional<FileError> forEachJudgement(
    const QString& path, qint64 window, const std::function<void(const JudgementRecord& record, qint64 number)>& take)
{
    std::optional<FileError> damaged;
    const auto failed = recordfile::forEachBlock(path, kEventRecordLength, kHistoryBlock,
        [&](const QByteArray& bytes, qint64 first) {
            const qsizetype n = bytes.size() / kEventRecordLength;
            for (qsizetype i = 0; i < n; ++i) {
                const std::optional<JudgementRecord> r
                    = JudgementRecord::fromBytes(bytes.constData() + i * kEventRecordLength);
                if (!r) {
                    damaged = damagedRecord(path, first + i);
                    return false;
                }
                take(*r, first + i);
            }
            return true;
        },
        { 0, window, nullptr });
    if (failed)
        return readError(*failed);
    return damaged;
}

std::optional<FileError> EventHistory::update(const QString& path, const std::vector<int>& pupils)
{
    std::vector<int> wanted;
    for (int p : pupils)
        if (p >= 1 && p <= kMaxPupil)
            wanted.push_back(p);
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    if (path == path_ && wanted == pupils_ && next_ > 0) {
        if (std::optional<FileError> e = read(path, next_ - 1, true))
            return e;
        if (next_ >= 0)
            return std::nullopt;
        // The file does not go on from what was read: it is read afresh.
    }
    clear();
    path_ = path;
    pupils_ = wanted;
    slotOf_.assign(kPupils, -1);
    events_.resize(pupils_.size());
    for (size_t i = 0; i < pupils_.size(); ++i)
        slotOf_[static_cast<size_t>(pupils_[i])] = static_cast<int>(i);
    return read(path, 0, false);
}

// Reads from record `from` + 1 on. Continuing, that first record must be the last one read
// before; when it is not (or the file is shorter), next_ is set to -1 for a full read.
std::optional<FileError> EventHistory::read(const QString& path, qint64 from, bool continuing)
{
    std::optional<FileError> damaged;
    bool broken = false;
    qint64 total = 0;
    const auto failed = recordfile::forEachBlock(path, kEventRecordLength, kHistoryBlock,
        [&](const QByteArray& bytes, qint64 first) {
            const qsizetype n = bytes.size() / kEventRecordLength;
            for (qsizetype i = 0; i < n; ++i) {
                const char* at = bytes.constData() + i * kEventRecordLength;
                const qint64 number = first + i;
                if (continuing && number == from + 1) {
                    if (std::memcmp(at, last_.constData(), kEventRecordLength) != 0) {
                        broken = true;
                        return false;
                    }
                    continue;
                }
                // Other pupils' records are only glanced at; the chosen pupils' are checked whole.
                const qint16 pupil = qFromLittleEndian<qint16>(at + 8);
                if (static_cast<quint8>(at[14]) != kEventRecordFormat || pupil < 1 || pupil > kMaxPupil) {
                    damaged = damagedRecord(path, number);
                    return false;
                }
                if (const int slot = slotOf_[static_cast<size_t>(pupil)]; slot >= 0) {
                    const std::optional<JudgementRecord> r = JudgementRecord::fromBytes(at);
                    if (!r) {
                        damaged = damagedRecord(path, number);
                        return false;
                    }
                    events_[static_cast<size_t>(slot)].apply(*r);
                }
            }
            last_ = bytes.right(kEventRecordLength);
            next_ = first - 1 + n;
            return true;
        },
        { from, continuing ? 0 : kHistoryWindow, &total });
    if (failed || damaged) {
        clear();
        return failed ? readError(*failed) : damaged;
    }
    if (continuing && (broken || total < from + 1))
        next_ = -1;
    return std::nullopt;
}

const PupilEvents& EventHistory::pupil(int number) const
{
    static const PupilEvents none;
    if (number < 0 || static_cast<size_t>(number) >= slotOf_.size() || slotOf_[static_cast<size_t>(number)] < 0)
        return none;
    return events_[static_cast<size_t>(slotOf_[static_cast<size_t>(number)])];
}

void EventHistory::clear()
{
    path_.clear();
    pupils_.clear();
    events_.clear();
    slotOf_.clear();
    next_ = 0;
    last_.clear();
}

EventHistory& sharedHistory()
{
    static EventHistory history;
    return history;
}

} // namespace kanameru::review
