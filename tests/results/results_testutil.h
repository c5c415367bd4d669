#pragma once
// Building results files for the tests.
#include "results/results.h"
#include "support/waits.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>
#include <vector>

namespace results_test {

inline kanameru::ResultRecord record(double date, int pupil, int level, qint32 result, double time = 0.5)
{
    kanameru::ResultRecord r;
    r.recordDate = date;
    r.recordTime = time;
    r.pupilNo = static_cast<qint16>(pupil);
    r.level = static_cast<qint16>(level);
    r.result = result;
    r.schoolCode = "12345";
    r.note = "     ";
    r.kindText = "0    ";
    r.reserved = QByteArray(5, '\0');
    return r;
}

inline QByteArray bytesOf(const std::vector<kanameru::ResultRecord>& records)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(records.size()) * kanameru::kResultRecordLength);
    for (const kanameru::ResultRecord& r : records)
        out += r.toBytes();
    return out;
}

inline void writeFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile f(path);
    if (!f.open(mode | QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the results file");
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

#ifdef RESULTS_HELPER
// Another workstation holding the lock, as a separate process.
class LockHolder {
public:
    explicit LockHolder(const QString& path)
    {
        process.start(QStringLiteral(RESULTS_HELPER), { QStringLiteral("hold"), path });
        if (!process.waitForReadyRead(testing_support::kWaitMs) || !process.readAll().startsWith("locked"))
            throw std::runtime_error("the lock holder did not start");
    }
    ~LockHolder() { release(); }
    void release()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(testing_support::kWaitMs);
        }
    }
    QProcess process;
};
#endif

} // namespace results_test
