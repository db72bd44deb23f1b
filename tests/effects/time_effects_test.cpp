#include <gtest/gtest.h>

#include <vector>

#include "effects/pedals/delay_pedal.h"
#include "effects/pedals/reverb_pedal.h"

namespace ampliro {
namespace {

TEST(DelayTest, LengthsFromMilliseconds) {
    DelayPedal d;
    d.Init(44100, 4);
    EXPECT_EQ(d.bufferLength, 132300);
    EXPECT_EQ(d.delaySamples, 22050);
    d.OnControl(2, 3000);
    EXPECT_EQ(d.delaySamples, 132300);
    d.OnControl(2, 5000);
    EXPECT_EQ(d.delayMs, 3000);
    d.Init(8000, 4);
    d.OnControl(2, 1);
    EXPECT_EQ(d.delaySamples, 8);
    d.Init(11025, 4);
    EXPECT_EQ(d.delaySamples, 11);
}

TEST(DelayTest, ClickReturnsOnceAfterLengthMinusOneSamples) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(1, 0);  // 8 samples, no feedback
    std::vector<int32_t> out;
    for (int i = 0; i < 30; ++i) out.push_back(d.ProcessSample(i == 0 ? 1000 : 0));
    for (int i = 0; i < 30; ++i) EXPECT_EQ(out[i], i == 7 ? 1000 : 0) << i;
}

// The block path counts the peak hold down as the per-sample path does: two
// clip calls per sample with feedback, one without, the lamp lit by clipped
// feedback and out again rate calls after the last one.
TEST(DelayTest, PeakLampFollowsTheSameCallsInBlocks) {
    for (int32_t decay : {0, 60}) {
        DelayPedal block, single;
        for (DelayPedal* d : {&block, &single}) {
            d->Init(8000, 4);
            d->SetDelay(10, decay);
            d->level = 64;
            d->mix = 64;
            d->enabled = 1;
        }
        std::vector<int16_t> s(12000, 0);
        for (int i = 0; i < 300; ++i) s[i] = static_cast<int16_t>(i % 2 ? 30000 : -30000);
        bool lit = false;
        for (int start = 0; start < 12000; start += 100) {
            for (int i = start; i < start + 100; ++i) single.ProcessSample(s[i]);
            block.ProcessBlock(s.data() + start, 100);
            EXPECT_EQ(block.peakHold, single.peakHold) << decay << " " << start;
            EXPECT_EQ(block.peakIndicator, single.peakIndicator) << decay << " " << start;
            lit = lit || block.peakIndicator != 0;
        }
        EXPECT_EQ(lit, decay != 0);
        EXPECT_EQ(block.peakIndicator, 0);
    }
}

TEST(DelayTest, FeedbackBuildsUpUntilClipped) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(1, 64);
    int32_t last = 0;
    for (int i = 0; i < 2000; ++i) last = d.ProcessSample(20000);
    EXPECT_EQ(last, 32767);
    EXPECT_EQ(d.peakIndicator, 1);
}

TEST(DelayTest, ShorteningWrapsTheWritePosition) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(100, 0);  // 800 samples
    for (int i = 0; i < 500; ++i) d.ProcessSample(1);
    EXPECT_EQ(d.writePos, 500);
    d.SetDelay(10, 0);  // 80 samples
    d.ProcessSample(1);
    EXPECT_EQ(d.writePos, 0);
}

// Blocks give the samples the steps one by one give, also when the delay is
// shortened under the write position and when feedback clips.
TEST(DelayTest, BlocksMatchSingleStepsAcrossAShortening) {
    DelayPedal blocks;
    DelayPedal steps;
    for (DelayPedal* d : {&blocks, &steps}) {
        d->Init(8000, 4);
        d->enabled = 1;
        d->level = 64;
        d->mix = 64;
        d->SetDelay(100, 64);  // 800 samples, full feedback
    }
    std::vector<int16_t> input(3000);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<int16_t>((i * 7919) % 30000);
    std::vector<int16_t> block = input;
    std::vector<int16_t> single = input;
    for (size_t start = 0; start < input.size(); start += 300) {
        if (start == 1200) {
            blocks.SetDelay(10, 64);  // 80 samples, under the write position
            steps.SetDelay(10, 64);
        }
        blocks.ProcessBlock(block.data() + start, 300);
        for (size_t i = start; i < start + 300; ++i) {
            single[i] = static_cast<int16_t>(steps.ProcessSample(single[i]));
        }
    }
    EXPECT_EQ(block, single);
    EXPECT_EQ(blocks.writePos, steps.writePos);
    EXPECT_EQ(blocks.peakIndicator, 1);
    EXPECT_EQ(blocks.peakHold, steps.peakHold);
}

TEST(DelayTest, CutoffEndpointsAndFootswitchClear) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(1, 0);
    d.enabled = 1;
    d.level = 64;
    d.mix = 64;
    d.OnControl(4, 0);  // silences the wet path
    EXPECT_EQ(d.toneCoef, 0);
    std::vector<int16_t> block(16, 1000);
    d.ProcessBlock(block.data(), 16);
    EXPECT_EQ(block, std::vector<int16_t>(16, 0));

    d.OnControl(4, 64);
    EXPECT_EQ(d.toneCoef, 16384);
    d.OnControl(12, 0);  // off, memory cleared
    EXPECT_EQ(d.enabled, 0);
    d.OnControl(12, 0);  // on again
    std::vector<int16_t> after(16, 0);
    d.ProcessBlock(after.data(), 16);
    EXPECT_EQ(after, std::vector<int16_t>(16, 0));
}

TEST(DelayTest, SwitchingToALowerRateRestartsTheWritePosition) {
    DelayPedal d;
    d.Init(96000, 4);
    d.SetDelay(3000, 0);
    for (int i = 0; i < 100000; ++i) d.ProcessSample(0);
    d.Init(8000, 4);
    EXPECT_EQ(d.writePos, 0);
    for (int i = 0; i < 100; ++i) d.ProcessSample(5);
}

// A preset load initialises the pedals again at the rate they run at: the
// memory they hold is kept, but nothing played before may echo afterwards.
TEST(DelayTest, InitAgainAtTheSameRateKeepsTheMemoryAndSilencesIt) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(1, 0);
    for (int i = 0; i < 4; ++i) d.ProcessSample(1000);
    const int32_t* memory = d.buffer.get();
    d.Init(8000, 4);
    EXPECT_EQ(d.buffer.get(), memory);
    d.SetDelay(1, 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(d.ProcessSample(0), 0) << i;
    d.Init(11025, 4);
    EXPECT_EQ(d.bufferLength, 33075);
}

TEST(ReverbTest, InitAgainAtTheSameRateKeepsTheMemoryAndSilencesIt) {
    ReverbPedal r;
    r.Init(8000, 1);
    r.SetReverb(1, 32);
    for (int i = 0; i < 4; ++i) r.ProcessSample(8000);
    const int32_t* memory = r.combBuffer[0].get();
    r.Init(8000, 1);
    EXPECT_EQ(r.combBuffer[0].get(), memory);
    r.SetReverb(1, 32);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r.ProcessSample(0), 0) << i;
    r.Init(11025, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r.ProcessSample(0), 0) << i;
}

TEST(ReverbTest, CombLengthsAndGainsAtDefaults) {
    ReverbPedal r;
    r.Init(44100, 1);
    EXPECT_EQ(r.spanSamples, 1411);
    const int32_t lengths[8] = {1411, 1293, 1186, 1088, 997, 914, 838, 769};
    const int32_t gains[8] = {3297, 3357, 3413, 3465, 3513, 3559, 3600, 3639};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(r.combLength[i], lengths[i]) << i;
        EXPECT_EQ(r.combGain[i], gains[i]) << i;
    }
}

TEST(ReverbTest, LongestAndShortestBases) {
    ReverbPedal r;
    r.Init(44100, 1);
    r.SetReverb(250, 64);
    EXPECT_EQ(r.spanSamples, 11025);
    EXPECT_EQ(r.combGain[0], 3809);
    r.Init(8000, 1);
    r.SetReverb(1, 32);
    const int32_t lengths[8] = {8, 7, 6, 6, 5, 5, 4, 4};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.combLength[i], lengths[i]) << i;
    r.SetReverb(0, 32);  // damaged value: held at 1 ms
    EXPECT_EQ(r.delayMs, 1);
    EXPECT_EQ(r.combLength[0], 8);
}

TEST(ReverbTest, ADelayOfNoSamplesKeepsTheCombsInsideTheirBuffers) {
    ReverbPedal r;
    r.Init(96000, 1);
    r.SetReverb(1, 32);  // comb 0 at 96 samples
    r.Init(300, 1);      // 75-sample buffers, and 1 ms rounds to no sample
    r.enabled = 1;
    std::vector<int16_t> block(200, 1000);
    r.ProcessBlock(block.data(), 200);
    for (int i = 0; i < 8; ++i) EXPECT_LT(r.combPos[i], 75) << i;
}

TEST(ReverbTest, FeedbackBeyondTheKnobRangeStaysExact) {
    ReverbPedal r;
    r.Init(8000, 1);
    r.SetReverb(1, 32);       // comb 7 is 4 samples long
    r.combGain[7] = 1 << 16;  // 16 times the echo each round
    for (int i = 0; i < 9; ++i) r.ProcessSample(i == 0 ? 32767 : 0);
    // Position 1 is written at samples 0, 4 and 8.
    EXPECT_EQ(r.combBuffer[7][1], 32767 * 256);
}

TEST(ReverbTest, CombsEchoTheInputAfterTheirLengths) {
    ReverbPedal r;
    r.Init(8000, 1);
    r.SetReverb(1, 32);  // lengths 8, 7, 6, 6, 5, 5, 4, 4
    std::vector<int32_t> out;
    for (int i = 0; i < 9; ++i) out.push_back(r.ProcessSample(i == 0 ? 8000 : 0));
    // The impulse is written at each comb's position 1 and read again one
    // length later: two combs at 4, two at 5, two at 6, one at 7, one at 8.
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[4], 2000);
    EXPECT_EQ(out[5], 2000);
    EXPECT_EQ(out[6], 2000);
    EXPECT_EQ(out[7], 1000);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(out[i], 0) << i;
}

TEST(ReverbTest, SelectorChoosesTheBandTheFilterKnobEdits) {
    ReverbPedal r;
    r.Init(44100, 1);
    EXPECT_EQ(r.filterIsLow, 0);
    r.OnControl(4, 64);
    EXPECT_EQ(r.hpGain, 64);
    EXPECT_EQ(r.toneStack.highGain, 64);
    EXPECT_EQ(r.ToggleFilterSelector(), 32);  // now LP, knob shows lpGain
    r.OnControl(4, 0);
    EXPECT_EQ(r.lpGain, 0);
    EXPECT_EQ(r.toneStack.lowGain, 0);
    EXPECT_EQ(r.toneStack.midGain, 32);
    r.Init(44100, 1);  // a load: gains kept, selector back to HP
    EXPECT_EQ(r.filterIsLow, 0);
    EXPECT_EQ(r.toneStack.lowGain, 0);
    EXPECT_EQ(r.toneStack.highGain, 64);
}

TEST(ReverbTest, BypassIsExactAndMixZeroIsTheLevelledDry) {
    ReverbPedal r;
    r.Init(44100, 1);
    std::vector<int16_t> block = {100, -200, 32767, -32768};
    const std::vector<int16_t> original = block;
    r.ProcessBlock(block.data(), 4);
    EXPECT_EQ(block, original);
    r.enabled = 1;
    r.mix = 0;
    r.level = 64;
    r.ProcessBlock(block.data(), 4);
    EXPECT_EQ(block, original);
}

}  // namespace
}  // namespace ampliro
