// The chorus, phaser and parametric EQ units driven directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "effects/units/chorus/chorus.h"
#include "effects/units/graphic_eq/graphic_bank.h"
#include "effects/units/parametric_eq/parametric_eq.h"
#include "effects/units/phaser/phaser.h"
#include "effects/units/tone_stack/tone_stack.h"
#include "tests/effects/units/unit_internals.h"

namespace ampliro::dsp {
namespace {

TEST(ChorusUnitTest, DepthZeroIsASixSampleComb) {
    Chorus c;
    ASSERT_TRUE(c.Init(44100));
    c.SetSpeed(16.0f);
    c.SetDepth(0);
    c.SetFeedback(0);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(UnitInternals::Step(c, i == 0 ? 1000 : 0), i == 0 || i == 6 ? 500 : 0) << i;
    }
}

TEST(ChorusUnitTest, FootswitchClearWaitsForTheAudioSide) {
    Chorus c;
    c.Init(44100);
    c.SetDepth(0);
    c.SetFeedback(64);
    UnitInternals::Step(c, 1000);  // y = 500, written 1000 + 500
    EXPECT_EQ(UnitInternals::Line(c)[0], 1500);
    c.RequestClear();
    EXPECT_EQ(UnitInternals::Line(c)[0], 1500);
    c.ApplyPendingClear();
    EXPECT_EQ(UnitInternals::Line(c)[0], 0);
}

// At phase 0 the bipolar LFO is 0: the read is D + 6 = 70 samples back, at
// index 1024 - 70 = 954 for the first sample (a wrap below zero). A quarter
// period on, the LFO peaks at 32766: m = 32766 x 64, mi = 63, frac = 32640,
// so the read is 64 - 63 + 6 = 7 back, interpolated with the next entry.
TEST(ChorusUnitTest, ReadPositionFollowsTheSweepAndWrapsBelowZero) {
    Chorus c;
    ASSERT_TRUE(c.Init(44100));
    c.SetSpeed(16.0f);
    c.SetDepth(64);
    c.SetFeedback(0);
    UnitInternals::Line(c)[954] = 4000;
    EXPECT_EQ(UnitInternals::Step(c, 0), 2000);
    Chorus top;
    ASSERT_TRUE(top.Init(44100));
    top.SetSpeed(16.0f);
    top.SetDepth(64);
    top.SetFeedback(0);
    UnitInternals::Lfo(top).phase = 64 << 15;
    UnitInternals::WritePos(top) = 100;
    UnitInternals::Line(top)[93] = 32768 / 2;
    UnitInternals::Line(top)[94] = 0;
    const int32_t m = UnitInternals::Lfo(top).TableAt(64) * 64;
    const int32_t frac = m - ((m >> 15) << 15);
    EXPECT_EQ(frac, 32640);
    const int32_t d = static_cast<int32_t>((int64_t(16384) * (32768 - frac)) >> 15);
    EXPECT_EQ(UnitInternals::Step(top, 0), d >> 1);
}

TEST(PhaserUnitTest, DepthZeroPassesTheInput) {
    Phaser p;
    p.Init(44100);
    p.SetSpeed(32);
    p.SetDepth(0);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(UnitInternals::Step(p, i * 100), i * 100);
}

TEST(PhaserUnitTest, TuningWordsFollowTheRate) {
    struct Row {
        int32_t rate, sweep, word;
    };
    // 440 x 32768 / (rate / 2) where the rate is not 44100's; at 8000 Hz the
    // general rule.
    for (const Row& row : {Row{44100, 440, 440}, Row{22050, 440, 880}, Row{48000, 440, 600},
                           Row{8000, 1600, 13107}}) {
        Phaser p;
        p.Init(row.rate);
        EXPECT_EQ(p.TuningWord(row.sweep), row.word) << row.rate;
    }
}

// Over two seconds of sweep at 44100 Hz the first stage's coefficient spans
// those of the sweep's ends, 440 and 1599.
TEST(PhaserUnitTest, CoefficientsSpanTheSweepAt44100) {
    EXPECT_EQ(Phaser::AllpassCoefficient(440), 15527);
    EXPECT_EQ(Phaser::AllpassCoefficient(1599), 13470);
    Phaser p;
    p.Init(44100);
    p.SetSpeed(32);
    p.SetDepth(32);
    p.SetFeedback(32);
    int32_t lo = 1 << 30, hi = -(1 << 30);
    for (int i = 0; i < 44100 * 2; ++i) {
        UnitInternals::Step(p, 0);
        lo = std::min(lo, UnitInternals::FirstStage(p).coefficient);
        hi = std::max(hi, UnitInternals::FirstStage(p).coefficient);
    }
    EXPECT_EQ(hi, 15527);
    EXPECT_EQ(lo, 13470);
}

// The tuning f = 2 sin(pi F / fs) and damping 2 - 2 resonance / 64, in
// Q10; the tuning is held at a quarter (256), where the filter stays stable.
TEST(ParametricEqUnitTest, CoefficientsFromTheKnobs) {
    struct Row {
        int32_t rate;
        float resonance, frequency;
        int32_t freqCoef, dampCoef;
    };
    for (const Row& r : {Row{44100, 32, 2600, 189, 325}, Row{44100, 0, 200, 14, 2048},
                         Row{44100, 64, 200, 14, 0}, Row{44100, 32, 4000, 256, 325},
                         Row{44100, 32, 5000, 256, 325}, Row{8000, 0, 5000, 256, 2048}}) {
        ParametricEq eq;
        eq.Init(r.rate);
        eq.SetTuning(r.resonance, r.frequency);
        EXPECT_EQ(UnitInternals::FrequencyCoefficient(eq), r.freqCoef)
            << r.rate << " " << r.resonance << " " << r.frequency;
        EXPECT_EQ(UnitInternals::DampingCoefficient(eq), r.dampCoef)
            << r.rate << " " << r.resonance << " " << r.frequency;
    }
}

// From rest the first sample gives notch = high = x and band = x f >> 10;
// the gain knob at 64 doubles the selected output.
TEST(ParametricEqUnitTest, FirstSampleOfEachOutput) {
    ParametricEq eq;
    eq.Init(44100);
    eq.SetTuning(32.0f, 2600.0f);
    EXPECT_EQ(UnitInternals::Step(eq, 1000), (1000 * 189) >> 10);
    EXPECT_EQ(UnitInternals::Notch(eq), 1000);
    EXPECT_EQ(UnitInternals::High(eq), 1000);
    ParametricEq hp;
    hp.Init(44100);
    hp.SetTuning(32.0f, 2600.0f);
    hp.SetMode(ParametricEq::kHighPass);
    hp.SetGain(64);
    EXPECT_EQ(UnitInternals::Step(hp, 1000), 2000);
}

TEST(ParametricEqUnitTest, UndampedBlockSaturatesAndReportsItsClips) {
    // Undamped, the filter resonates where 2 sin(pi F / fs) = f, about
    // 1300 Hz: a tone there grows without bound, the block saturates the wet
    // value and reports its last clipped sample, the block's last.
    ParametricEq ring;
    ring.Init(44100);
    ring.SetTuning(64.0f, 2600.0f);
    ring.SetGain(64);
    ring.SetLevel(64);
    ring.SetMix(64);
    std::vector<int16_t> block(2000);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<int16_t>(16000 * std::sin(2 * 3.14159265 * 1299 * i / 44100.0));
    }
    const ClipReport report = ring.Process(block.data(), block.size());
    EXPECT_EQ(report.calls, 2000);
    EXPECT_GT(report.lastClip, 1900);
    EXPECT_EQ(*std::max_element(block.begin(), block.end()), 32767);
    EXPECT_EQ(*std::min_element(block.begin(), block.end()), -32768);
}

TEST(ParametricEqUnitTest, StatesWrapAtThirtyTwoBitsAsTheyGrow) {
    // The undamped filter, driven at its resonance, grows by a few hundred
    // thousand a second, so its states reach 32 bits only after long ringing
    // and from there on wrap. Started near that limit, block by block they
    // must follow the 32-bit recursion worked out here, before and after the
    // first wrap.
    ParametricEq eq;
    eq.Init(44100);
    eq.SetTuning(64.0f, 1760.0f);
    eq.SetLevel(64);
    eq.SetMix(64);
    const int64_t fc = UnitInternals::FrequencyCoefficient(eq),
                  dc = UnitInternals::DampingCoefficient(eq);
    int32_t lo = 2147000000, hi = 0, bp = -2146000000, no = 0;
    int64_t lowError = 0, bandError = 0;  // what each integrator's shift dropped
    UnitInternals::Low(eq) = lo, UnitInternals::Band(eq) = bp;
    bool wrapped = false;
    auto narrow = [&wrapped](int64_t v) {
        wrapped = wrapped || v != static_cast<int32_t>(v);
        return static_cast<int32_t>(v);
    };
    std::vector<int16_t> block(256);
    int32_t t = 0;
    for (int round = 0; round < 40; ++round) {
        for (int16_t& v : block) v = (2 * t++ / 25) % 2 ? 32767 : -32767;
        for (int16_t v : block) {
            no = narrow(v - ((bp * dc) >> 10));
            const int64_t lowStep = fc * bp + lowError;
            lo = narrow(lo + (lowStep >> 10));
            lowError = lowStep & 1023;
            hi = narrow(static_cast<int64_t>(no) - lo);
            const int64_t bandStep = hi * fc + bandError;
            bp = narrow(bp + (bandStep >> 10));
            bandError = bandStep & 1023;
        }
        eq.Process(block.data(), block.size());
        ASSERT_EQ(UnitInternals::Low(eq), lo) << "block " << round;
        ASSERT_EQ(UnitInternals::High(eq), hi) << "block " << round;
        ASSERT_EQ(UnitInternals::Band(eq), bp) << "block " << round;
        ASSERT_EQ(UnitInternals::Notch(eq), no) << "block " << round;
    }
    EXPECT_TRUE(wrapped);
}

// After a note, silence in is silence out: each damped recursive filter
// carries the bits its shifts drop. Floored alone, they stuck on a constant
// after this note: the Graphic EQ's 100 Hz band at +3 dB and 96 kHz -16291,
// the tone stack up to -394 at 44.1 kHz and -955 at 96 kHz, the Parametric
// EQ 262 at 44.1 kHz and 422 at 96 kHz, the Phaser -34 at feedback 0 and
// about -2480 at 63.
TEST(FilterUnitsTest, DampedFiltersFallSilentAfterANote) {
    // A unit run over the signal at the rate, its output widened to 32 bits.
    using Unit = std::function<std::vector<int32_t>(std::vector<int16_t>, int32_t)>;
    const auto widened = [](const std::vector<int16_t>& x) {
        return std::vector<int32_t>(x.begin(), x.end());
    };
    const auto graphicEq = [&](int band, int32_t dB) -> Unit {
        return [=](std::vector<int16_t> x, int32_t rate) {
            GraphicBank bank;
            std::vector<int32_t> y = widened(x);
            EXPECT_TRUE(bank.Setup(rate));
            bank.SetBand(band, dB);
            bank.ProcessBlock(y.data(), static_cast<int32_t>(y.size()));
            return y;
        };
    };
    const auto toneStack = [](int32_t low, int32_t mid, int32_t high) -> Unit {
        return [=](std::vector<int16_t> x, int32_t rate) {
            ToneStack ts;
            ts.Design(880, 5000, rate);
            std::vector<int32_t> y(x.size());
            ts.Run(x.data(), y.data(), static_cast<int32_t>(x.size()), {low, mid, high});
            return y;
        };
    };
    const auto parametricEq = [&](float resonance, float hz, int32_t mode) -> Unit {
        return [=](std::vector<int16_t> x, int32_t rate) {
            ParametricEq eq;
            eq.Init(rate);
            eq.SetTuning(resonance, hz);
            eq.SetMode(mode);
            eq.SetLevel(64);
            eq.SetMix(64);
            eq.Process(x.data(), x.size());
            return widened(x);
        };
    };
    const auto phaser = [&](int32_t feedback) -> Unit {
        return [=](std::vector<int16_t> x, int32_t rate) {
            Phaser p;
            p.Init(rate);
            p.SetSpeed(16);
            p.SetDepth(64);
            p.SetFeedback(feedback);
            p.SetLevel(64);
            p.SetMix(64);
            for (size_t done = 0; done < x.size(); done += 256)
                p.Process(x.data() + done, std::min<size_t>(256, x.size() - done));
            return widened(x);
        };
    };
    struct Row {
        const char* what;
        int32_t rate;
        double noteHz;
        Unit unit;
    };
    const Row rows[] = {
        {"graphic EQ 100 Hz +1 dB", 44100, 196, graphicEq(0, 1)},
        {"graphic EQ 100 Hz +10 dB", 44100, 196, graphicEq(0, 10)},
        {"graphic EQ 200 Hz -3 dB", 44100, 196, graphicEq(1, -3)},
        {"graphic EQ 100 Hz -10 dB", 48000, 196, graphicEq(0, -10)},
        {"graphic EQ 100 Hz +3 dB", 96000, 196, graphicEq(0, 3)},
        {"graphic EQ 400 Hz +1 dB", 96000, 196, graphicEq(2, 1)},
        {"graphic EQ 100 Hz +5 dB", 8000, 196, graphicEq(0, 5)},
        {"graphic EQ 200 Hz +10 dB", 22050, 196, graphicEq(1, 10)},
        {"tone stack 64 7 0", 44100, 82, toneStack(64, 7, 0)},
        {"tone stack 0 64 7", 44100, 82, toneStack(0, 64, 7)},
        {"tone stack 0 0 64", 48000, 82, toneStack(0, 0, 64)},
        {"tone stack 64 32 0", 96000, 82, toneStack(64, 32, 0)},
        {"tone stack 5 64 32", 22050, 82, toneStack(5, 64, 32)},
        {"tone stack 64 0 64", 8000, 82, toneStack(64, 0, 64)},
        {"parametric EQ low-pass 100 Hz", 44100, 82, parametricEq(0, 100, ParametricEq::kLowPass)},
        {"parametric EQ band-pass 200 Hz", 44100, 82,
         parametricEq(32, 200, ParametricEq::kBandPass)},
        {"parametric EQ notch 100 Hz", 96000, 82, parametricEq(0, 100, ParametricEq::kNotch)},
        {"parametric EQ high-pass 200 Hz", 96000, 82,
         parametricEq(60, 200, ParametricEq::kHighPass)},
        {"parametric EQ low-pass 100 Hz", 48000, 82, parametricEq(32, 100, ParametricEq::kLowPass)},
        {"parametric EQ low-pass 100 Hz", 8000, 82, parametricEq(0, 100, ParametricEq::kLowPass)},
        {"phaser feedback 0", 44100, 82, phaser(0)},
        {"phaser feedback 32", 44100, 82, phaser(32)},
        {"phaser feedback 63", 44100, 82, phaser(63)},
        {"phaser feedback 48", 48000, 82, phaser(48)},
        {"phaser feedback 63", 96000, 82, phaser(63)},
        {"phaser feedback 16", 22050, 82, phaser(16)},
    };
    for (const Row& row : rows) {
        // A second of a decaying note, then three seconds of silence.
        std::vector<int16_t> x(static_cast<size_t>(row.rate) * 4, 0);
        for (int32_t n = 0; n < row.rate; ++n)
            x[static_cast<size_t>(n)] =
                static_cast<int16_t>(12000 * std::exp(-4.0 * n / row.rate) *
                                     std::sin(2 * M_PI * row.noteHz * n / row.rate));
        const std::vector<int32_t> y = row.unit(x, row.rate);
        const auto loudest =
            std::max_element(y.end() - row.rate / 4, y.end(),
                             [](int32_t a, int32_t b) { return std::abs(a) < std::abs(b); });
        EXPECT_EQ(*loudest, 0) << row.what << " at " << row.rate << " Hz";
    }
}

}  // namespace
}  // namespace ampliro::dsp
