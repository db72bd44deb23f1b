#include "audio/tuner_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio/note_name.h"
#include "tests/audio/test_tones.h"

namespace ampliro {
namespace {

using test::Cents;

// One analysis as the view would see it, with the time it was made.
struct Sample {
    double seconds;
    TunerReading reading;
};

// Feeds the signal in blocks of 448 samples, as the audio thread hands them
// over at the default latency (or in blocks of another size), and keeps the
// reading after every analysis.
std::vector<Sample> Listen(TunerEngine& engine, const std::vector<int16_t>& signal,
                           size_t blockSize = 448) {
    std::vector<Sample> readings;
    for (size_t start = 0; start < signal.size(); start += blockSize) {
        const size_t n = std::min(blockSize, signal.size() - start);
        const int64_t before = engine.Analyses();
        engine.Feed(signal.data() + start, n);
        if (engine.Analyses() != before)
            readings.push_back(
                {static_cast<double>(start + n) / engine.SampleRate(), engine.Reading()});
    }
    return readings;
}

TEST(NoteNameTest, NotesOctavesAndCents) {
    NotePosition p = NoteOf(440.0, 440.0);
    EXPECT_STREQ(NoteName(p.note), "A");
    EXPECT_EQ(p.octave, 4);
    EXPECT_NEAR(p.cents, 0.0, 1e-9);
    p = NoteOf(82.4069, 440.0);
    EXPECT_STREQ(NoteName(p.note), "E");
    EXPECT_EQ(p.octave, 2);
    p = NoteOf(261.6256, 440.0);  // middle C
    EXPECT_STREQ(NoteName(p.note), "C");
    EXPECT_EQ(p.octave, 4);
    p = NoteOf(246.9417 * std::pow(2.0, 49.0 / 1200.0), 440.0);  // B3 + 49 cents
    EXPECT_STREQ(NoteName(p.note), "B");
    EXPECT_EQ(p.octave, 3);
    EXPECT_NEAR(p.cents, 49.0, 1e-3);
    p = NoteOf(246.9417 * std::pow(2.0, 51.0 / 1200.0), 440.0);  // C4 - 49 cents
    EXPECT_STREQ(NoteName(p.note), "C");
    EXPECT_EQ(p.octave, 4);
    EXPECT_NEAR(p.cents, -49.0, 1e-3);
    p = NoteOf(55.0 * std::pow(2.0, -1.0 / 12.0), 440.0);
    EXPECT_STREQ(NoteName(p.note), "G#");
    EXPECT_EQ(p.octave, 1);
    // A 440 Hz tone against A4 = 430 Hz is an A 39.8 cents sharp.
    p = NoteOf(440.0, 430.0);
    EXPECT_STREQ(NoteName(p.note), "A");
    EXPECT_NEAR(p.cents, 1200.0 * std::log2(440.0 / 430.0), 1e-9);
    EXPECT_NEAR(NoteFrequency(4, 2, 440.0), 82.4069, 1e-4);
    EXPECT_STREQ(NoteName(12), "");
    EXPECT_STREQ(NoteName(-1), "");
}

// The six open strings and each of them 5 and 20 cents flat and sharp:
// from 250 ms after the pluck on, every reading names the string's note
// and lies within 3 cents of its pitch.
TEST(TunerEngineTest, PluckedStringsSettleWithinAQuarterSecond) {
    struct Open {
        const char* name;
        int32_t octave;
        double hz;
    };
    const Open strings[] = {{"E", 2, 82.4069},  {"A", 2, 110.0},    {"D", 3, 146.8324},
                            {"G", 3, 195.9977}, {"B", 3, 246.9417}, {"E", 4, 329.6276}};
    for (const Open& open : strings) {
        for (double offset : {0.0, -5.0, 5.0, -20.0, 20.0}) {
            const double target = open.hz * std::pow(2.0, offset / 1200.0);
            const auto string = test::KarplusStrong(target, 44100, 1.6, 11);
            TunerEngine engine(44100);
            const auto readings = Listen(engine, string.samples);
            const std::string label = std::string(open.name) + " " + std::to_string(offset);
            int checked = 0;
            for (const Sample& s : readings) {
                if (s.seconds < 0.1 + 0.25) continue;
                ASSERT_TRUE(s.reading.hasNote) << label << " at " << s.seconds;
                EXPECT_STREQ(NoteName(s.reading.position.note), open.name) << label;
                EXPECT_EQ(s.reading.position.octave, open.octave) << label;
                EXPECT_NEAR(s.reading.position.cents, offset, 3.0) << label << " " << s.seconds;
                EXPECT_LT(std::abs(Cents(s.reading.hz, string.hz)), 3.0) << label;
                ++checked;
            }
            EXPECT_GE(checked, 30) << label;
        }
    }
}

TEST(TunerEngineTest, SteadySinesReadWithinOneCentAndUpdateTwentyFiveTimesASecond) {
    for (double hz = 55.0; hz <= 1320.0; hz *= std::pow(2.0, 5.0 / 12.0 + 0.013)) {
        TunerEngine engine(48000);
        auto signal = std::vector<int16_t>(4800, 0);  // 0.1 s of silence first
        const auto tone = test::Sine(hz, 48000, 1.0, 0.3);
        signal.insert(signal.end(), tone.begin(), tone.end());
        const auto readings = Listen(engine, signal);
        EXPECT_EQ(readings.size(), 27u);  // 1.1 s at 25 analyses a second
        for (const Sample& s : readings) {
            if (s.seconds < 0.1 + 0.25) continue;
            ASSERT_TRUE(s.reading.hasNote) << hz << " at " << s.seconds;
            EXPECT_LT(std::abs(Cents(s.reading.hz, hz)), 1.0) << hz;
        }
    }
}

TEST(TunerEngineTest, SilenceAndNoiseShowNoNoteAndANoteGoesWhenItsSoundDoes) {
    TunerEngine engine(44100);
    auto readings = Listen(engine, std::vector<int16_t>(44100, 0));
    EXPECT_EQ(readings.size(), 25u);
    for (const Sample& s : readings) EXPECT_FALSE(s.reading.hasNote);
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        readings = Listen(engine, test::Noise(44100, 1.0, 0.3, seed));
        for (const Sample& s : readings) EXPECT_FALSE(s.reading.hasNote) << seed;
    }
    // A tone, then silence: the note stays through two empty analyses and
    // is gone at the third.
    Listen(engine, test::Sine(196.0, 44100, 0.5));
    ASSERT_TRUE(engine.Reading().hasNote);
    readings = Listen(engine, std::vector<int16_t>(44100 / 2, 0));
    int withNote = 0;
    for (const Sample& s : readings) withNote += s.reading.hasNote ? 1 : 0;
    EXPECT_GE(withNote, 1);
    EXPECT_LE(withNote, 3);
    EXPECT_FALSE(engine.Reading().hasNote);
    EXPECT_EQ(engine.Reading().hz, 0.0);
}

TEST(TunerEngineTest, ReferenceMovesTheCentsAndIsKeptInItsRange) {
    TunerEngine engine(44100);
    Listen(engine, test::Sine(440.0, 44100, 0.6));
    ASSERT_TRUE(engine.Reading().hasNote);
    EXPECT_NEAR(engine.Reading().position.cents, 0.0, 1.0);
    engine.SetReference(450);
    EXPECT_EQ(engine.Reference(), 450);
    EXPECT_NEAR(engine.Reading().position.cents, 1200.0 * std::log2(440.0 / 450.0), 1.0);
    engine.SetReference(500);
    EXPECT_EQ(engine.Reference(), 450);
    engine.SetReference(-7);
    EXPECT_EQ(engine.Reference(), 430);
    EXPECT_STREQ(NoteName(engine.Reading().position.note), "A");
    EXPECT_NEAR(engine.Reading().position.cents, 1200.0 * std::log2(440.0 / 430.0), 1.0);
}

// The whole input at once (a frame loop held up by a dialog) gives the same
// readings as the same input in blocks, of the default latency's size or of
// JACK's periods.
TEST(TunerEngineTest, ReadingsDoNotDependOnHowTheInputArrives) {
    const auto string = test::KarplusStrong(110.0, 22050, 0.8, 3);
    TunerEngine whole(22050);
    whole.Feed(string.samples.data(), string.samples.size());
    ASSERT_TRUE(whole.Reading().hasNote);
    for (const size_t block : {448u, 16u, 64u, 1024u}) {
        TunerEngine blocks(22050);
        Listen(blocks, string.samples, block);
        EXPECT_EQ(whole.Analyses(), blocks.Analyses()) << block;
        EXPECT_EQ(whole.Reading().hz, blocks.Reading().hz) << block;
    }
}

TEST(TunerEngineTest, ANewNoteNeedsTwoAgreeingAnalyses) {
    TunerEngine engine(44100);
    Listen(engine, test::Sine(110.0, 44100, 0.5));
    ASSERT_TRUE(engine.Reading().hasNote);
    // One hop of a tone a fifth up moves the window only partly: the
    // reading keeps A until two analyses agree on the E.
    const auto fifth = test::Sine(164.8138, 44100, 0.5);
    const auto readings = Listen(engine, fifth);
    ASSERT_GE(readings.size(), 3u);
    EXPECT_STREQ(NoteName(readings[0].reading.position.note), "A");
    EXPECT_STREQ(NoteName(readings.back().reading.position.note), "E");
    EXPECT_EQ(readings.back().reading.position.octave, 3);
}

TEST(TunerEngineTest, ARateChangeForgetsTheInput) {
    TunerEngine engine(44100);
    Listen(engine, test::Sine(220.0, 44100, 0.5));
    ASSERT_TRUE(engine.Reading().hasNote);
    engine.SetSampleRate(11025);
    EXPECT_FALSE(engine.Reading().hasNote);
    EXPECT_EQ(engine.SampleRate(), 11025);
    Listen(engine, test::Sine(220.0, 11025, 0.5));
    ASSERT_TRUE(engine.Reading().hasNote);
    EXPECT_LT(std::abs(Cents(engine.Reading().hz, 220.0)), 1.0);
}

}  // namespace
}  // namespace ampliro

namespace ampliro {
namespace {

// Input no guitar makes: full-scale square waves at the Nyquist frequency,
// the extremes of the sample range, empty feeds, an impossible rate.
TEST(TunerEngineTest, HostileInputGivesNoNoteAndNoFault) {
    TunerEngine engine(44100);
    std::vector<int16_t> nyquist(44100);
    for (size_t i = 0; i < nyquist.size(); ++i) nyquist[i] = (i % 2) ? 32767 : -32768;
    Listen(engine, nyquist);
    EXPECT_FALSE(engine.Reading().hasNote);
    Listen(engine, std::vector<int16_t>(44100, -32768));
    EXPECT_FALSE(engine.Reading().hasNote);
    engine.Feed(nullptr, 0);
    EXPECT_FALSE(engine.Reading().hasNote);

    TunerEngine odd(0);  // taken as the lowest rate the detector knows
    EXPECT_EQ(odd.SampleRate(), 4000);
    Listen(odd, test::Sine(110.0, 4000, 0.5));
    ASSERT_TRUE(odd.Reading().hasNote);
    EXPECT_LT(std::abs(Cents(odd.Reading().hz, 110.0)), 1.0);
}

}  // namespace
}  // namespace ampliro
