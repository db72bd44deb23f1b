// How much faster than real time the amp unit plays the standard-size and
// the feather-size WaveNet (random weights, same cost as trained ones) and a
// small LSTM, at 48 kHz in 64-frame blocks, on one core. The counter
// "realtime_factor" is seconds of audio per second of CPU; the machine may
// be shared, so take the best of a few runs (--benchmark_repetitions).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "effects/units/neural_amp/model_file.h"
#include "effects/units/neural_amp/neural_amp.h"

namespace ampliro::dsp {
namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 64;

std::string Dilations() {
    std::string s;
    for (int d = 1; d <= 512; d *= 2) s += (d > 1 ? "," : "") + std::to_string(d);
    return s;
}

std::string LayerArray(int input, int channels, int head, bool headBias) {
    return R"({"input_size":)" + std::to_string(input) + R"(,"condition_size":1,"channels":)" +
           std::to_string(channels) + R"(,"head_size":)" + std::to_string(head) +
           R"(,"kernel_size":3,"dilations":[)" + Dilations() +
           R"(],"activation":"Tanh","gated":false,"head_bias":)" + (headBias ? "true" : "false") +
           "}";
}

// Weights drawn small enough that the activations sit in tanh's working
// range, as a trained model's do.
std::string WeightList(size_t count) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-0.25f, 0.25f);
    std::ostringstream s;
    for (size_t i = 0; i < count; ++i) s << (i ? "," : "") << u(rng);
    return s.str();
}

size_t WaveNetWeights(int c1, int c2) {
    auto array = [](size_t in, size_t c, size_t head, bool bias) {
        return c * in + 10 * (3 * c * c + c + c + c * c + c) + head * c + (bias ? head : 0);
    };
    return array(1, c1, c2, false) + array(c1, c2, 1, true) + 1;
}

std::string WaveNetText(int c1, int c2) {
    return R"({"version":"0.5.4","architecture":"WaveNet","config":{"layers":[)" +
           LayerArray(1, c1, c2, false) + "," + LayerArray(c1, c2, 1, true) +
           R"(],"head":null,"head_scale":0.02},"weights":[)" + WeightList(WaveNetWeights(c1, c2)) +
           "]}";
}

std::string LstmText(int hidden) {
    const size_t count = 4 * hidden * (1 + hidden) + 4 * hidden + 2 * hidden + hidden + 1;
    return R"({"version":"0.5.4","architecture":"LSTM","config":{"input_size":1,"hidden_size":)" +
           std::to_string(hidden) + R"(,"num_layers":1},"weights":[)" + WeightList(count) + "]}";
}

void PlayModel(benchmark::State& state, const std::string& text, double sessionRate) {
    NeuralAmp amp;
    if (!amp.Init(ReadNeuralModelFile(text), sessionRate, kBlock)) {
        state.SkipWithError("model refused");
        return;
    }
    std::vector<float> signal(kRate, 0.0f);
    for (int i = 0; i < kRate; ++i) {
        const double t = double(i % 24000) / kRate;
        signal[size_t(i)] = float(0.5 * std::sin(2 * M_PI * 110 * t) * std::exp(-3 * t));
    }
    std::vector<float> out(kBlock);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlock > signal.size()) pos = 0;
        amp.Process(signal.data() + pos, out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        pos += kBlock;
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        double(state.iterations()) * kBlock / sessionRate, benchmark::Counter::kIsRate);
}

void BM_StandardWaveNet(benchmark::State& state) {
    PlayModel(state, WaveNetText(16, 8), kRate);
}
void BM_FeatherWaveNet(benchmark::State& state) {
    PlayModel(state, WaveNetText(8, 4), kRate);
}
void BM_Lstm16(benchmark::State& state) {
    PlayModel(state, LstmText(16), kRate);
}
// The standard WaveNet in a 44.1 kHz session: the resampling's share.
void BM_StandardWaveNetAt44100(benchmark::State& state) {
    PlayModel(state, WaveNetText(16, 8), 44100.0);
}

BENCHMARK(BM_StandardWaveNet);
BENCHMARK(BM_FeatherWaveNet);
BENCHMARK(BM_Lstm16);
BENCHMARK(BM_StandardWaveNetAt44100);

}  // namespace
}  // namespace ampliro::dsp

BENCHMARK_MAIN();
