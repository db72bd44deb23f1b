// Cost of the noise gate at 48 kHz in 64-frame blocks of 16-bit samples, as
// a share of one core, on a guitar-like signal that opens and closes it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "bench/thread_clock.h"
#include "effects/units/noise_gate/noise_gate.h"

namespace ampliro::dsp {
namespace {

using bench::ThreadSeconds;

constexpr int32_t kRate = 48000;
constexpr int32_t kBlock = 64;

void BM_NoiseGateCost(benchmark::State& state) {
    NoiseGate gate;
    gate.Init(kRate);
    // Half a second of a decaying 110 Hz note, half a second of silence.
    std::vector<int16_t> signal(kRate, 0);
    for (int32_t n = 0; n < kRate / 2; ++n)
        signal[static_cast<size_t>(n)] = static_cast<int16_t>(
            9000 * std::exp(-6.0 * n / kRate) * std::sin(2 * std::numbers::pi * 110 * n / kRate));
    std::vector<int16_t> block(kBlock);
    size_t at = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        if (at + kBlock > signal.size()) at = 0;
        std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(at), kBlock, block.begin());
        at += kBlock;
        gate.Process(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    // CPU time over the audio time processed, in percent.
    state.counters["core%"] = 100.0 * (ThreadSeconds() - start) * kRate /
                              (static_cast<double>(state.iterations()) * kBlock);
}
BENCHMARK(BM_NoiseGateCost);

}  // namespace
}  // namespace ampliro::dsp

BENCHMARK_MAIN();
