#include <gtest/gtest.h>

#include <vector>

#include "effects/units/tone_stack/tone_stack.h"
#include "effects/units/wavetable_lfo/wavetable_lfo.h"

namespace ampliro {
namespace {

TEST(ToneStackTest, UnityGainsDelayTheInputByThreeSamples) {
    dsp::ToneStack ts;
    ts.Design(880, 5000, 44100);
    const std::vector<int32_t> in = {1000, -2000, 32767, -32768, 5, 0, 777, -1, 12345, 0, 0, 0};
    for (size_t i = 0; i < in.size(); ++i) {
        const int32_t expected = i < 3 ? 0 : in[i - 3];
        EXPECT_EQ(ts.Process(in[i]), expected) << "sample " << i;
    }
}

TEST(ToneStackTest, CoefficientsUseSinglePrecisionPi) {
    dsp::ToneStack ts;
    ts.Design(880, 5000, 44100);
    EXPECT_EQ(ts.lowCoef, 4105);    // sin(pi 880 / 44100) x 65536
    EXPECT_EQ(ts.highCoef, 22852);  // sin(pi 5000 / 44100) x 65536
    ts.Design(880, 5000, 8000);
    EXPECT_EQ(ts.highCoef, 60547);  // over-relaxed at low rates, still stable
    ts.lowGain = 64;
    ts.midGain = 64;
    ts.highGain = 64;
    // The upper chain's Q16 coefficient times full-scale steps needs more than
    // 32 bits; the output must stay bounded and finite (twice the input).
    int32_t peak = 0;
    for (int i = 0; i < 4000; ++i) {
        const int32_t y = ts.Process(i % 2 ? 32767 : -32768);
        peak = std::max(peak, std::abs(y));
    }
    EXPECT_GT(peak, 30000);
    EXPECT_LT(peak, 1 << 20);
}

TEST(ToneStackTest, DesignClearsStateAndGains) {
    dsp::ToneStack ts;
    ts.Design(880, 5000, 44100);
    ts.lowGain = 10;
    for (int i = 0; i < 10; ++i) ts.Process(20000);
    ts.Design(880, 5000, 44100);
    EXPECT_EQ(ts.lowGain, 32);
    EXPECT_EQ(ts.Process(100), 0);
    EXPECT_EQ(ts.history[0], 100);
    EXPECT_EQ(ts.lowState[0], ((100 * 4105) >> 15));
}

// The block path against the sample loop, over block sizes around the
// kernels' chunk, at a rate where the upper chain over-relaxes, and from a
// state that single samples beyond 16 bits have left out of that range.
TEST(ToneStackTest, BlocksMatchTheSampleLoop) {
    for (int32_t rate : {44100, 8000}) {
        for (bool wideStart : {false, true}) {
            dsp::ToneStack one, block;
            for (dsp::ToneStack* ts : {&one, &block}) {
                ts->Design(880, 5000, rate);
                ts->lowGain = 64;
                ts->midGain = 7;
                ts->highGain = 50;
                if (wideStart) ts->Process(1 << 30);
            }
            std::vector<int16_t> in(3000);
            uint32_t seed = 99;
            for (int16_t& v : in) {
                seed = seed * 1664525u + 1013904223u;
                v = static_cast<int16_t>(seed >> 16);
            }
            std::vector<int32_t> expected, got(in.size());
            for (int16_t v : in) expected.push_back(one.Process(v));
            const int32_t sizes[] = {1, 2, 3, 4, 5, 255, 256, 257, 700, 1000};
            int32_t done = 0;
            for (int k = 0; done < static_cast<int32_t>(in.size()); ++k) {
                const int32_t n = std::min<int32_t>(sizes[k % 10], in.size() - done);
                block.Run(in.data() + done, got.data() + done, n, block.LoadGains());
                done += n;
            }
            EXPECT_EQ(got, expected) << rate << (wideStart ? " from a wide state" : "");
        }
    }
}

TEST(WavetableLfoTest, TablesMatchTheirSineFormulas) {
    dsp::WavetableLfo uni;
    ASSERT_TRUE(uni.Create(44100, 256, true));
    EXPECT_EQ(uni.TableAt(0), 16384);
    // Single-precision 2 pi puts entry 64 a hair past the crest, so the top
    // truncates to 32766; entry 192 lands a hair above the trough.
    EXPECT_EQ(uni.TableAt(64), 32766);
    EXPECT_EQ(uni.TableAt(192), 1);
    EXPECT_EQ(uni.span, 256 << 15);
    dsp::WavetableLfo bi;
    ASSERT_TRUE(bi.Create(44100, 256, false));
    EXPECT_EQ(bi.TableAt(0), 0);
    EXPECT_EQ(bi.TableAt(64), 32766);
    EXPECT_EQ(bi.TableAt(192), -32766);
    // sin(2 pi 32 / 256) x 32767 = 0.7071 x 32767
    EXPECT_EQ(bi.TableAt(32), 23169);
}

TEST(WavetableLfoTest, IncrementsAt44100) {
    dsp::WavetableLfo tremolo, phaser, chorus;
    tremolo.Create(44100, 256, true);
    phaser.Create(44100, 1024, true);
    chorus.Create(44100, 256, false);
    tremolo.SetFrequency(32 * 0.25f);
    phaser.SetFrequency(32 * 0.015625f);
    chorus.SetFrequency(16 * 0.03125f);
    EXPECT_EQ(tremolo.increment, 1521);
    EXPECT_EQ(phaser.increment, 380);
    EXPECT_EQ(chorus.increment, 95);
}

// A block of values against the same number of single steps, for tables of
// power-of-two and other lengths and steps up to nearly a period.
TEST(WavetableLfoTest, FillGivesTheValuesOfSingleSteps) {
    for (int32_t length : {256, 1024, 300}) {
        for (float hz : {0.5f, 7.0f, 40000.0f}) {
            dsp::WavetableLfo stepped, filled;
            stepped.Create(44100, length, length != 256);
            filled.Create(44100, length, length != 256);
            stepped.SetFrequency(hz);
            filled.SetFrequency(hz);
            for (int32_t block : {1, 255, 256, 17}) {
                int32_t values[dsp::WavetableLfo::kChunk];
                filled.Fill(values, block);
                for (int32_t n = 0; n < block; ++n) {
                    ASSERT_EQ(values[n], stepped.Next()) << length << " " << hz << " " << n;
                }
                EXPECT_EQ(filled.phase, stepped.phase);
                EXPECT_EQ(filled.cycles, stepped.cycles);
            }
        }
    }
}

TEST(WavetableLfoTest, AnEmptyTableIsRefusedAndOutputsZero) {
    dsp::WavetableLfo lfo;
    EXPECT_FALSE(lfo.Create(44100, 0, true));
    lfo.SetFrequency(1.0f);
    EXPECT_EQ(lfo.Next(), 0);
    int32_t values[3] = {5, 5, 5};
    lfo.Fill(values, 3);
    EXPECT_EQ(values[0] | values[1] | values[2], 0);
}

TEST(WavetableLfoTest, InterpolatesAndWrapsToEntryZero) {
    dsp::WavetableLfo lfo;
    lfo.Create(44100, 256, false);
    lfo.phase = lfo.span - 1;  // frac 32767 between entry 255 and entry 0
    const int32_t last = lfo.TableAt(255);
    const int32_t expected = static_cast<int32_t>((int64_t(last) * 1 + 0 * 32767) >> 15);
    lfo.SetFrequency(0.5f);
    EXPECT_EQ(lfo.Next(), expected);
    EXPECT_EQ(lfo.phase, 95 - 1);
    EXPECT_EQ(lfo.cycles, 1);

    lfo.phase = (10 << 15) + 16384;  // half way between entries 10 and 11
    EXPECT_EQ(lfo.Next(), (lfo.TableAt(10) + lfo.TableAt(11)) * 16384 >> 15);
}

TEST(WavetableLfoTest, ZeroNegativeAndHugeFrequenciesStayInsideTheTable) {
    dsp::WavetableLfo lfo;
    lfo.Create(44100, 256, true);
    lfo.SetFrequency(0.0f);
    const int32_t held = lfo.Next();
    EXPECT_EQ(lfo.Next(), held);
    lfo.SetFrequency(-3.0f);
    EXPECT_EQ(lfo.increment, 0);
    lfo.SetFrequency(1e30f);
    EXPECT_LT(lfo.increment, lfo.span);
    for (int i = 0; i < 1000; ++i) {
        const int32_t v = lfo.Next();
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 32767);
        ASSERT_GE(lfo.phase, 0);
        ASSERT_LT(lfo.phase, lfo.span);
    }
}

}  // namespace
}  // namespace ampliro
