// Appending a 44-byte record as the program does (open, lock, length under the lock, write,
// flush to the disk, unlock, close) beside the least a durable write must do: write the same
// bytes to a file kept open, without a lock, and flush them. The files lie in the current folder
// (run it on the disk that matters). Built with Google Benchmark natively; the Windows build
// (cmake/windows) times the same two loops itself, to be run by hand under Wine.
#include "fileio/fileio.h"

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

} // namespace

#ifndef _WIN32
#include <benchmark/benchmark.h>

static void BM_AppendWithLockAndFlush(benchmark::State& state)
{
    BenchFiles files;
    for (auto _ : state)
        if (!appendLockedFlushed(files))
            state.SkipWithError("append failed");
}
BENCHMARK(BM_AppendWithLockAndFlush)->UseRealTime()->MinTime(2.0);

static void BM_PlainWriteAndFlush(benchmark::State& state)
{
    BenchFiles files;
    fileio::File file;
    if (file.open(files.plain, fileio::File::Mode::ReadWriteCreate) != 0) {
        state.SkipWithError("cannot open");
        return;
    }
    std::int64_t at = 0;
    for (auto _ : state)
        if (!writeFlushed(file, at))
            state.SkipWithError("write failed");
}
BENCHMARK(BM_PlainWriteAndFlush)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
#else
#include <chrono>
#include <cstdio>

int main()
{
    using Clock = std::chrono::steady_clock;
    constexpr int kRounds = 5;
    constexpr int kEach = 400;
    BenchFiles files;
    fileio::File file;
    if (file.open(files.plain, fileio::File::Mode::ReadWriteCreate) != 0)
        return 1;
    std::int64_t at = 0;
    Clock::duration appended {};
    Clock::duration plain {};
    // Alternating rounds, so both see the same state of the machine.
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = Clock::now();
        for (int i = 0; i < kEach; ++i)
            if (!appendLockedFlushed(files))
                return 1;
        auto t1 = Clock::now();
        for (int i = 0; i < kEach; ++i)
            if (!writeFlushed(file, at))
                return 1;
        auto t2 = Clock::now();
        appended += t1 - t0;
        plain += t2 - t1;
    }
    const double n = kRounds * kEach;
    const double a = std::chrono::duration<double, std::micro>(appended).count() / n;
    const double p = std::chrono::duration<double, std::micro>(plain).count() / n;
    std::printf("append with lock and flush: %.1f us\nplain write and flush:      %.1f us\nratio: %.2f\n", a, p, a / p);
    return 0;
}
#endif
