// The time from a play call to its return, against the length of the sound, on SDL's dummy
// driver (which plays in real time). The pupil waits this long on every answer, so the call
// must return within 100 ms of the sound's own end.
#include "platform/mci.h"
#include "sound/wavsynth.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr double kAllowedOverheadMs = 100;

void playWait(benchmark::State& state)
{
    const double seconds = static_cast<double>(state.range(0)) / 1000;
    const int rate = static_cast<int>(state.range(1));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/音 フォルダ 0.5秒.wav");
    if (!kanameru::writeWav(path, kanameru::sineTone(seconds, 880, rate))) {
        state.SkipWithError("cannot write the sound");
        return;
    }
    const QString command = QStringLiteral("play %1 wait").arg(path);
    platform::mciSendString(command); // the device opens once, on the first sound
    double worstMs = 0;
    double totalMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const int code = platform::mciSendString(command);
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (code != platform::kMciOk) {
            state.SkipWithError("the play failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        totalMs += ms;
        worstMs = std::max(worstMs, ms);
    }
    const double soundMs = seconds * 1000;
    const double meanOverhead = totalMs / static_cast<double>(state.iterations()) - soundMs;
    state.counters["sound_ms"] = soundMs;
    state.counters["overhead_ms"] = meanOverhead;
    state.counters["worst_overhead_ms"] = worstMs - soundMs;
    if (meanOverhead > kAllowedOverheadMs)
        state.SkipWithError("the play call returns more than 100 ms after the sound's end");
}

BENCHMARK(playWait)
    ->Args({ 500, 22050 })
    ->Args({ 500, 44100 })
    ->Args({ 300, 22050 })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    // The dummy driver unless the caller chose another one.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::mciShutdown();
    return 0;
}
