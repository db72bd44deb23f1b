// The noise gate, amp and cabinet pedals around their units: the 16-bit
// block in and out, the knobs' ranges and the swap of a model or an IR.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "effects/pedalboard.h"

namespace ampliro {
namespace {

constexpr int32_t kRate = 48000;

// A Neural Amp Modeler "Linear" model: y[n] = sum of weights[i] x[n - i].
std::string LinearModel(const std::vector<float>& weights) {
    std::string text = R"({"version": "0.5.4", "architecture": "Linear", "config": )";
    text += R"({"receptive_field": )" + std::to_string(weights.size()) + R"(, "bias": false}, )";
    text += R"("sample_rate": 48000, "weights": [)";
    for (size_t i = 0; i < weights.size(); ++i) {
        if (i) text += ", ";
        text += std::to_string(weights[i]);
    }
    return text + "]}";
}

// A 16-bit mono PCM WAV at `rate`.
std::vector<std::byte> Wav16(const std::vector<int16_t>& samples, int32_t rate) {
    std::vector<uint8_t> b;
    const auto put = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const auto tag = [&b](const char* t) { b.insert(b.end(), t, t + 4); };
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    tag("RIFF");
    put(36 + data, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate) * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(data, 4);
    for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
    std::vector<std::byte> out(b.size());
    std::memcpy(out.data(), b.data(), b.size());
    return out;
}

TEST(NoiseGatePedalTest, SilencesHissAndOpensForANoteWithinAMillisecond) {
    NoiseGatePedal gate;
    gate.Init(kRate, kKeyNoiseGate);
    gate.enabled = 1;
    gate.SetThreshold(-40);  // 328 on 16 bits
    std::vector<int16_t> hiss(480, 100);
    for (size_t i = 0; i < hiss.size(); i += 2) hiss[i] = -100;
    gate.ProcessBlock(hiss.data(), static_cast<int32_t>(hiss.size()));
    for (int16_t s : hiss) ASSERT_EQ(s, 0);

    std::vector<int16_t> note(480, 8000);
    gate.ProcessBlock(note.data(), static_cast<int32_t>(note.size()));
    EXPECT_GT(note[0], 0);                // the first peak already comes through
    EXPECT_EQ(note[kRate / 1000], 8000);  // fully open 1 ms in
}

TEST(NoiseGatePedalTest, KnobsClampToTheirRangesAndShowTheirUnits) {
    NoiseGatePedal gate;
    gate.Init(kRate, kKeyNoiseGate);
    struct Row {
        int32_t knob, value, stored;
        const char* reading;
    } rows[] = {
        {NoiseGatePedal::kThresholdKnob, -100, -80, "#FFFFFF-80 dB"},
        {NoiseGatePedal::kThresholdKnob, 0, -20, "#FFFFFF-20 dB"},
        {NoiseGatePedal::kHysteresisKnob, 30, 20, "#FFFFFF20 dB"},
        {NoiseGatePedal::kAttackKnob, 3, 3, "#FFFFFF0.3 ms"},
        {NoiseGatePedal::kHoldKnob, 5, 10, "#FFFFFF10 ms"},
        {NoiseGatePedal::kReleaseKnob, 5000, 2000, "#FFFFFF2000 ms"},
    };
    int32_t NoiseGatePedal::*fields[] = {&NoiseGatePedal::threshold, &NoiseGatePedal::hysteresis,
                                         &NoiseGatePedal::attack, &NoiseGatePedal::hold,
                                         &NoiseGatePedal::release};
    for (const Row& row : rows) {
        gate.OnControl(row.knob, row.value);
        const int index = row.knob - NoiseGatePedal::kThresholdKnob;
        EXPECT_EQ(gate.*fields[index], row.stored) << row.knob;
        EXPECT_STREQ(gate.knobs[index].caption, row.reading);
    }
}

TEST(AmpPedalTest, PlaysTheModelOnTheSixteenBitBlock) {
    struct Row {
        std::vector<float> weights;
        int16_t in;
        int16_t out;  // on the second sample, once the FIR has the input twice
        bool clipped;
    } rows[] = {
        {{0.5f}, 10000, 5000, false},
        {{0.25f, 0.25f}, -16000, -8000, false},
        {{4.0f}, 16000, 32767, true},
        {{-4.0f}, 16000, -32768, true},
    };
    for (const Row& row : rows) {
        AmpPedal amp;
        amp.Init(kRate, kKeyAmp);
        ASSERT_EQ(amp.LoadModel(LinearModel(row.weights), "/m/test.nam"), "");
        amp.enabled = 1;
        int16_t block[64];
        std::fill(std::begin(block), std::end(block), row.in);
        amp.ProcessBlock(block, 64);
        EXPECT_EQ(block[1], row.out);
        EXPECT_EQ(amp.peakIndicator.load() != 0, row.clipped);
    }
}

TEST(AmpPedalTest, PassesThroughWithoutAModelAndKeepsItsModelOnARefusal) {
    AmpPedal amp;
    amp.Init(kRate, kKeyAmp);
    amp.enabled = 1;
    int16_t block[4] = {1, -2, 300, -32768};
    amp.ProcessBlock(block, 4);
    EXPECT_EQ(block[2], 300);
    EXPECT_EQ(block[3], -32768);

    ASSERT_EQ(amp.LoadModel(LinearModel({0.5f}), "/m/half.nam"), "");
    EXPECT_NE(amp.LoadModel(R"({"version": "0.5.4", "architecture": "Linear")", "/m/bad.nam"), "");
    EXPECT_EQ(amp.modelPath(), "/m/half.nam");
    int16_t again[2] = {1000, 1000};
    amp.ProcessBlock(again, 2);
    EXPECT_EQ(again[1], 500);
}

TEST(AmpPedalTest, ReportsTheResamplingLatencyOnlyWhileOnAtAnotherRate) {
    AmpPedal amp;
    amp.Init(44100, kKeyAmp);
    ASSERT_EQ(amp.LoadModel(LinearModel({1.0f}), "/m/unity.nam"), "");
    EXPECT_EQ(amp.LatencyFrames(), 0);  // off
    amp.enabled = 1;
    EXPECT_GT(amp.LatencyFrames(), 0);
    amp.Init(kRate, kKeyAmp);  // the model's own rate: no resampling
    EXPECT_EQ(amp.LatencyFrames(), 0);
}

TEST(CabinetPedalTest, ConvolvesWithTheLoadedResponseAndMixesAndLevels) {
    struct Row {
        int32_t levelDb, mixPercent;
        int16_t first, second;  // an impulse of 16384 through {0.6, 0.8}
    } rows[] = {
        {0, 100, 9830, 13107},
        {0, 0, 16384, 0},
        {-6, 100, 4927, 6570},
    };
    for (const Row& row : rows) {
        CabinetPedal cabinet;
        cabinet.Init(kRate, kKeyCabinet);
        // {3, 4} has energy 25: it plays as {0.6, 0.8}.
        ASSERT_EQ(cabinet.LoadImpulse(Wav16({3000, 4000}, kRate), "/c/two.wav"), "");
        cabinet.enabled = 1;
        cabinet.SetLevelDb(row.levelDb);
        cabinet.SetMixPercent(row.mixPercent);
        int16_t warm[64] = {};  // the gains glide over the first block
        cabinet.ProcessBlock(warm, 64);
        int16_t block[64] = {16384};
        cabinet.ProcessBlock(block, 64);
        EXPECT_NEAR(block[0], row.first, 1) << row.levelDb << " " << row.mixPercent;
        EXPECT_NEAR(block[1], row.second, 1);
        EXPECT_EQ(block[2], 0);
    }
}

TEST(CabinetPedalTest, PlaysTheBuiltInCabinetAndKeepsItOnARefusal) {
    CabinetPedal cabinet;
    cabinet.Init(kRate, kKeyCabinet);
    cabinet.enabled = 1;
    EXPECT_EQ(cabinet.impulsePath(), "");
    int16_t block[256] = {16384};
    cabinet.ProcessBlock(block, 256);
    int nonzero = 0;
    for (int16_t s : block) nonzero += s != 0;
    EXPECT_GT(nonzero, 100);  // a response, not a copy of the impulse

    EXPECT_NE(cabinet.LoadImpulse(Wav16({0, 0, 0}, kRate), "/c/silent.wav"), "");
    EXPECT_NE(cabinet.LoadImpulse({}, "/c/empty.wav"), "");
    EXPECT_EQ(cabinet.impulsePath(), "");
}

TEST(NewPedalsTest, AllOffAtTheirDefaults) {
    Pedalboard board;
    for (int32_t key : {kKeyNoiseGate, kKeyAmp, kKeyCabinet})
        EXPECT_EQ(board.ByKey(key)->enabled.load(), 0) << key;
    EXPECT_TRUE(board.noiseGate.AtDefaults());
    EXPECT_TRUE(board.amp.AtDefaults());
    EXPECT_TRUE(board.cabinet.AtDefaults());
    board.cabinet.SetMixPercent(50);
    EXPECT_FALSE(board.cabinet.AtDefaults());
}

}  // namespace
}  // namespace ampliro
