#pragma once
// Pupils' events as the events file holds them. The file is read once, in blocks, keeping only
// the chosen pupils' records; later updates read only what was appended since, so a board that
// opens again after an attempt reads a few records and not the whole file. Only the last
// kHistoryWindow records of the file count.
#include "review/schedule.h"
#include "startup/fileerror.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace kanameru::review {

constexpr qint64 kHistoryWindow = 1000000; // records: 64 MB
constexpr qint64 kHistoryBlock = 16384; // records read at a time: 1 MB

// Every complete record of the file's last `window` records (all when 0), oldest first, handed
// to `take` with its number in the file. A record that is no record of this program makes the
// whole file damaged: the error names the file and the record. A missing file has none.
std::optional<FileError> forEachJudgement(
    const QString& path, qint64 window, const std::function<void(const JudgementRecord& record, qint64 number)>& take);

class EventHistory {
public:
    // Brings the pupils' events up to date with the file at `path`. The first time, for other
    // pupils or another file, or when the file no longer goes on from what was read (a teacher
    // started it afresh), it reads the file's last kHistoryWindow records; otherwise only the
    // records appended since. A damaged file gives its error (and the history is empty until a
    // later update finds the file sound).
    std::optional<FileError> update(const QString& path, const std::vector<int>& pupils);

    // The pupil's events (empty for a pupil not among those of the last update).
    const PupilEvents& pupil(int number) const;
    // Forgets everything read.
    void clear();

private:
    std::optional<FileError> read(const QString& path, qint64 from, bool continuing);

    QString path_;
    std::vector<int> pupils_;
    std::vector<PupilEvents> events_; // in the order of pupils_
    std::vector<int> slotOf_; // by pupil number: index into events_, or -1
    qint64 next_ = 0; // records read so far (0-based number of the next one)
    QByteArray last_; // the last record read, to see that the file goes on from it
};

// The program's history, shared by the board's review button and the per-pupil report.
EventHistory& sharedHistory();

} // namespace kanameru::review
