#include "review/eventrecord.h"

#include "startup/hensuu1.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace kanameru::review {

namespace {

constexpr int kCheckedBytes = 60;
constexpr quint8 kWrongBit = 0x80;
constexpr quint8 kConfusedBit = 0x08;

quint32 fnv32(const char* bytes, int length)
{
    quint32 h = 2166136261u;
    for (int i = 0; i < length; ++i) {
        h ^= static_cast<quint8>(bytes[i]);
        h *= 16777619u;
    }
    return h;
}

quint8 detailOf(const RowOutcome& row, Phase phase)
{
    quint8 d = row.wrong ? kWrongBit : 0;
    if (phase == Phase::Explanations) {
        if (row.confusedWith >= 0 && row.confusedWith < kRowsPerJudgement)
            d |= kConfusedBit | static_cast<quint8>(row.confusedWith);
    } else {
        d |= row.against & 0x1F;
    }
    return d;
}

// Reads a row's outcome back; false when the byte is none the writer makes.
bool rowOf(quint8 d, Phase phase, int self, RowOutcome* row)
{
    row->wrong = (d & kWrongBit) != 0;
    if (phase == Phase::Explanations) {
        if (d & 0x70)
            return false;
        if (d & kConfusedBit) {
            const int with = d & 0x07;
            if (with >= kRowsPerJudgement || with == self || !row->wrong)
                return false;
            row->confusedWith = with;
        }
        return true;
    }
    if ((d & 0x60) || (d & (1u << self)))
        return false;
    row->against = d & 0x1F;
    return true;
}

} // namespace

QString eventsFileName()
{
    return QStringLiteral("出来事別成績データ.dat");
}

QString eventsFilePath()
{
    return reg.programFolder + eventsFileName();
}

EventId eventId(const QString& year, const QString& event)
{
    const QByteArray text = year.trimmed().toUtf8() + '\x1f' + event.trimmed().toUtf8();
    quint64 h = 14695981039346656037ull;
    for (const char c : text) {
        h ^= static_cast<quint8>(c);
        h *= 1099511628211ull;
    }
    return h == 0 ? 1 : h;
}

int JudgementRecord::day() const
{
    return static_cast<int>(std::floor(recordDate));
}

QByteArray JudgementRecord::toBytes() const
{
    QByteArray b(kEventRecordLength, '\0');
    char* p = b.data();
    quint64 bits = 0;
    std::memcpy(&bits, &recordDate, sizeof bits);
    qToLittleEndian<quint64>(bits, p);
    qToLittleEndian<qint16>(pupilNo, p + 8);
    qToLittleEndian<qint16>(level, p + 10);
    p[12] = static_cast<char>(phase);
    p[13] = static_cast<char>(kind);
    p[14] = static_cast<char>(kEventRecordFormat);
    for (int i = 0; i < kRowsPerJudgement; ++i) {
        p[15 + i] = static_cast<char>(detailOf(rows[static_cast<size_t>(i)], phase));
        qToLittleEndian<quint64>(rows[static_cast<size_t>(i)].event, p + 20 + 8 * i);
    }
    qToLittleEndian<quint32>(fnv32(p, kCheckedBytes), p + kCheckedBytes);
    return b;
}

std::optional<JudgementRecord> JudgementRecord::fromBytes(const char* p)
{
    if (qFromLittleEndian<quint32>(p + kCheckedBytes) != fnv32(p, kCheckedBytes)
        || static_cast<quint8>(p[14]) != kEventRecordFormat)
        return std::nullopt;
    JudgementRecord r;
    const quint64 bits = qFromLittleEndian<quint64>(p);
    std::memcpy(&r.recordDate, &bits, sizeof bits);
    r.pupilNo = qFromLittleEndian<qint16>(p + 8);
    r.level = qFromLittleEndian<qint16>(p + 10);
    const auto phase = static_cast<quint8>(p[12]);
    const auto kind = static_cast<quint8>(p[13]);
    if (!std::isfinite(r.recordDate) || r.recordDate < 1 || r.recordDate > 2958466 || r.pupilNo < 1
        || r.pupilNo > kMaxPupil || r.level < 0 || r.level > kMaxLevel || phase < 1 || phase > 2 || kind > 1)
        return std::nullopt;
    r.phase = static_cast<Phase>(phase);
    r.kind = static_cast<Kind>(kind);
    for (int i = 0; i < kRowsPerJudgement; ++i) {
        RowOutcome& row = r.rows[static_cast<size_t>(i)];
        row.event = qFromLittleEndian<quint64>(p + 20 + 8 * i);
        if (row.event == 0 || !rowOf(static_cast<quint8>(p[15 + i]), r.phase, i, &row))
            return std::nullopt;
    }
    return r;
}

} // namespace kanameru::review
