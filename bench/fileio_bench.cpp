// Appending a 44-byte record as the program does (open, lock, length under the lock, write,
// flush to the disk, unlock, close) beside the least a durable write must do: write the same
// bytes to a file kept open, without a lock, and flush them. The files lie in the current folder
// (run it on the disk that matters). Built with Google Benchmark natively; the Windows build
// (cmake/windows) times the same steps itself, to be run by hand under Wine.
#include "fileio/fileio.h"

#include <chrono>
#include <string>

namespace {

constexpr int kRecordLength = 44;
const std::string kRecord = std::string(kRecordLength - 2, 'r') + "\r\n";

struct BenchFiles {
    fileio::Path appended = std::filesystem::current_path() / u8"ベンチ 成績累積データ.dat";
    fileio::Path plain = std::filesystem::current_path() / u8"ベンチ 書き込み.dat";
    BenchFiles()
    {
        std::filesystem::remove(appended);
        std::filesystem::remove(plain);
    }
    ~BenchFiles()
    {
        std::filesystem::remove(appended);
        std::filesystem::remove(plain);
    }
};

bool appendLockedFlushed(const BenchFiles& files)
{
    return fileio::appendRecord(files.appended, kRecord.data(), kRecordLength, kRecordLength).error == 0;
}

bool writeFlushed(fileio::File& file, std::int64_t& at)
{
    const bool ok = file.writeAt(kRecord.data(), kRecordLength, at) == 0 && file.flushToDisk() == 0;
    at += kRecordLength;
    return ok;
}

// One append and one plain write, one after the other, so that both see the same state of a
// disk that other programs share; adds their times.
struct Pair {
    BenchFiles files;
    fileio::File plain;
    std::int64_t at = 0;
    std::chrono::steady_clock::duration appended {};
    std::chrono::steady_clock::duration written {};
    Pair() { plain.open(files.plain, fileio::File::Mode::ReadWriteCreate); }
    bool step()
    {
        const auto t0 = std::chrono::steady_clock::now();
        const bool a = appendLockedFlushed(files);
        const auto t1 = std::chrono::steady_clock::now();
        const bool w = writeFlushed(plain, at);
        const auto t2 = std::chrono::steady_clock::now();
        appended += t1 - t0;
        written += t2 - t1;
        return a && w && plain.isOpen();
    }
    double appendMicroseconds(double n) const
    {
        return std::chrono::duration<double, std::micro>(appended).count() / n;
    }
    double writeMicroseconds(double n) const { return std::chrono::duration<double, std::micro>(written).count() / n; }
};

} // namespace

#ifndef _WIN32
#include <benchmark/benchmark.h>

// The counters give each one's mean time and their ratio (the target: at most 1.5).
static void BM_AppendWithLockAndFlushAgainstPlainWriteAndFlush(benchmark::State& state)
{
    Pair pair;
    for (auto _ : state)
        if (!pair.step())
            state.SkipWithError("write failed");
    const double n = static_cast<double>(state.iterations());
    state.counters["append_us"] = pair.appendMicroseconds(n);
    state.counters["plain_us"] = pair.writeMicroseconds(n);
    state.counters["ratio"] = pair.appendMicroseconds(n) / pair.writeMicroseconds(n);
}
BENCHMARK(BM_AppendWithLockAndFlushAgainstPlainWriteAndFlush)->UseRealTime()->MinTime(4.0);

BENCHMARK_MAIN();
#else
#include <cstdio>

int main()
{
    constexpr int kSteps = 2000;
    Pair pair;
    for (int i = 0; i < kSteps; ++i)
        if (!pair.step())
            return 1;
    const double a = pair.appendMicroseconds(kSteps);
    const double w = pair.writeMicroseconds(kSteps);
    std::printf("append with lock and flush: %.1f us\nplain write and flush:      %.1f us\nratio: %.2f\n", a, w, a / w);
    return 0;
}
#endif
