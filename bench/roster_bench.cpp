// Reading a roster of 5000 pupils and building the start screen's sorted list from it, against
// merely reading and decoding the same file.
#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace kanameru;

namespace {

struct LargeRoster {
    QTemporaryDir dir;
    LargeRoster()
    {
        QString text;
        for (int i = 1; i <= kMaxPupil; ++i) {
            text += QStringLiteral("%1,%2,0,0,\"生徒%3番さん\",0,\"\",\"\"\n").arg(i).arg(2005 + i % 15).arg(i);
        }
        writeTextFile(dir.filePath(kRosterFile), text);
        reg.rosterFolder = dir.path() + QLatin1Char('/');
        reg.schoolYearStartMonth = AnyValue(4);
        for (int level = 1; level <= kMaxLevel; ++level) {
            for (int p = 1; p <= kMaxPupil; p += 7)
                reg.totalCount(level, p) = 3;
        }
    }
};

LargeRoster& roster()
{
    static LargeRoster r;
    return r;
}

void BM_ReadOnly(benchmark::State& state)
{
    roster();
    for (auto _ : state) {
        Result<QString> text = readTextFile(rosterFileName());
        benchmark::DoNotOptimize(text.ok());
    }
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);

void BM_ReadRosterAndBuildList(benchmark::State& state)
{
    roster();
    for (auto _ : state) {
        if (readRoster())
            state.SkipWithError("roster not read");
        const PupilList list = buildPupilList(2019, 0, QStringLiteral("全学年"));
        benchmark::DoNotOptimize(list.shown.size());
    }
}
BENCHMARK(BM_ReadRosterAndBuildList)->Unit(benchmark::kMillisecond);

void BM_ReadRosterOnly(benchmark::State& state)
{
    roster();
    for (auto _ : state) {
        if (readRoster())
            state.SkipWithError("roster not read");
    }
}
BENCHMARK(BM_ReadRosterOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
