#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "effects/pedals/pitch_shifter_pedal.h"

namespace ampliro {
namespace {

std::vector<int16_t> Sine(int count, double hz, int rate, int offset) {
    std::vector<int16_t> s(count);
    for (int i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * (i + offset) / rate));
    return s;
}

TEST(PitchShifterTest, FirstBlocksPassDryUntilAWholeBlockIsShifted) {
    PitchShifterPedal p;
    p.Init(44100, 3);
    p.enabled = 1;
    p.level = 32;
    int dryBlocks = 0;
    bool wetSeen = false;
    for (int b = 0; b < 200 && !wetSeen; ++b) {
        std::vector<int16_t> block = Sine(448, 440, 44100, b * 448);
        std::vector<int16_t> levelled(block.size());
        for (size_t i = 0; i < block.size(); ++i)
            levelled[i] = static_cast<int16_t>((block[i] * 32) >> 6);
        p.ProcessBlock(block.data(), 448);
        if (block == levelled)
            ++dryBlocks;
        else
            wetSeen = true;
    }
    EXPECT_GE(dryBlocks, 1);
    EXPECT_TRUE(wetSeen);
}

TEST(PitchShifterTest, UnityLevelAndMixZeroLeaveTheBlockUnchanged) {
    PitchShifterPedal p;
    p.Init(44100, 3);
    p.enabled = 1;
    p.level = 64;
    p.mix = 0;
    for (int b = 0; b < 50; ++b) {
        std::vector<int16_t> block = Sine(448, 300, 44100, b * 448);
        const std::vector<int16_t> original = block;
        p.ProcessBlock(block.data(), 448);
        ASSERT_EQ(block, original) << b;
    }
}

TEST(PitchShifterTest, PitchChangeIsHandedToTheAudioSide) {
    PitchShifterPedal p;
    p.Init(44100, 3);
    EXPECT_EQ(p.semitones, 3);
    p.OnControl(2, 0);  // knob 0 is -12 semitones
    EXPECT_EQ(p.semitones, -12);
    p.OnControl(2, 99);
    EXPECT_EQ(p.semitones, 12);
    p.OnControl(2, 12);
    EXPECT_EQ(p.semitones, 0);
}

// The knob's new pitch reaches SoundTouch on the main thread at once: a pedal
// turned to +5 before its first block sounds exactly like one set up at +5.
TEST(PitchShifterTest, KnobPitchIsAppliedAtOnce) {
    PitchShifterPedal turned;
    PitchShifterPedal built;
    turned.Init(44100, 3);
    built.semitones = 5;
    built.Init(44100, 3);
    turned.OnControl(2, 17);
    bool wetSeen = false;
    for (PitchShifterPedal* p : {&turned, &built}) {
        p->enabled = 1;
        p->level = 64;
        p->mix = 64;
    }
    for (int b = 0; b < 60; ++b) {
        std::vector<int16_t> a = Sine(448, 330, 44100, b * 448);
        std::vector<int16_t> c = a;
        const std::vector<int16_t> dry = a;
        turned.ProcessBlock(a.data(), 448);
        built.ProcessBlock(c.data(), 448);
        ASSERT_EQ(a, c) << b;
        wetSeen = wetSeen || a != dry;
    }
    EXPECT_TRUE(wetSeen);
}

// The knob turns on the main thread while the audio thread shifts block after
// block: neither waits for the other, and every block comes out whole.
TEST(PitchShifterTest, KnobTurnsWhileTheAudioThreadShifts) {
    PitchShifterPedal p;
    p.Init(44100, 3);
    p.enabled = 1;
    p.level = 64;
    p.mix = 64;
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        while (!done.load()) {
            std::vector<int16_t> block = Sine(448, 440, 44100, blocks.load() * 448);
            p.ProcessBlock(block.data(), 448);
            blocks.fetch_add(1);
        }
    });
    int32_t last = 0;
    for (int turn = 0; turn < 400 || blocks.load() < 200; ++turn) {
        last = turn % 25;
        p.OnControl(2, last);
    }
    done.store(true);
    audio.join();
    EXPECT_EQ(p.semitones, last - 12);
    EXPECT_GE(blocks.load(), 200);
}

// A block longer than the 4800-sample step is fed, and drained, as that
// step and the rest: the samples of those two blocks one after the other.
TEST(PitchShifterTest, BlocksLongerThanOneStepAreProcessedInParts) {
    PitchShifterPedal whole, parts;
    for (PitchShifterPedal* p : {&whole, &parts}) {
        p->Init(44100, 3);
        p->enabled = 1;
        p->level = 48;
    }
    std::vector<int16_t> viaWhole = Sine(6000 * 6, 440, 44100, 0);
    std::vector<int16_t> viaParts = viaWhole;
    const std::vector<int16_t> original = viaWhole;
    for (int32_t start = 0; start < 6000 * 6; start += 6000) {
        whole.ProcessBlock(viaWhole.data() + start, 6000);
        parts.ProcessBlock(viaParts.data() + start, 4800);
        parts.ProcessBlock(viaParts.data() + start + 4800, 1200);
    }
    EXPECT_EQ(viaWhole, viaParts);
    EXPECT_NE(viaWhole, original);
}

TEST(PitchShifterTest, BypassedBlockIsBitExact) {
    PitchShifterPedal p;
    p.Init(44100, 3);
    std::vector<int16_t> block = Sine(448, 300, 44100, 0);
    const std::vector<int16_t> original = block;
    p.ProcessBlock(block.data(), 448);
    EXPECT_EQ(block, original);
}

}  // namespace
}  // namespace ampliro
