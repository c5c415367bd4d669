// Loading a full question file (1000 lines) costs the reading and decoding of its text plus
// the descrambling and splitting; the target is no more than twice the reading alone.
#include "drill/questiontable.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace kanameru;

namespace {

// A temporary program folder with a stored question file of 1000 typical rows.
class FullQuestionFile {
public:
    FullQuestionFile()
    {
        QStringList clear;
        for (int i = 1; i <= kMaxQuestionLines; ++i)
            clear << QStringLiteral("%1,%2,鎌倉,13世紀,政治・外交,出来事その%3の名前,,"
                                    "説明その%3：教科書の言葉で出来事を言い当てる三十字ほどの文")
                         .arg(1 + i % 3)
                         .arg(500 + i)
                         .arg(i);
        if (writeStoredQuestionFile(storedPath(), clear, QStringLiteral("bench")))
            std::abort();
    }
    QString drillName() const { return dir_.path() + QStringLiteral("/歴史年2001２.csv"); }
    QString storedPath() const { return dir_.path() + QStringLiteral("/歴史年2001２vv.ccc"); }

private:
    QTemporaryDir dir_;
};

const FullQuestionFile& file()
{
    static const FullQuestionFile f;
    return f;
}

void BM_ReadAndDecodeText(benchmark::State& state)
{
    const QString path = file().storedPath();
    for (auto _ : state) {
        Result<QString> text = readTextFile(path);
        QStringList lines = splitLines(*text);
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_ReadAndDecodeText)->Unit(benchmark::kMicrosecond);

void BM_LoadQuestionTable(benchmark::State& state)
{
    const QString name = file().drillName();
    for (auto _ : state) {
        std::optional<FileError> error = loadQuestionTable(name);
        if (error || reg.questionRowCount != kMaxQuestionLines)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(reg.questionCells.data());
    }
}
BENCHMARK(BM_LoadQuestionTable)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
