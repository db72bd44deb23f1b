// One tuner analysis (the pitch detector on its 40 ms window) at each sample
// rate, and one second of input through the tuner engine: the frame loop's
// cost of an open tuner.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "audio/pitch_detector.h"
#include "audio/tuner_engine.h"

namespace ampliro {
namespace {

std::vector<int16_t> Tone(int32_t rate, size_t count) {
    std::vector<int16_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double v = 0.3 * std::sin(2 * std::numbers::pi * 82.41 * t) +
                         0.2 * std::sin(2 * std::numbers::pi * 164.82 * t + 0.5);
        out[i] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
    return out;
}

void BM_Analysis(benchmark::State& state) {
    const int32_t rate = static_cast<int32_t>(state.range(0));
    PitchDetector detector(rate);
    const auto tone = Tone(rate, static_cast<size_t>(detector.WindowLength()));
    for (auto _ : state) benchmark::DoNotOptimize(detector.Analyse(tone.data()));
}
BENCHMARK(BM_Analysis)
    ->Arg(11025)
    ->Arg(22050)
    ->Arg(44100)
    ->Arg(48000)
    ->Arg(96000)
    ->Unit(benchmark::kMicrosecond);

void BM_OneSecondOfInput(benchmark::State& state) {
    const int32_t rate = static_cast<int32_t>(state.range(0));
    TunerEngine engine(rate);
    const auto tone = Tone(rate, static_cast<size_t>(rate));
    for (auto _ : state) {
        engine.Feed(tone.data(), tone.size());
        benchmark::DoNotOptimize(engine.Reading());
    }
}
BENCHMARK(BM_OneSecondOfInput)->Arg(44100)->Arg(96000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ampliro

BENCHMARK_MAIN();
