// Cost per sample of each pedal switched on with its defaults at 44100 Hz,
// and of the whole chain with all nine on, in blocks of the default stream
// buffer (latency 12: 448 samples).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/effect_chain.h"
#include "effects/pedalboard.h"
#include "effects/units/tone_stack/tone_stack.h"

namespace ampliro {
namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kBlock = 448;

// A plucked-string-like test signal: a decaying harmonic tone, repeated.
std::vector<int16_t> GuitarLikeSignal() {
    std::vector<int16_t> s(kRate);
    for (int i = 0; i < kRate; ++i) {
        const double t = static_cast<double>(i % 22050) / kRate;
        const double tone = std::sin(2 * M_PI * 110 * t) + 0.5 * std::sin(2 * M_PI * 220 * t) +
                            0.25 * std::sin(2 * M_PI * 330 * t);
        s[i] = static_cast<int16_t>(9000 * tone * std::exp(-3 * t));
    }
    return s;
}

void RunBlocks(benchmark::State& state, Effect& fx) {
    const std::vector<int16_t> signal = GuitarLikeSignal();
    std::vector<int16_t> block(kBlock);
    size_t pos = 0;
    for (auto _ : state) {
        // Whole blocks from the signal, starting over where one would run
        // past its end: a division per sample here would be timed as well.
        if (pos + kBlock > signal.size()) pos = 0;
        std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(pos), kBlock, block.begin());
        pos += kBlock;
        fx.ProcessBlock(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["ns/sample"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Pedal(benchmark::State& state) {
    static Pedalboard board;
    const int32_t key = static_cast<int32_t>(state.range(0));
    Effect& fx = *board.ByKey(key);
    fx.Init(kRate, key);
    fx.enabled = 1;
    state.SetLabel(fx.name);
    RunBlocks(state, fx);
    fx.enabled = 0;
}
BENCHMARK(BM_Pedal)->DenseRange(0, kEffectCount - 1);

// The tone stack alone (the Overdrive and the Reverb each run one), with
// the gains at their centres.
void BM_ToneStack(benchmark::State& state) {
    const std::vector<int16_t> signal = GuitarLikeSignal();
    dsp::ToneStack stack;
    stack.Design(880, 5000, kRate);
    std::vector<int32_t> out(kBlock);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlock > signal.size()) pos = 0;
        stack.Run(signal.data() + pos, out.data(), kBlock, stack.LoadGains());
        pos += kBlock;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["ns/sample"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ToneStack);

// The Graphic EQ with every band in use, as in the SoX comparison (+3 dB):
// flat bands are skipped, so the default setting measures none of them.
void BM_GraphicEqAllBands(benchmark::State& state) {
    static Pedalboard board;
    GraphicEqPedal& eq = board.graphicEq;
    eq.Init(kRate, kKeyGraphicEq);
    for (int32_t band = 0; band < 7; ++band) eq.SetBandGain(band, 3);
    eq.enabled = 1;
    RunBlocks(state, eq);
}
BENCHMARK(BM_GraphicEqAllBands);

// The chain as the processing pass runs it: every slot's ProcessBlock.
class WholeChain : public Effect {
  public:
    explicit WholeChain(Pedalboard& board) {
        chain.SetEffects(board.AllByKey());
        enabled = 1;
    }
    void ProcessBlock(int16_t* samples, int32_t count) override {
        chain.ProcessBlock(samples, count);
    }
    EffectChain chain;
};

void BM_WholeChain(benchmark::State& state) {
    static Pedalboard board;
    for (int32_t key = 0; key < kEffectCount; ++key) {
        board.ByKey(key)->Init(kRate, key);
        board.ByKey(key)->enabled = 1;
    }
    WholeChain whole(board);
    RunBlocks(state, whole);
}
BENCHMARK(BM_WholeChain);

}  // namespace
}  // namespace ampliro

BENCHMARK_MAIN();
