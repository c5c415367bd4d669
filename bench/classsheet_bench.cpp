// The class sheet of a large school: 2000 listed pupils, 35 levels, a results file of 25000
// records. Its lines should cost no more than twice the statistics rebuild they read from;
// the CSV is measured on top.
#include "board/classsheet.h"
#include "results/results.h"
#include "roster/pupilline.h"
#include "startup/hensuu1.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

using namespace kanameru;

namespace {

constexpr int kRecords = 25000;
constexpr int kSchoolPupils = 2000;

struct School {
    QTemporaryDir dir;
    School()
    {
        reg.reset();
        reg.programFolder = dir.path() + QLatin1Char('/');
        reg.levelCount = kMaxLevel;
        reg.schoolYear = AnyValue(2026);
        for (int level = 1; level <= kMaxLevel; ++level) {
            reg.levelTitles[static_cast<size_t>(level)] = QStringLiteral("ﾚﾍﾞﾙ%1").arg(level);
            reg.levelTarget[level] = 300;
            reg.levelPointFactor[level] = 1;
            reg.levelPassPoints[level] = 100;
            reg.levelRequiredCount[level] = 3;
            reg.levelRecentDays[level] = AnyValue(28);
            reg.levelCapDays[level] = AnyValue(7);
        }
        std::mt19937 random(7);
        for (int k = 1; k <= kSchoolPupils; ++k) {
            RosterRecord& r = reg.roster[static_cast<size_t>(k)];
            r.number = static_cast<qint16>(k);
            r.birthYear = static_cast<qint16>(2011 + random() % 9);
            r.name = QStringLiteral("生徒%1").arg(random() % 100000).leftJustified(20);
            reg.pupilNames[static_cast<size_t>(k)] = r.name;
            reg.pupilBirthYear[static_cast<size_t>(k)] = r.birthYear;
            reg.boardPupilNos[static_cast<size_t>(k)] = AnyValue(k);
        }
        reg.boardPupilCount = AnyValue(kSchoolPupils);
        QByteArray bytes;
        const double today = 46363;
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.recordDate = static_cast<int>(today - 400 + n * 400.0 / kRecords);
            r.recordTime = (random() % 86400) / 86400.0;
            r.pupilNo = static_cast<qint16>(1 + random() % kSchoolPupils);
            r.level = static_cast<qint16>(1 + random() % kMaxLevel);
            r.result = random() % 20 == 0 ? kTimeOut : static_cast<qint32>(20 + random() % 900);
            r.schoolCode = "12345";
            bytes += r.toBytes();
        }
        QFile f(resultsFilePath());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
        computeStatistics();
    }
};

School& school()
{
    static School s;
    return s;
}

void BM_StatisticsRebuild(benchmark::State& state)
{
    school();
    for (auto _ : state) {
        computeStatistics();
        benchmark::DoNotOptimize(reg.totalCount(1, 1));
    }
}

// The sheet's lines: the pupils in the start screen's order, filtered, with their figures.
void BM_ClassSheetLines(benchmark::State& state)
{
    school();
    size_t rows = 0;
    for (auto _ : state) {
        const ClassSheet sheet = ClassSheet::build(QStringLiteral("全学年"), QDate(2026, 12, 7));
        rows = sheet.rows.size();
        benchmark::DoNotOptimize(sheet.rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The lines written out as the CSV file a teacher opens (CP932).
void BM_ClassSheetCsv(benchmark::State& state)
{
    school();
    const QString path = school().dir.filePath(QStringLiteral("sheet.csv"));
    qint64 size = 0;
    for (auto _ : state) {
        const ClassSheet sheet = ClassSheet::build(QStringLiteral("全学年"), QDate(2026, 12, 7));
        const QByteArray bytes = csvBytes(sheet.csv(), false);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            std::abort();
        size = bytes.size();
    }
    state.counters["csv_KB"] = static_cast<double>(size) / 1024.0;
}

} // namespace

BENCHMARK(BM_StatisticsRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassSheetLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassSheetCsv)->Unit(benchmark::kMillisecond);

// The start screen's own list, which gives the sheet its order: part of every sheet.
static void BM_StartScreenOrder(benchmark::State& state)
{
    school();
    for (auto _ : state) {
        const PupilList list = buildPupilList(2026, 1, QStringLiteral("全学年"));
        benchmark::DoNotOptimize(list.sortedLines.data());
    }
}
BENCHMARK(BM_StartScreenOrder)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
