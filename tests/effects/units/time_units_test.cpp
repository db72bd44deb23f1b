// The delay and reverb units driven directly, as a plain program would.
#include <gtest/gtest.h>

#include <vector>

#include "effects/units/delay/delay.h"
#include "effects/units/reverb/reverb.h"
#include "tests/effects/units/unit_internals.h"

namespace ampliro::dsp {
namespace {

TEST(DelayUnitTest, LengthsFromMilliseconds) {
    Delay d;
    ASSERT_TRUE(d.Init(44100));
    EXPECT_EQ(UnitInternals::LineLength(d), 132300);
    d.SetDelayMs(500);
    EXPECT_EQ(UnitInternals::DelaySamples(d), 22050);
    d.SetDelayMs(3000);
    EXPECT_EQ(UnitInternals::DelaySamples(d), 132300);
    ASSERT_TRUE(d.Init(11025));
    EXPECT_EQ(UnitInternals::LineLength(d), 33075);
    d.SetDelayMs(1);
    EXPECT_EQ(UnitInternals::DelaySamples(d), 11);
    d.SetCutoff(0);
    EXPECT_EQ(UnitInternals::ToneCoefficient(d), 0);
    d.SetCutoff(64);
    EXPECT_EQ(UnitInternals::ToneCoefficient(d), 16384);
}

// Shortened below the write position, the line wraps it; a new rate
// restarts it, and at the same rate the line is kept, silenced.
TEST(DelayUnitTest, WritePositionAcrossShorteningAndInit) {
    Delay d;
    ASSERT_TRUE(d.Init(8000));
    d.SetDelayMs(100);  // 800 samples
    ClipReport report;
    for (int i = 0; i < 500; ++i) UnitInternals::Step(d, 1, report);
    EXPECT_EQ(UnitInternals::WritePos(d), 500);
    d.SetDelayMs(10);  // 80 samples
    UnitInternals::Step(d, 1, report);
    EXPECT_EQ(UnitInternals::WritePos(d), 0);
    const int32_t* memory = UnitInternals::Line(d);
    ASSERT_TRUE(d.Init(8000));
    EXPECT_EQ(UnitInternals::Line(d), memory);
    Delay big;
    ASSERT_TRUE(big.Init(96000));
    big.SetDelayMs(3000);
    for (int i = 0; i < 100000; ++i) UnitInternals::Step(big, 0, report);
    ASSERT_TRUE(big.Init(8000));
    EXPECT_EQ(UnitInternals::WritePos(big), 0);
}

TEST(DelayUnitTest, ClickReturnsAfterLengthMinusOneSteps) {
    Delay d;
    ASSERT_TRUE(d.Init(8000));
    d.SetDelayMs(1);  // 8 samples
    d.SetDecay(0);
    EXPECT_EQ(UnitInternals::DelaySamples(d), 8);
    ClipReport report;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(UnitInternals::Step(d, i == 0 ? 1000 : 0, report), i == 7 ? 1000 : 0) << i;
    }
    EXPECT_EQ(report.calls, 20);  // one clip step each without feedback
    EXPECT_EQ(report.lastClip, -1);
}

// With full feedback a loud input builds up until the feedback clips: two
// clip steps per sample, and the block reports the same as the steps.
TEST(DelayUnitTest, BlockReportsTheClipStepsTheStepsMake) {
    Delay steps, block;
    for (Delay* d : {&steps, &block}) {
        d->Init(8000);
        d->SetDelayMs(1);
        d->SetDecay(64);
        d->SetCutoff(64);
        d->SetLevel(64);
        d->SetMix(64);
    }
    std::vector<int16_t> in(100, 20000), out = in;
    ClipReport stepReport;
    std::vector<int16_t> expected;
    for (int16_t x : in)
        expected.push_back(static_cast<int16_t>(UnitInternals::Step(steps, x, stepReport)));
    const ClipReport blockReport = block.Process(out.data(), out.size());
    EXPECT_EQ(out, expected);
    EXPECT_EQ(blockReport.calls, 200);
    EXPECT_EQ(blockReport.lastClip, stepReport.lastClip);
    EXPECT_GE(blockReport.lastClip, 0);
    EXPECT_EQ(out.back(), 32767);
}

TEST(DelayUnitTest, WithoutALineTheEchoIsSilence) {
    Delay d;  // never initialised
    d.SetDelayMs(10);
    ClipReport report;
    EXPECT_EQ(UnitInternals::Step(d, 12345, report), 0);
    EXPECT_EQ(report.calls, 0);
    EXPECT_FALSE(d.Init(0));  // no rate: no line
}

TEST(ReverbUnitTest, CombLengthsAndTheirAverage) {
    Reverb r;
    ASSERT_TRUE(r.Init(8000));
    r.SetReverb(1, 32);  // comb 0 at 8 samples, comb 7 at 8 / 2^(7/8) = 4
    EXPECT_EQ(UnitInternals::CombLength(r, 0), 8);
    EXPECT_EQ(UnitInternals::CombLength(r, 7), 4);
    ClipReport report;
    // Each comb gives the impulse back one length later, an eighth of it:
    // two combs at 4, 5 and 6 samples, one at 7 and one at 8.
    std::vector<int32_t> out;
    for (int i = 0; i < 9; ++i) out.push_back(UnitInternals::Step(r, i == 0 ? 8000 : 0, report));
    EXPECT_EQ(out, (std::vector<int32_t>{0, 0, 0, 0, 2000, 2000, 2000, 1000, out[8]}));
    // At 8 the longest comb's first echo meets the 4-sample combs' second,
    // decayed round.
    EXPECT_GT(out[8], 1000);
    EXPECT_LT(out[8], 3000);
    EXPECT_EQ(report.lastClip, -1);
}

TEST(ReverbUnitTest, CombLengthsAndGainsAtTheEnds) {
    struct Row {
        int32_t rate, ms, decay, span;
        int32_t lengths[8];
        int32_t gains[8];
    };
    const Row rows[] = {
        {44100,
         32,
         32,
         1411,
         {1411, 1293, 1186, 1088, 997, 914, 838, 769},
         {3297, 3357, 3413, 3465, 3513, 3559, 3600, 3639}},
        {8000, 1, 32, 8, {8, 7, 6, 6, 5, 5, 4, 4}, {}},
        {44100, 250, 64, 11025, {}, {3809}},
    };
    for (const Row& row : rows) {
        Reverb r;
        ASSERT_TRUE(r.Init(row.rate));
        r.SetReverb(row.ms, row.decay);
        EXPECT_EQ(UnitInternals::SpanSamples(r), row.span) << row.ms;
        for (int i = 0; i < 8; ++i) {
            if (row.lengths[i]) {
                EXPECT_EQ(UnitInternals::CombLength(r, i), row.lengths[i]) << row.ms << " " << i;
            }
            if (row.gains[i]) {
                EXPECT_EQ(UnitInternals::CombGain(r, i), row.gains[i]) << row.ms << " " << i;
            }
        }
    }
}

// At 300 Hz 1 ms rounds to no sample: the combs stay inside their 75-sample
// buffers. At the same rate Init keeps the buffers.
TEST(ReverbUnitTest, ADelayOfNoSamplesKeepsTheCombsInsideTheirBuffers) {
    Reverb r;
    ASSERT_TRUE(r.Init(96000));
    r.SetReverb(1, 32);  // comb 0 at 96 samples
    ASSERT_TRUE(r.Init(300));
    const int32_t* memory = UnitInternals::CombLine(r, 0);
    ASSERT_TRUE(r.Init(300));
    EXPECT_EQ(UnitInternals::CombLine(r, 0), memory);
    r.SetReverb(1, 32);
    r.SetLevel(64);
    r.SetMix(32);
    std::vector<int16_t> block(200, 1000);
    r.Process(block.data(), block.size());
    for (int i = 0; i < 8; ++i) EXPECT_LT(UnitInternals::CombPosition(r, i), 75) << i;
}

TEST(ReverbUnitTest, FeedbackBeyondTheKnobRangeStaysExact) {
    Reverb r;
    ASSERT_TRUE(r.Init(8000));
    r.SetReverb(1, 32);                       // comb 7 is 4 samples long
    UnitInternals::CombGain(r, 7) = 1 << 16;  // 16 times the echo each round
    ClipReport report;
    for (int i = 0; i < 9; ++i) UnitInternals::Step(r, i == 0 ? 32767 : 0, report);
    // Position 1 is written at samples 0, 4 and 8.
    EXPECT_EQ(UnitInternals::CombLine(r, 7)[1], 32767 * 256);
}

TEST(ReverbUnitTest, NotReadyIsSilent) {
    Reverb r;
    ClipReport report;
    EXPECT_EQ(UnitInternals::Step(r, 20000, report), 0);
    r.SetLevel(64);
    r.SetMix(64);
    int16_t block[4] = {1000, 2000, 3000, 4000};
    const ClipReport blockReport = r.Process(block, 4);
    EXPECT_EQ(blockReport.calls, 0);
    for (int16_t v : block) EXPECT_EQ(v, 0);
}

}  // namespace
}  // namespace ampliro::dsp
