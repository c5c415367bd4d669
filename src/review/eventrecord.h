#pragma once
// The events file "出来事別成績データ.dat" in programFolder, beside the results file: one
// fixed-length record per judgement of a drill or a review, with the outcome of each of the
// five events it judged. Appended like the results file (the writers' lock, the record flushed
// to the disk before the lock goes, a partial record left by a crash overwritten by the next
// append); the results file and everything computed from it know nothing of it.
//
// An event is known by its year and its text, not by its row in the question file, so that it
// keeps its history when a teacher adds, removes or reorders rows; an event whose text or year
// is changed is a new event.
//
// JudgementRecord, 64 bytes, little-endian, no gaps:
//   0  8  recordDate  64-bit float: days since 30 December 1899, the fraction the time of day
//   8  2  pupilNo     16-bit signed integer
//  10  2  level       16-bit signed integer: the level of the drill (a review: the highest
//                     level the pupil has played)
//  12  1  phase       1 = the explanations were judged, 2 = the order
//  13  1  kind        0 = a drill, 1 = a review
//  14  1  format      always 0x31
//  15  5  outcome of each row (screen rows 1..5 at the judgement): bit 7 set = wrong;
//         explanations: bit 3 set = bits 0..2 name the row whose event's explanation it held;
//         order: bits 0..4 name the rows it stood the wrong way round with (bit k = row k + 1)
//  20 40  the rows' events, 64-bit event numbers (eventId)
//  60  4  check: FNV-1a (32 bits) of bytes 0..59
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

namespace kanameru::review {

constexpr int kEventRecordLength = 64;
constexpr int kRowsPerJudgement = 5;
constexpr quint8 kEventRecordFormat = 0x31;

using EventId = quint64;

QString eventsFileName(); // "出来事別成績データ.dat"
QString eventsFilePath(); // in reg.programFolder

// The number of an event: a 64-bit hash of its year and text (blanks around them left out).
// Never 0.
EventId eventId(const QString& year, const QString& event);

enum class Phase : quint8 { Explanations = 1, Order = 2 };
enum class Kind : quint8 { Drill = 0, Review = 1 };

struct RowOutcome {
    EventId event = 0;
    bool wrong = false;
    int confusedWith = -1; // explanations: the row (0..4) whose event's explanation it held
    quint8 against = 0; // order: bit k set = it stood the wrong way round with row k
    bool operator==(const RowOutcome&) const = default;
};

struct JudgementRecord {
    double recordDate = 0;
    qint16 pupilNo = 0;
    qint16 level = 0;
    Phase phase = Phase::Explanations;
    Kind kind = Kind::Drill;
    std::array<RowOutcome, kRowsPerJudgement> rows {};

    // The whole day of the judgement.
    int day() const;
    QByteArray toBytes() const;
    // The record in `bytes` (kEventRecordLength of them), or nullopt when they are not a record
    // this program writes: a wrong check, format or field.
    static std::optional<JudgementRecord> fromBytes(const char* bytes);
    bool operator==(const JudgementRecord&) const = default;
};

} // namespace kanameru::review
