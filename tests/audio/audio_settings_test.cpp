#include "audio/audio_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/stream.h"
#include "platform/audio/output_volume.h"

namespace ampliro {
namespace {

struct Settings {
    int32_t index;
    int32_t latency;
};

void Apply(Settings settings) {
    SetLatencySetting(settings.latency);
    ApplySampleRate(settings.index);
}

TEST(AudioSettingsTest, LatencyGivesTheWorkedBufferSizes) {
    Apply({3, 12});
    EXPECT_EQ(SampleRate(), 44100);
    EXPECT_EQ(StreamSampleRate(), 44100u);
    EXPECT_EQ(StreamBufferSize(), 896u);  // 448 samples
    EXPECT_EQ(HeaderCountFor(StreamBufferSize()), 36u);
    EXPECT_EQ(LatencyMilliseconds(), 20u);

    Apply({1, 1});
    EXPECT_EQ(StreamSampleRate(), 11025u);
    EXPECT_EQ(StreamBufferSize(), 48u);
    EXPECT_EQ(HeaderCountFor(48), 128u);  // 682 by division
    EXPECT_EQ(LatencyMilliseconds(), 4u);

    Apply({5, 50});
    EXPECT_EQ(StreamSampleRate(), 96000u);
    EXPECT_EQ(StreamBufferSize(), 6656u);
    EXPECT_EQ(HeaderCountFor(6656), 4u);
    EXPECT_EQ(LatencyMilliseconds(), 69u);

    Apply({2, 12});
    EXPECT_EQ(StreamBufferSize(), 448u);
    Apply({4, 12});
    EXPECT_EQ(StreamSampleRate(), 48000u);
    EXPECT_EQ(StreamBufferSize(), 896u);
    EXPECT_EQ(LatencyMilliseconds(), 18u);
}

TEST(AudioSettingsTest, IndexZeroTakesItsRateButKeepsTheBufferSize) {
    Apply({3, 12});
    Apply({0, 30});
    EXPECT_EQ(SampleRateIndex(), 0);
    EXPECT_EQ(SampleRate(), 8000);
    EXPECT_EQ(StreamSampleRate(), 8000u);
    EXPECT_EQ(StreamBufferSize(), 896u);
    EXPECT_EQ(LatencyMilliseconds(), 112u);
}

TEST(AudioSettingsTest, UnknownIndexIsStoredButKeepsRateAndBufferSize) {
    Apply({2, 12});
    Apply({7, 40});
    EXPECT_EQ(SampleRateIndex(), 7);
    EXPECT_EQ(SampleRate(), 22050);
    EXPECT_EQ(StreamBufferSize(), 448u);
    Apply({-1, 40});
    EXPECT_EQ(SampleRateIndex(), -1);
    EXPECT_EQ(SampleRate(), 22050);
    EXPECT_EQ(SampleRateForIndex(6), 0);
    EXPECT_EQ(SampleRateForIndex(-1), 0);
}

TEST(AudioSettingsTest, DamagedLatencyIsClampedToTheKnobRange) {
    EXPECT_EQ(BufferSizeFor(3, 0), BufferSizeFor(3, 1));
    EXPECT_EQ(BufferSizeFor(3, -40), 192u);
    EXPECT_EQ(BufferSizeFor(3, 51), BufferSizeFor(3, 50));
    EXPECT_EQ(BufferSizeFor(5, 2147483647), 6656u);
    EXPECT_EQ(BufferSizeFor(1, -2147483647 - 1), 48u);
    EXPECT_EQ(BufferSizeFor(0, 12), 0u);
    EXPECT_EQ(BufferSizeFor(6, 12), 0u);

    Apply({3, -7});
    EXPECT_EQ(StreamBufferSize(), 192u);
    EXPECT_EQ(HeaderCountFor(StreamBufferSize()), 128u);
    Apply({3, 1000000});
    EXPECT_EQ(StreamBufferSize(), 3328u);
    EXPECT_EQ(HeaderCountFor(StreamBufferSize()), 9u);
}

class RecordingMetronome : public MetronomeHook {
  public:
    void TimingStep(int32_t) override {}
    void MixInto(int16_t*, int32_t) override {}
    void SetLampDelay(int32_t milliseconds) override { lampDelay = milliseconds; }
    void SetSampleRate(int32_t hz) override { sampleRate = hz; }
    int32_t lampDelay = -1;
    int32_t sampleRate = -1;
};

std::vector<std::pair<int32_t, int32_t>> gInits;

class InitRecorder : public Effect {
  public:
    int Init(int32_t rate, int32_t key) override {
        gInits.emplace_back(rate, key);
        muteSeen = MuteInput.load();
        return Effect::Init(rate, key);
    }
    int32_t muteSeen = -1;
};

TEST(AudioSettingsTest, ApplySampleRateTellsTheMetronomeAndInitialisesEveryPedal) {
    std::array<InitRecorder, kEffectCount> pedals;
    Effect* byKey[kEffectCount];
    for (int32_t k = 0; k < kEffectCount; ++k) byKey[k] = &pedals[k];
    SetChainEffects(byKey);
    RecordingMetronome metronome;
    InstallMetronome(&metronome);

    gInits.clear();
    MuteInput = 0;
    Apply({2, 17});
    EXPECT_EQ(metronome.lampDelay, 17);
    EXPECT_EQ(metronome.sampleRate, 22050);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{22050, 1}, {22050, 2}, {22050, 4},
                                                               {22050, 5}, {22050, 3}, {22050, 0},
                                                               {22050, 6}, {22050, 7}, {22050, 8}};
    EXPECT_EQ(gInits, expected);
    for (int32_t k = 0; k < kEffectCount; ++k) {
        EXPECT_EQ(pedals[k].effectKey, k);
        EXPECT_EQ(pedals[k].sampleRate, 22050);
        // No pass can reach a pedal while it rebuilds.
        EXPECT_EQ(pedals[k].muteSeen, 1);
    }
    EXPECT_EQ(MuteInput.load(), 0);

    // A caller's own mute (a preset load) is left in place.
    MuteInput = 1;
    InitEffects();
    EXPECT_EQ(MuteInput.load(), 1);
    MuteInput = 0;

    InstallMetronome(nullptr);
    Effect* none[kEffectCount] = {};
    SetChainEffects(none);
}

TEST(AudioSettingsTest, MasterVolumeKeepsBothHalvesOfTheDeviceWord) {
    SetMasterVolume(64);
    EXPECT_EQ(ReadOutputVolume(), 0xFFFFFFFFu);
    EXPECT_EQ(ReadMasterVolume(), 64);
    SetMasterVolume(32);
    EXPECT_EQ(ReadOutputVolume(), 0x7FFF7FFFu);  // 32 x 65535 / 64 = 32767
    EXPECT_EQ(ReadMasterVolume(), 32);
    SetMasterVolume(1);
    EXPECT_EQ(ReadOutputVolume(), 1023u * 65537u);
    EXPECT_EQ(ReadMasterVolume(), 1);
    SetMasterVolume(0);
    EXPECT_EQ(ReadOutputVolume(), 0u);
    EXPECT_EQ(ReadMasterVolume(), 0);

    // The right channel, in the high half, is what the knob reads.
    SetOutputVolume(0x7FFF0000u);
    EXPECT_EQ(ReadMasterVolume(), 32);
    SetOutputVolume(0x0000FFFFu);
    EXPECT_EQ(ReadMasterVolume(), 0);

    SetMasterVolume(65);
    EXPECT_EQ(ReadOutputVolume(), 0xFFFFFFFFu);
    SetMasterVolume(-3);
    EXPECT_EQ(ReadOutputVolume(), 0u);
    SetMasterVolume(64);
}

}  // namespace
}  // namespace ampliro
