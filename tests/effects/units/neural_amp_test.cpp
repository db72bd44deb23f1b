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

// One layer array, kernel 3, Tanh, head size 1 with a bias.
struct WaveNetCase {
    int channels;
    std::vector<int> dilations;
    bool gated;
};

size_t WaveNetCount(const WaveNetCase& c) {
    const size_t C = c.channels, R = c.gated ? 2 * C : C;
    return C + c.dilations.size() * (3 * C * R + R + R + C * C + C) + C + 1 + 1;
}

std::string WaveNetText(const WaveNetCase& c, const std::vector<float>& w) {
    std::string dilations;
    for (int d : c.dilations) dilations += (dilations.empty() ? "" : ",") + std::to_string(d);
    return ModelText("WaveNet",
                     R"({"layers":[{"input_size":1,"condition_size":1,"head_size":1,"channels":)" +
                         std::to_string(c.channels) + R"(,"kernel_size":3,"dilations":[)" +
                         dilations + R"(],"activation":"Tanh","gated":)" +
                         (c.gated ? "true" : "false") +
                         R"(,"head_bias":true}],"head":null,"head_scale":0.02})",
                     w);
}

// Layer l maps its input a_l to a_l+1 = a_l + M g + m, with
// z = sum over taps k of W_k a_l[t - d (2 - k)] + b + u x[t] and
// g = tanh(z), or tanh(top) sigmoid(bottom) when gated; the head sums g.
// The history starts at zero and hears a receptive field of silence first.
Signal PlainWaveNet(const WaveNetCase& c, const std::vector<float>& w, const Signal& dry) {
    const int C = c.channels, R = c.gated ? 2 * C : C;
    int field = 1;
    for (int d : c.dilations) field += 2 * d;
    Signal x(size_t(field), 0.0f);
    x.insert(x.end(), dry.begin(), dry.end());
    const int T = int(x.size());
    const float* p = w.data();
    std::vector<std::vector<float>> a(1, std::vector<float>(size_t(T) * C));
    for (int t = 0; t < T; ++t)
        for (int i = 0; i < C; ++i) a[0][t * C + i] = p[i] * x[t];
    p += C;
    std::vector<float> head(size_t(T) * C, 0.0f);
    for (int d : c.dilations) {
        const float *conv = p, *bias = conv + 3 * C * R, *mixin = bias + R, *mix = mixin + R,
                    *mixBias = mix + C * C;
        p = mixBias + C;
        const auto& in = a.back();
        std::vector<float> out(size_t(T) * C);
        for (int t = 0; t < T; ++t) {
            std::vector<float> z(R);
            for (int o = 0; o < R; ++o) {
                z[o] = bias[o] + mixin[o] * x[t];
                for (int i = 0; i < C; ++i)
                    for (int k = 0; k < 3; ++k) {
                        const int from = t - d * (2 - k);
                        if (from >= 0) z[o] += conv[(o * C + i) * 3 + k] * in[from * C + i];
                    }
            }
            for (int o = 0; o < C; ++o) {
                z[o] = c.gated ? std::tanh(z[o]) * Sig(z[o + C]) : std::tanh(z[o]);
                head[t * C + o] += z[o];
            }
            for (int o = 0; o < C; ++o) {
                out[t * C + o] = in[t * C + o] + mixBias[o];
                for (int i = 0; i < C; ++i) out[t * C + o] += mix[o * C + i] * z[i];
            }
        }
        a.push_back(std::move(out));
    }
    const float* headWeights = p;
    const float headBias = p[C], scale = p[C + 1];
    Signal y;
    for (int t = field; t < T; ++t) {
        float acc = headBias;
        for (int i = 0; i < C; ++i) acc += headWeights[i] * head[t * C + i];
        y.push_back(scale * acc);
    }
    return y;
}

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
    // One WaveNet layer array of any width, gated or not, in a plain loop.
    const WaveNetCase cases[] = {{2, {3}, false},          {2, {3}, true},    {3, {1, 2}, false},
                                 {4, {1, 2, 4}, false},    {8, {1, 5}, true}, {12, {2}, true},
                                 {16, {1, 2, 4, 8}, false}};
    for (const WaveNetCase& c : cases) {
        std::vector<float> w(WaveNetCount(c));
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = 0.8f / std::sqrt(float(c.channels)) * std::sin(1.7f * float(i) + c.gated);
        rows.push_back({c.gated ? "gated WaveNet" : "WaveNet", WaveNetText(c, w),
                        [c, w](const Signal& x) { return PlainWaveNet(c, w, x); }});
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
            EXPECT_LT(WorstDifference(Play(*file.model, in, block), want), 1e-5)
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

// ---- Refusals -------------------------------------------------------------

std::string LinearText(const std::string& weights,
                       const std::string& before = R"("version":"0.5.4",)") {
    return "{" + before +
           R"("architecture":"Linear","config":{"receptive_field":2,"bias":true},"weights":[)" +
           weights + "]}";
}

std::string WaveNetWith(const std::string& field, const std::string& value) {
    std::string array =
        R"({"input_size":1,"condition_size":1,"head_size":1,"channels":2,"kernel_size":3,)"
        R"("dilations":[1],"activation":"Tanh","gated":false,"head_bias":true})";
    const size_t at = array.find('"' + field + '"');
    const size_t from = array.find(':', at) + 1;
    array.replace(from, array.find_first_of(",}", from) - from, value);
    return ModelText("WaveNet", R"({"layers":[)" + array + R"(],"head":null,"head_scale":0.02})",
                     std::vector<float>(WaveNetCount({2, {1}, false}), 0.1f));
}

struct Refusal {
    const char* what;
    std::string text;
    std::string message;
};

TEST(NeuralAmpModelTest, RefusesDamagedAndHostileFilesAndTheRunningModelPlaysOn) {
    const std::string good = LinearText("0.5,0.25,0.125");
    const Refusal rows[] = {
        {"empty", "", "The model file is damaged or cut short: it is not valid JSON."},
        {"cut short", good.substr(0, good.size() / 2),
         "The model file is damaged or cut short: it is not valid JSON."},
        {"NaN literal", LinearText("0.5,NaN,0.1"),
         "The model file is damaged or cut short: it is not valid JSON."},
        {"not an object", "[1,2,3]", "This is not a neural amp model file."},
        {"architecture", ModelText("Foo", "{}", {1}), "Unsupported model architecture 'Foo'"},
        {"ConvNet", ModelText("ConvNet", "{}", {1}), "Unsupported model architecture 'ConvNet'"},
        {"version 0.7", LinearText("1,2,3", R"("version":"0.7.0",)"),
         "Unsupported model file version 0.7.0"},
        {"version 1.5", LinearText("1,2,3", R"("version":"1.5.0",)"),
         "Unsupported model file version 1.5.0"},
        {"no version", LinearText("1,2,3", ""),
         "The model file is incomplete: it has no 'version'."},
        {"no weights",
         R"({"version":"0.5.4","architecture":"Linear","config":{"receptive_field":2,"bias":true}})",
         "The model file is incomplete: it has no 'weights'."},
        {"no config", R"({"version":"0.5.4","architecture":"Linear","weights":[]})",
         "The model file is incomplete: it has no 'config'."},
        {"too few weights", LinearText("1,2"),
         "The model file is damaged: it has 2 weights where its layout needs 3."},
        {"too many weights", LinearText("1,2,3,4"),
         "The model file is damaged: it has 4 weights where its layout needs 3."},
        {"infinite weight", LinearText("1,1e39,3"),
         "The model file is damaged: weight 2 is not a usable number."},
        {"text weight", LinearText(R"(1,2,"x")"),
         "The model file is damaged: weight 3 is not a usable number."},
        {"huge channels", WaveNetWith("channels", "100000"),
         "The model is too large or malformed to play: 'channels' is 100000 (allowed 1 to 64)."},
        {"negative kernel", WaveNetWith("kernel_size", "-3"),
         "The model is too large or malformed to play: 'kernel_size' is -3 (allowed 1 to 16)."},
        {"huge dilation", WaveNetWith("dilations", "[1000000000]"),
         "The model is too large or malformed to play: a dilation is not a whole number from 1 "
         "to 32768."},
        {"no dilations", WaveNetWith("dilations", "[]"),
         "The model file is damaged: 'dilations' must list 1 to 64 layers."},
        {"layers not a list", ModelText("WaveNet", R"({"layers":3,"head":null})", {1}),
         "The model file is damaged: 'layers' must list 1 to 8 layer arrays."},
        {"activation", WaveNetWith("activation", R"("Swish")"),
         "Unsupported activation 'Swish' in this model."},
        {"misfit", WaveNetWith("head_size", "2"),
         "The model file is damaged: its WaveNet layers do not fit together."},
        {"huge LSTM",
         ModelText("LSTM", R"({"input_size":1,"hidden_size":10000000000,"num_layers":1})", {1}),
         "The model is too large or malformed to play: 'hidden_size' is 10000000000 (allowed 1 to "
         "256)."},
        {"huge FIR", ModelText("Linear", R"({"receptive_field":1e12,"bias":true})", {1}),
         "The model file is damaged: 'receptive_field' is not a whole number."},
        {"sample rate", LinearText("1,2,3", R"("version":"0.5.4","sample_rate":0,)"),
         "The model's sample rate is not usable (it must be 8 to 384 kHz)."},
    };
    NeuralAmp amp, twin;
    ASSERT_TRUE(amp.Init(ReadNeuralModelFile(good), 48000, 64));
    ASSERT_TRUE(twin.Init(ReadNeuralModelFile(good), 48000, 64));
    const Signal in = Pluck(64);
    Signal out(64), expected(64);
    for (const Refusal& row : rows) {
        NeuralModelFile file = ReadNeuralModelFile(row.text);
        EXPECT_FALSE(file.model) << row.what;
        EXPECT_EQ(file.error, row.message) << row.what;
        EXPECT_FALSE(amp.Init(std::move(file), 48000, 64)) << row.what;
        amp.Process(in.data(), out.data(), 64);
        twin.Process(in.data(), expected.data(), 64);
        EXPECT_EQ(out, expected) << row.what;
    }
}

// ---- The unit: levels and resampling -------------------------------------

struct Levels {
    float inputDb, outputDb;
    bool normalised;
    const char* extra;  // metadata
    float gain;         // worked by hand
};

TEST(NeuralAmpTest, GainsAndLoudnessNormalisationScaleTheModelsOutput) {
    const Levels rows[] = {
        {0, 0, true, "", 1.0f},
        {6, 0, true, "", 1.99526f},
        {0, -12, true, "", 0.251189f},
        {0, 0, true, R"("metadata":{"loudness":-30},)", 3.98107f},  // -18 - -30 = +12 dB
        {0, 0, false, R"("metadata":{"loudness":-30},)", 1.0f},
        {3, -3, true, R"("metadata":{"loudness":-6,"gain":null},)", 0.251189f},
    };
    const Signal in = Pluck(256);
    for (const Levels& row : rows) {
        NeuralAmp amp;
        amp.SetInputGainDb(row.inputDb);
        amp.SetOutputLevelDb(row.outputDb);
        amp.SetLoudnessNormalised(row.normalised);
        ASSERT_TRUE(
            amp.Init(ReadNeuralModelFile(ModelText(
                         "Linear", R"({"receptive_field":1,"bias":false})", {1}, row.extra)),
                     48000, 64));
        Signal out(in.size());
        amp.Process(in.data(), out.data(), int(in.size()));
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_NEAR(out[i], in[i] * row.gain, 1e-5f) << row.gain << " at " << i;
        EXPECT_EQ(amp.LatencyFrames(), 0);
    }
}

Signal Sine(double rate, int frames) {
    Signal s(size_t(frames), 0.0f);
    for (int n = 0; n < frames; ++n)
        s[size_t(n)] = float(0.3 * std::sin(2 * M_PI * 110 * n / rate));
    return s;
}

Signal PlayAmp(NeuralAmp& amp, const Signal& in, int block) {
    Signal out(in.size());
    for (size_t at = 0; at < in.size(); at += size_t(block)) {
        const int n = int(std::min<size_t>(size_t(block), in.size() - at));
        amp.Process(in.data() + at, out.data() + at, n);
    }
    return out;
}

// A 110 Hz sine through a model at 48 kHz, played in a 44.1 kHz session,
// gives the 48 kHz output at the same instants once the reported latency is
// taken off (read between 48 kHz samples by cubic interpolation), within
// 2e-5 of a 0.3 peak. One frame of latency wrong costs 3e-4.
TEST(NeuralAmpTest, ResampledModelMatchesItsOwnRateAfterTheReportedLatency) {
    struct Row {
        const char* model;
        int block;
    };
    const Row rows[] = {{"wavenet", 64}, {"wavenet", 37}, {"lstm", 64}, {"lstm", 512}};
    for (const Row& row : rows) {
        const std::string text = ReadText(kModels + "/" + row.model + ".nam");
        NeuralAmp own, session;
        own.SetLoudnessNormalised(false);
        session.SetLoudnessNormalised(false);
        ASSERT_TRUE(own.Init(ReadNeuralModelFile(text), 48000, 64));
        ASSERT_TRUE(session.Init(ReadNeuralModelFile(text), 44100, row.block));
        const int latency = session.LatencyFrames();
        EXPECT_GT(latency, 0);
        EXPECT_LT(latency, 64);
        const Signal reference = PlayAmp(own, Sine(48000, 48000), 64);
        const Signal got = PlayAmp(session, Sine(44100, 44100), row.block);
        double worst = 0;
        for (int n = latency + 4410; n < 40000; ++n) {
            const double at = (n - latency) * 48000.0 / 44100.0;
            const int i = int(at);
            const double f = at - i;
            const double p0 = reference[i - 1], p1 = reference[i], p2 = reference[i + 1],
                         p3 = reference[i + 2];
            const double cubic =
                p1 +
                0.5 * f *
                    (p2 - p0 + f * (2 * p0 - 5 * p1 + 4 * p2 - p3 + f * (3 * (p1 - p2) + p3 - p0)));
            worst = std::max(worst, std::abs(got[size_t(n)] - cubic));
        }
        EXPECT_LT(worst, 2e-5) << row.model << " in blocks of " << row.block << ", latency "
                               << latency;
    }
}

}  // namespace
}  // namespace ampliro::dsp
