#include "audio/pitch_detector.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/audio/test_tones.h"

namespace ampliro {
namespace {

using test::Cents;

PitchEstimate AnalyseAt(PitchDetector& detector, const std::vector<int16_t>& samples,
                        double seconds) {
    const size_t end = static_cast<size_t>(seconds * detector.SampleRate());
    const size_t start = end - static_cast<size_t>(detector.WindowLength());
    return detector.Analyse(samples.data() + start);
}

// Every 3.3 % of a semitone from 55 Hz (A1) to 1320 Hz (E6), with the phase
// and the level changing as it goes.
TEST(PitchDetectorTest, SteadySinesReadWithinOneCentOverTheWholeRange) {
    for (int32_t rate : {44100, 48000, 22050, 96000}) {
        PitchDetector detector(rate);
        int tones = 0;
        for (double hz = 55.0; hz <= 1320.0; hz *= std::pow(2.0, 1.0 / 36.0), ++tones) {
            const double amplitude = 0.05 + 0.4 * (tones % 7) / 6.0;
            const auto tone = test::Sine(hz, rate, 0.2, amplitude, 0.1 * tones);
            const PitchEstimate e = AnalyseAt(detector, tone, 0.2);
            ASSERT_TRUE(e.found) << rate << " Hz rate, tone " << hz;
            const double error = Cents(e.hz, hz);
            EXPECT_LT(std::abs(error), 1.0) << rate << " Hz rate, tone " << hz;
            EXPECT_GT(e.clarity, 0.95);
            EXPECT_NEAR(e.level, amplitude / std::sqrt(2.0), 0.01);
        }
        EXPECT_GE(tones, 165);
    }
    // The range's ends themselves.
    PitchDetector detector(44100);
    for (double hz : {55.0, 1320.0}) {
        const PitchEstimate e = AnalyseAt(detector, test::Sine(hz, 44100, 0.2), 0.2);
        ASSERT_TRUE(e.found);
        EXPECT_LT(std::abs(Cents(e.hz, hz)), 1.0) << hz;
    }
}

TEST(PitchDetectorTest, PluckedStringsReadWithinThreeCentsAfterTheAttack) {
    const double standard[] = {82.4069, 110.0, 146.8324, 195.9977, 246.9417, 329.6276};
    for (double open : standard) {
        for (double offset : {0.0, -5.0, 5.0, -20.0, 20.0}) {
            const double target = open * std::pow(2.0, offset / 1200.0);
            const auto string = test::KarplusStrong(target, 44100, 1.5);
            ASSERT_LT(std::abs(Cents(string.hz, target)), 0.05);
            PitchDetector detector(44100);
            for (double after : {0.3, 0.5, 1.0, 1.4}) {
                const PitchEstimate e = AnalyseAt(detector, string.samples, 0.1 + after);
                ASSERT_TRUE(e.found) << open << " " << offset << " at " << after;
                const double error = Cents(e.hz, string.hz);
                EXPECT_LT(std::abs(error), 3.0) << open << " " << offset << " at " << after;
            }
        }
    }
}

TEST(PitchDetectorTest, SilenceAndNoiseHoldNoNote) {
    PitchDetector detector(44100);
    const std::vector<int16_t> silence(static_cast<size_t>(detector.WindowLength()), 0);
    PitchEstimate e = detector.Analyse(silence.data());
    EXPECT_FALSE(e.found);
    EXPECT_EQ(e.level, 0.0);
    // A 1 kHz hum below the level gate (about -60 dB full scale).
    e = AnalyseAt(detector, test::Sine(1000.0, 44100, 0.2, 0.0014), 0.2);
    EXPECT_FALSE(e.found);
    EXPECT_GT(e.level, 0.0009);
    // White noise from faint to full scale, twenty draws each.
    for (double amplitude : {0.01, 0.1, 0.9}) {
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            const auto noise = test::Noise(44100, 0.1, amplitude, seed);
            e = AnalyseAt(detector, noise, 0.1);
            EXPECT_FALSE(e.found) << amplitude << " " << seed << " read " << e.hz;
            EXPECT_LT(e.clarity, 0.7);
            EXPECT_GT(e.level, amplitude * 0.5);
        }
    }
    // A steady DC offset is no note either.
    const std::vector<int16_t> offset(static_cast<size_t>(detector.WindowLength()), 9000);
    EXPECT_FALSE(detector.Analyse(offset.data()).found);
}

TEST(PitchDetectorTest, ClippedAndHarmonicRichTonesKeepTheirFundamental) {
    PitchDetector detector(44100);
    // A sine driven into hard clipping: odd harmonics as strong as a fuzz's.
    auto square = test::Sine(110.0, 44100, 0.2, 3.0);
    PitchEstimate e = AnalyseAt(detector, square, 0.2);
    ASSERT_TRUE(e.found);
    EXPECT_LT(std::abs(Cents(e.hz, 110.0)), 1.0);
    // A weak fundamental under a strong second harmonic stays on the fundamental.
    std::vector<int16_t> mixed(8820);
    for (size_t i = 0; i < mixed.size(); ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        mixed[i] = test::ToSample(0.15 * std::sin(2 * std::numbers::pi * 98.0 * t) +
                                  0.5 * std::sin(2 * std::numbers::pi * 196.0 * t + 1.0));
    }
    e = AnalyseAt(detector, mixed, 0.2);
    ASSERT_TRUE(e.found);
    EXPECT_LT(std::abs(Cents(e.hz, 98.0)), 1.0);
}

TEST(PitchDetectorTest, ToneOutsideTheRangeIsNoNote) {
    PitchDetector detector(44100);
    EXPECT_FALSE(AnalyseAt(detector, test::Sine(3000.0, 44100, 0.2), 0.2).found);
    EXPECT_FALSE(AnalyseAt(detector, test::Sine(30.0, 44100, 0.2), 0.2).found);
}

}  // namespace
}  // namespace ampliro
