// Every pedal at a JACK server's period: the stream's blocks are then the
// period's length, and each pedal must sound as it does at the block of the
// latency setting, which is what the offline renderer uses.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream_format.h"
#include "effects/pedalboard.h"

namespace ampliro {
namespace {

constexpr int32_t kRate44kIndex = 3;
constexpr int32_t kDefaultBlock = 448;  // latency setting 12 at 44100 Hz

// A second of a chord with a swell and some hiss: enough to drive every
// pedal's filters, modulation and tails.
std::vector<int16_t> TestSignal() {
    std::vector<int16_t> signal(kDefaultBlock * 100);
    uint32_t noise = 12345;
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        noise = noise * 1664525u + 1013904223u;
        const double swell = std::min(1.0, t * 4.0);
        const double x =
            swell * (0.3 * std::sin(2 * M_PI * 110 * t) + 0.2 * std::sin(2 * M_PI * 329.6 * t)) +
            0.02 * (static_cast<double>(noise >> 16) / 32768.0 - 1.0);
        signal[i] = static_cast<int16_t>(std::lrint(x * 32767.0));
    }
    return signal;
}

// The signal through a fresh board with only `key` switched on, in blocks,
// and the latency the pedal then reports.
std::vector<int16_t> Render(int32_t key, int32_t block, int32_t* latency) {
    auto board = std::make_unique<Pedalboard>();
    SetChainEffects(board->AllByKey());
    RestoreDefaultOrder();
    MuteInput = 0;
    SetLatencySetting(kDefaultLatency);
    ApplySampleRate(kRate44kIndex);
    Effect* pedal = board->ByKey(key);
    if (pedal->enabled.load() == 0) pedal->ToggleEnabled();
    std::vector<int16_t> out = TestSignal();
    for (size_t first = 0; first < out.size(); first += static_cast<size_t>(block)) {
        ProcessingPass(out.data() + first, block);
    }
    *latency = pedal->LatencyFrames();
    return out;
}

TEST(PedalBlocksTest, EachPedalSoundsTheSameAtA64FramePeriod) {
    ASSERT_EQ(BufferSizeFor(kRate44kIndex, kDefaultLatency) / 2,
              static_cast<uint32_t>(kDefaultBlock));
    for (int32_t key = 0; key < kEffectCount; ++key) {
        int32_t referenceLatency = 0;
        int32_t periodLatency = 0;
        const std::vector<int16_t> reference = Render(key, kDefaultBlock, &referenceLatency);
        const std::vector<int16_t> period = Render(key, 64, &periodLatency);
        // The Pitch Shifter gathers its own 448-frame blocks from the
        // periods and plays each one block later, and says so; its first
        // block is silent.
        EXPECT_EQ(periodLatency - referenceLatency, key == kKeyPitchShifter ? kDefaultBlock : 0)
            << "pedal " << key;
        const size_t shift = static_cast<size_t>(periodLatency - referenceLatency);
        size_t differing = 0;
        size_t first = 0;
        for (size_t i = 0; i + shift < period.size(); ++i) {
            if (period[i + shift] != reference[i] && differing++ == 0) first = i;
        }
        EXPECT_EQ(differing, 0u) << "pedal " << key << ", first at frame " << first;
        EXPECT_NE(reference, TestSignal()) << "pedal " << key << " changed nothing";
        for (size_t i = 0; i < shift; ++i) ASSERT_EQ(period[i], 0) << i;
    }
}

}  // namespace
}  // namespace ampliro
