#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/pedals/graphic_eq_pedal.h"
#include "effects/pedals/parametric_eq_pedal.h"

namespace ampliro {
namespace {

TEST(ParametricEqTest, UndampedFilterStaysDefinedAndClipped) {
    ParametricEqPedal eq;
    eq.Init(44100, 6);
    eq.OnControl(3, 64);  // no damping: rings without decay
    eq.OnControl(2, 3000);
    eq.enabled = 1;
    eq.level = 64;
    eq.mix = 64;
    std::vector<int16_t> block(4096);
    int clipped = 0;
    for (int round = 0; round < 200; ++round) {
        for (size_t i = 0; i < block.size(); ++i) block[i] = (i / 3) % 2 ? 20000 : -20000;
        eq.ProcessBlock(block.data(), static_cast<int32_t>(block.size()));
        for (int16_t s : block) clipped += s == 32767 || s == -32768;
    }
    EXPECT_GT(clipped, 0);
    EXPECT_EQ(eq.peakIndicator, 1);
}

TEST(GraphicEqTest, WorkedBandCoefficients) {
    dsp::GraphicBank bank;
    ASSERT_TRUE(bank.Setup(44100));
    bank.SetBand(4, 10);  // band 5, 1600 Hz, at +10 dB
    const int32_t expect5[5] = {38990, -58234, 20790, 58234, -27012};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(bank.Coefficient(4, k), expect5[k]) << k;
    bank.SetBand(6, -10);  // band 7, 6400 Hz, at -10 dB
    const int32_t expect7[5] = {20331, -17853, 8827, 17853, 3609};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(bank.Coefficient(6, k), expect7[k]) << k;
}

// Band 5 at +10 dB through the pedal: the impulse response of the biquad
// y = (b0 x + b1 x1 + b2 x2 + a1 y1 + a2 y2 + e) >> 15 with those
// coefficients, e being the low 15 bits the previous sample's shift dropped.
TEST(GraphicEqTest, BandFiveAtPlusTenRingsWithItsCoefficients) {
    const int64_t c[5] = {38990, -58234, 20790, 58234, -27012};
    std::vector<int16_t> expected(64);
    int64_t x1 = 0, x2 = 0, y1 = 0, y2 = 0, e = 0;
    for (int32_t i = 0; i < 64; ++i) {
        const int64_t x = i == 0 ? 10000 : 0;
        const int64_t sum = c[0] * x + c[1] * x1 + c[2] * x2 + c[3] * y1 + c[4] * y2 + e;
        const int64_t y = sum >> 15;
        e = sum - y * 32768;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        expected[i] = static_cast<int16_t>(y);
    }
    GraphicEqPedal geq;
    geq.Init(44100, 7);
    geq.enabled = 1;
    geq.level = 64;
    geq.OnControl(6, 0);  // band 5's slider at the top
    std::vector<int16_t> s(64, 0);
    s[0] = 10000;
    geq.ProcessBlock(s.data(), 64);
    EXPECT_EQ(s, expected);
}

TEST(GraphicEqTest, FlatBankIsTheLevelStageOnly) {
    GraphicEqPedal geq;
    geq.Init(44100, 7);
    geq.enabled = 1;
    geq.level = 32;
    int16_t block[] = {1000, -1001, 32767, -32768};
    geq.ProcessBlock(block, 4);
    EXPECT_EQ(block[0], 500);
    EXPECT_EQ(block[1], -501);
    EXPECT_EQ(block[2], 16383);
    EXPECT_EQ(block[3], -16384);
}

TEST(GraphicEqTest, BoostedBandsSaturateWithoutOverflow) {
    GraphicEqPedal geq;
    geq.Init(44100, 7);
    for (int id = 2; id <= 8; ++id) geq.OnControl(id, 0);
    geq.enabled = 1;
    geq.level = 64;
    std::vector<int16_t> block(8192);
    for (size_t i = 0; i < block.size(); ++i) block[i] = (i / 20) % 2 ? 32767 : -32768;
    geq.ProcessBlock(block.data(), static_cast<int32_t>(block.size()));
    EXPECT_EQ(geq.peakIndicator, 1);
}

TEST(GraphicEqTest, BankThatIsNotSetUpSkipsEveryBand) {
    // A bank whose allocation failed is in the same state as one never set
    // up: every band is skipped and SetBand changes nothing.
    dsp::GraphicBank bank;
    EXPECT_FALSE(bank.ready());
    bank.SetBand(3, 10);
    EXPECT_EQ(bank.Gain(3), 0);
    EXPECT_EQ(bank.Process(1234), 1234);
    EXPECT_EQ(bank.Process(-32768), -32768);
}

TEST(GraphicEqTest, BlocksOfEveryLengthMatchSampleBySample) {
    // Blocks from 11 to 14 samples cross the length from which the bands run
    // side by side; their output and the bands' states must be those of one
    // sample at a time, or a block boundary would click.
    const int32_t gains[dsp::kGraphicBands] = {3, -5, 7, 0, 2, 12, -12};
    dsp::GraphicBank blocks, single;
    ASSERT_TRUE(blocks.Setup(44100));
    ASSERT_TRUE(single.Setup(44100));
    for (int b = 0; b < dsp::kGraphicBands; ++b) {
        blocks.SetBand(b, gains[b]);
        single.SetBand(b, gains[b]);
    }
    std::vector<int32_t> x(3000), expected(3000);
    uint32_t noise = 12345;
    for (size_t i = 0; i < x.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        x[i] = static_cast<int32_t>(noise >> 16) - 32768;
        expected[i] = single.Process(x[i]);
    }
    const int32_t sizes[] = {11, 12, 13, 14, 256};
    int32_t done = 0;
    for (int k = 0; done < static_cast<int32_t>(x.size()); ++k) {
        const int32_t n = std::min<int32_t>(sizes[k % 5], static_cast<int32_t>(x.size()) - done);
        blocks.ProcessBlock(x.data() + done, n);
        done += n;
    }
    EXPECT_EQ(x, expected);
}

TEST(GraphicEqTest, SliderPositionsMapToDecibels) {
    GraphicEqPedal geq;
    geq.Init(22050, 7);
    geq.OnControl(2, 10);
    EXPECT_EQ(geq.bandGain[0], 0);
    geq.OnControl(2, 3);
    EXPECT_EQ(geq.bandGain[0], 7);
    geq.OnControl(8, 20);  // band 7's slider at the bottom: -10 dB
    EXPECT_EQ(geq.bandGain[6], -10);
    geq.OnControl(1, 16);
    EXPECT_EQ(geq.level, 48);
}

}  // namespace
}  // namespace ampliro
