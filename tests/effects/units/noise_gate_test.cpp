#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "effects/units/noise_gate/noise_gate.h"

namespace ampliro::dsp {
namespace {

constexpr int32_t kRate = 48000;
constexpr int32_t kMs = kRate / 1000;

float Level(float dbfs) {
    return std::pow(10.0f, dbfs / 20.0f);
}

// A tone at `dbfs` from `start` for `length` samples over a hiss at
// -66 dBFS, 20 dB under the close threshold of the gate below.
std::vector<float> Burst(float hz, float dbfs, int32_t start, int32_t length, int32_t total) {
    std::vector<float> x(static_cast<size_t>(total));
    uint32_t seed = 9;
    for (int32_t n = 0; n < total; ++n) {
        seed = seed * 1664525u + 1013904223u;
        float v = Level(-66.0f) * (static_cast<float>(seed >> 9) / (1 << 23) - 0.5f);
        if (n >= start && n < start + length)
            v += Level(dbfs) * std::sin(2 * std::numbers::pi_v<float> * hz * (n - start) / kRate);
        x[static_cast<size_t>(n)] = v;
    }
    return x;
}

// The gain on every sample, the gate run one sample at a time.
std::vector<float> Gains(NoiseGate& gate, std::vector<float> x) {
    std::vector<float> g;
    for (float& v : x) {
        gate.Process(&v, 1);
        g.push_back(gate.gain());
    }
    return g;
}

void SetMinus40(NoiseGate& gate) {
    gate.Init(kRate);
    gate.SetThreshold(-40.0f);
    gate.SetHysteresis(6.0f);
    gate.SetAttack(0.5f);
    gate.SetHold(50.0f);
    gate.SetRelease(100.0f);
}

// Tone bursts from the low B of a seven-string to 1 kHz, from 4 to 20 dB
// over the threshold: shut before, fully open 1 ms into the note, open
// through the note and the hold, shut after hold + release; the gain rises
// once and falls once, by at most 1.5 phase steps a sample (1.5 / 24 while
// opening, 1.5 / 4800 while closing).
TEST(NoiseGateTest, ToneBurstTiming) {
    struct Row {
        float hz, dbfs;
    };
    const Row rows[] = {{62, -20}, {82.4f, -20}, {196, -30}, {440, -20}, {1000, -36}};
    const int32_t start = 100 * kMs, length = 300 * kMs, end = start + length;
    const int32_t hold = 50 * kMs, release = 100 * kMs;
    for (const Row& row : rows) {
        NoiseGate gate;
        SetMinus40(gate);
        const std::vector<float> g = Gains(gate, Burst(row.hz, row.dbfs, start, length, 700 * kMs));
        const auto period = static_cast<int32_t>(kRate / row.hz);
        for (int32_t n = 0; n < start; ++n) ASSERT_EQ(g[n], 0.0f) << row.hz << " at " << n;
        for (int32_t n = start + kMs; n < end + hold - period; ++n)
            ASSERT_EQ(g[n], 1.0f) << row.hz << " at " << n;
        EXPECT_GT(g[end + hold + release - period], 0.0f) << row.hz;
        for (int32_t n = end + hold + release; n < static_cast<int32_t>(g.size()); ++n)
            ASSERT_EQ(g[n], 0.0f) << row.hz << " at " << n;
        for (int32_t n = 1; n < static_cast<int32_t>(g.size()); ++n) {
            const float step = g[n] - g[n - 1];
            if (n < end) {
                ASSERT_GE(step, 0.0f) << row.hz << " at " << n;
                ASSERT_LE(step, 1.5f / 24 + 1e-6f) << row.hz << " at " << n;
            } else {
                ASSERT_LE(step, 0.0f) << row.hz << " at " << n;
                ASSERT_GE(step, -1.5f / 4800 - 1e-6f) << row.hz << " at " << n;
            }
        }
    }
}

// Notes at the threshold: a steady one keeps it open without a flutter; one
// that dies away slowly (6 dB a second) through the hysteresis band closes
// it once; one that swells back into the band after closing does not
// reopen it. Counted as the times the gain leaves 0 and leaves 1.
TEST(NoiseGateTest, NoChatterAtTheThreshold) {
    struct Row {
        const char* name;
        float startDb, dbPerSecond;
        bool swellsBackAfter2s;
        int opens, closes;
    };
    const Row rows[] = {
        {"steady at the threshold", -39.9f, 0.0f, false, 1, 0},
        {"dying through the band", -39.9f, -6.0f, false, 1, 1},
        {"dying, then swelling back into the band", -39.9f, -6.0f, true, 1, 1},
    };
    for (const Row& row : rows) {
        NoiseGate gate;
        SetMinus40(gate);
        std::vector<float> x(3 * kRate);
        for (int32_t n = 0; n < 3 * kRate; ++n) {
            float t = static_cast<float>(n) / kRate;
            if (row.swellsBackAfter2s && t > 2.0f) t = 4.0f - t;
            const float db = row.startDb + row.dbPerSecond * t;
            x[static_cast<size_t>(n)] =
                Level(db) * std::sin(2 * std::numbers::pi_v<float> * 82.4f * n / kRate);
        }
        const std::vector<float> g = Gains(gate, x);
        int opens = 0, closes = 0;
        for (size_t n = 1; n < g.size(); ++n) {
            opens += g[n - 1] == 0.0f && g[n] > 0.0f;
            closes += g[n - 1] == 1.0f && g[n] < 1.0f;
        }
        EXPECT_EQ(opens, row.opens) << row.name;
        EXPECT_EQ(closes, row.closes) << row.name;
    }
}

// On 16-bit samples the gate does what it does on floats, rounded: full
// scale is 32768 in both.
TEST(NoiseGateTest, SixteenBitBlocksMatchFloat) {
    const std::vector<float> x = Burst(196, -30, 480, 9600, 24000);
    std::vector<float> f(x.size());
    std::vector<int16_t> s(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        s[n] = static_cast<int16_t>(std::lrint(x[n] * 32768.0f));
        f[n] = s[n] / 32768.0f;
    }
    NoiseGate a, b;
    SetMinus40(a);
    SetMinus40(b);
    for (size_t at = 0; at < x.size(); at += 448) {
        const size_t count = std::min<size_t>(448, x.size() - at);
        a.Process(f.data() + at, count);
        b.Process(s.data() + at, count);
    }
    for (size_t n = 0; n < x.size(); ++n)
        ASSERT_EQ(s[n], static_cast<int16_t>(std::lrint(f[n] * 32768.0f))) << n;
    EXPECT_EQ(s[0], 0);
    EXPECT_NE(s[5000], 0);
}

}  // namespace
}  // namespace ampliro::dsp
