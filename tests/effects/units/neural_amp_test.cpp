#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "effects/units/neural_amp/model_file.h"
#include "effects/units/neural_amp/neural_amp.h"

#ifndef AMPLIRO_SHARED_MODELS_DIR
#error "AMPLIRO_SHARED_MODELS_DIR must name the folder of the example models"
#endif

namespace ampliro::dsp {
namespace {

using Signal = std::vector<float>;

std::string Numbers(const std::vector<float>& v) {
    std::ostringstream s;
    s.precision(9);
    for (size_t i = 0; i < v.size(); ++i) s << (i ? "," : "") << v[i];
    return s.str();
}

std::string ModelText(const std::string& arch, const std::string& config,
                      const std::vector<float>& weights, const std::string& extra = "") {
    return R"({"version":"0.5.4",)" + extra + R"("architecture":")" + arch + R"(","config":)" +
           config + R"(,"weights":[)" + Numbers(weights) + "]}";
}

// A guitar-like test input: a decaying chord with a little noise.
Signal Pluck(int frames) {
    Signal x(frames);
    uint32_t seed = 1;
    for (int n = 0; n < frames; ++n) {
        seed = seed * 1664525u + 1013904223u;
        const double t = n / 48000.0;
        x[n] = float(std::exp(-3 * t) *
                         (0.4 * std::sin(2 * M_PI * 110 * t) + 0.2 * std::sin(2 * M_PI * 165 * t)) +
                     1e-3 * (double(seed >> 8) / 16777216.0 - 0.5));
    }
    return x;
}

Signal Play(NeuralModel& model, const Signal& in, int block) {
    Signal out(in.size());
    for (size_t at = 0; at < in.size(); at += block) {
        const int n = int(std::min<size_t>(block, in.size() - at));
        model.Process(in.data() + at, out.data() + at, n);
    }
    return out;
}

double WorstDifference(const Signal& a, const Signal& b) {
    double worst = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::abs(double(a[i]) - b[i]));
    return worst;
}

float Sig(float x) {
    return 1.0f / (1.0f + std::exp(-x));
}

// ---- Tiny models against a plain loop written here -------------------------

struct TinyModel {
    const char* name;
    std::string text;
    std::function<Signal(const Signal&)> expected;
};

std::vector<TinyModel> TinyModels() {
    std::vector<TinyModel> rows;
    // Linear: the FIR itself, weight i on the sample i back, plus the bias.
    const std::vector<float> fir = {0.5f, -0.25f, 0.125f, 0.75f, 0.2f};
    rows.push_back({"linear FIR", ModelText("Linear", R"({"receptive_field":4,"bias":true})", fir),
                    [fir](const Signal& x) {
                        Signal y(x.size());
                        for (size_t n = 0; n < x.size(); ++n) {
                            float acc = fir[4];
                            for (size_t i = 0; i < 4 && i <= n; ++i) acc += fir[i] * x[n - i];
                            y[n] = acc;
                        }
                        return y;
                    }});
    // A one-unit LSTM: gates i f g o from w x + u h + b, then half a second
    // (4000 samples at 8 kHz) of silence from the stored h0, c0 first.
    const std::vector<float> lstm = {0.9f, -0.3f, 0.4f,  0.2f, 1.3f,  0.5f,    0.8f, -0.6f,
                                     0.1f, 0.7f,  -0.2f, 0.3f, 0.25f, -0.125f, 1.5f, 0.05f};
    rows.push_back({"one-unit LSTM",
                    ModelText("LSTM", R"({"input_size":1,"hidden_size":1,"num_layers":1})", lstm,
                              R"("sample_rate":8000,)"),
                    [lstm](const Signal& x) {
                        float h = lstm[12], c = lstm[13];
                        auto step = [&](float v) {
                            const float gi = lstm[0] * v + lstm[1] * h + lstm[8];
                            const float gf = lstm[2] * v + lstm[3] * h + lstm[9];
                            const float gg = lstm[4] * v + lstm[5] * h + lstm[10];
                            const float go = lstm[6] * v + lstm[7] * h + lstm[11];
                            c = Sig(gf) * c + Sig(gi) * std::tanh(gg);
                            h = Sig(go) * std::tanh(c);
                            return lstm[14] * h + lstm[15];
                        };
                        for (int n = 0; n < 4000; ++n) step(0.0f);
                        Signal y;
                        for (float v : x) y.push_back(step(v));
                        return y;
                    }});
    // One WaveNet array of one layer, 2 channels, kernel 2, dilation 3,
    // gated and not: z = W0 a[n-3] + W1 a[n] + b + m x[n] with a = r x,
    // head = h . act(z), y = scale (head + hb).
    for (bool gated : {false, true}) {
        const int R = gated ? 4 : 2;
        std::vector<float> w;
        for (int i = 0; i < 2 + 2 * R * 2 + R + R + 4 + 2 + 2 + 1 + 1; ++i)
            w.push_back(0.37f * std::sin(1.7f * i + (gated ? 1.0f : 0.0f)));
        const std::string config =
            std::string(R"({"layers":[{"input_size":1,"condition_size":1,"head_size":1,)") +
            R"("channels":2,"kernel_size":2,"dilations":[3],"activation":"Tanh","gated":)" +
            (gated ? "true" : "false") + R"(,"head_bias":true}],"head":null,"head_scale":0.5})";
        rows.push_back({gated ? "one-layer gated WaveNet" : "one-layer WaveNet",
                        ModelText("WaveNet", config, w), [w, R](const Signal& x) {
                            // Weights in file order: rechannel r[2], conv (out, in, tap),
                            // conv bias, mixin, 1x1 (unused by the single layer's
                            // output), 1x1 bias, head [2], head bias, head scale.
                            const float* r = &w[0];
                            const float* conv = &w[2];
                            const float* bias = conv + R * 2 * 2;
                            const float* mixin = bias + R;
                            const float* head = mixin + R + 4 + 2;
                            const float headBias = head[2];
                            const float scale = head[3];
                            Signal y(x.size());
                            for (size_t n = 0; n < x.size(); ++n) {
                                const float past = n >= 3 ? x[n - 3] : 0.0f;
                                float z[4];
                                for (int o = 0; o < R; ++o) {
                                    z[o] = bias[o] + mixin[o] * x[n];
                                    for (int i = 0; i < 2; ++i)
                                        z[o] += conv[(o * 2 + i) * 2 + 0] * r[i] * past +
                                                conv[(o * 2 + i) * 2 + 1] * r[i] * x[n];
                                }
                                float acc = headBias;
                                for (int o = 0; o < 2; ++o) {
                                    const float a =
                                        R == 4 ? std::tanh(z[o]) * Sig(z[o + 2]) : std::tanh(z[o]);
                                    acc += head[o] * a;
                                }
                                y[n] = scale * acc;
                            }
                            return y;
                        }});
    }
    return rows;
}

TEST(NeuralAmpModelTest, TinyModelsMatchAPlainLoopAtAnyBlockSize) {
    const Signal in = Pluck(3000);
    for (const auto& row : TinyModels()) {
        const Signal want = row.expected(in);
        for (int block : {1, 17, 64, 1000}) {
            NeuralModelFile file = ReadNeuralModelFile(row.text);
            ASSERT_TRUE(file.model) << row.name << ": " << file.error;
            file.model->Prepare(64);
            EXPECT_LT(WorstDifference(Play(*file.model, in, block), want), 2e-6)
                << row.name << ", blocks of " << block;
        }
    }
}

// ---- The published examples against the reference player's output -------

Signal ReadWav(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    Signal s(size_t(info.frames) * info.channels);
    sf_readf_float(f, s.data(), info.frames);
    sf_close(f);
    return s;
}

std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

const std::string kModels = AMPLIRO_SHARED_MODELS_DIR;

TEST(NeuralAmpModelTest, ExampleModelsMatchTheReferencePlayer) {
    const Signal in = ReadWav(kModels + "/input.wav");
    ASSERT_EQ(in.size(), 72000u);
    for (const char* name : {"wavenet", "lstm"}) {
        const Signal want = ReadWav(kModels + "/" + name + ".reference.wav");
        NeuralModelFile file = ReadNeuralModelFile(ReadText(kModels + "/" + name + ".nam"));
        ASSERT_TRUE(file.model) << name << ": " << file.error;
        EXPECT_EQ(file.info.sampleRate, 48000.0);
        file.model->Prepare(64);
        const Signal got = Play(*file.model, in, 64);
        ASSERT_EQ(got.size(), want.size());
        EXPECT_LT(WorstDifference(got, want), 1e-5) << name;
    }
}

}  // namespace
}  // namespace ampliro::dsp
