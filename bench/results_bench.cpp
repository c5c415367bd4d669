// computeStatistics on a results file of 25000 records (2000 pupils, 35 levels), beside the
// least any rebuild must do: read the same bytes and clear the statistics tables.
#include "results/results.h"
#include "results/statistics_internal.h"
#include "startup/hensuu1.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

using namespace kanameru;

namespace {

constexpr int kRecords = 25000;
constexpr int kPupils = 2000;

struct Installation {
    QTemporaryDir dir;
    Installation()
    {
        reg.reset();
        reg.programFolder = dir.path() + QLatin1Char('/');
        for (int level = 1; level <= kMaxLevel; ++level) {
            reg.levelTarget[level] = 300;
            reg.levelPointFactor[level] = 1;
            reg.levelRecentDays[level] = AnyValue(28);
            reg.levelCapDays[level] = AnyValue(7);
        }
        std::mt19937 random(7);
        QByteArray bytes;
        const double today = 46363;
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.recordDate = today - 400 + n * 400.0 / kRecords;
            r.recordDate = static_cast<int>(r.recordDate);
            r.recordTime = (random() % 86400) / 86400.0;
            r.pupilNo = static_cast<qint16>(1 + random() % kPupils);
            r.level = static_cast<qint16>(1 + random() % kMaxLevel);
            r.result = random() % 20 == 0 ? kTimeOut : static_cast<qint32>(20 + random() % 900);
            r.schoolCode = "12345";
            bytes += r.toBytes();
        }
        QFile f(resultsFilePath());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
};

Installation& installation()
{
    static Installation i;
    return i;
}

qint64 tableBytes()
{
    const qint64 cells = static_cast<qint64>(kLevels) * kPupils;
    Q_UNUSED(cells);
    const qint64 perCell = sizeof(qint32) /* bestScore */ + 3 * sizeof(qint16) /* counts */
        + 3 * sizeof(qint32) /* points */ + sizeof(float) + sizeof(qint32) /* today */;
    return static_cast<qint64>(kLevels) * kanameru::kPupils * perCell;
}

void BM_ComputeStatistics(benchmark::State& state)
{
    installation();
    for (auto _ : state) {
        computeStatistics();
        benchmark::DoNotOptimize(reg.totalCount(1, 1));
    }
    state.counters["kept"] = loadedCount();
    state.counters["table_MB"] = static_cast<double>(tableBytes()) / (1024.0 * 1024.0);
}

// The floor: the bytes of the last 20000 records read and every table cleared.
void BM_ReadBytesAndClearTables(benchmark::State& state)
{
    installation();
    for (auto _ : state) {
        fillTable(reg.bestScore, kTimeOut); // as fast as a memory copy
        clearCounts();
        QFile f(resultsFilePath());
        if (!f.open(QIODevice::ReadOnly))
            std::abort();
        const qint64 records = f.size() / kResultRecordLength;
        const qint64 first = records > kResultsReadWindow ? records - kResultsReadWindow : 0;
        f.seek(first * kResultRecordLength);
        QByteArray bytes = f.read((records - first) * kResultRecordLength);
        benchmark::DoNotOptimize(bytes.data());
    }
}

BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBytesAndClearTables)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
