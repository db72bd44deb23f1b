// Cost of the cabinet convolver at 48 kHz in 64-frame blocks, as a share of
// one core: the average over a long run, and the dearest single block (the
// blocks where the larger stages transform).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/thread_clock.h"
#include "effects/units/convolver/partitioned_convolver.h"

namespace ampliro::dsp {
namespace {

using bench::ThreadSeconds;

constexpr int32_t kRate = 48000;
constexpr int32_t kBlock = 64;
constexpr double kBlockSeconds = static_cast<double>(kBlock) / kRate;

std::vector<float> DecayingNoise(int32_t length, uint32_t seed, float decay) {
    std::vector<float> v(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float r = static_cast<float>(static_cast<int32_t>(seed >> 8) - (1 << 23)) / (1 << 23);
        v[static_cast<size_t>(i)] = r * std::exp(-decay * static_cast<float>(i) / length);
    }
    return v;
}

// state.range(0): the response's length in samples.
void BM_ConvolverCost(benchmark::State& state) {
    PartitionedConvolver conv;
    conv.Init(DecayingNoise(static_cast<int32_t>(state.range(0)), 7, 6.0f));
    const std::vector<float> input = DecayingNoise(kRate, 3, 0.0f);
    std::vector<float> out(kBlock);
    size_t at = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        if (at + kBlock > input.size()) at = 0;
        conv.Process(input.data() + at, out.data(), kBlock);
        at += kBlock;
        benchmark::DoNotOptimize(out.data());
    }
    // CPU time over the audio time processed, in percent: the thread's own
    // time, so other work on this shared machine does not count.
    state.counters["core%"] = 100.0 * (ThreadSeconds() - start) /
                              (static_cast<double>(state.iterations()) * kBlockSeconds);
}
BENCHMARK(BM_ConvolverCost)->Arg(8192)->Arg(kRate);

// The dearest block of a cycle of 64 periods of the largest stage (4096
// blocks), against the block's own duration. Each block position keeps its
// fastest time over the repetitions, so a preemption by another process on
// this shared machine does not pass for the convolver's own cost.
void BM_ConvolverDearestBlock(benchmark::State& state) {
    constexpr int32_t kCycle = 4096;
    PartitionedConvolver conv;
    conv.Init(DecayingNoise(static_cast<int32_t>(state.range(0)), 7, 6.0f));
    const std::vector<float> input = DecayingNoise(kBlock, 3, 0.0f);
    std::vector<float> out(kBlock);
    std::vector<double> fastest(kCycle, 1e9);
    for (auto _ : state) {
        for (int32_t b = 0; b < kCycle; ++b) {
            const auto start = std::chrono::steady_clock::now();
            conv.Process(input.data(), out.data(), kBlock);
            benchmark::DoNotOptimize(out.data());
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            fastest[static_cast<size_t>(b)] =
                std::min(fastest[static_cast<size_t>(b)], took.count());
        }
    }
    const double dearest = *std::max_element(fastest.begin(), fastest.end());
    state.counters["dearest block %"] = 100.0 * dearest / kBlockSeconds;
}
BENCHMARK(BM_ConvolverDearestBlock)->Arg(8192)->Arg(kRate)->Iterations(20);

}  // namespace
}  // namespace ampliro::dsp

BENCHMARK_MAIN();
