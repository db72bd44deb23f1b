#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "effects/pedalboard.h"
#include "effects/record_io.h"

namespace ampliro {
namespace {

// Loads the pedal's record from a file holding these 32-bit words.
void LoadWords(Effect& fx, const std::vector<int32_t>& words) {
    std::FILE* f = std::tmpfile();
    for (int32_t w : words) WriteInt32(f, w);
    std::rewind(f);
    fx.Load(f);
    std::fclose(f);
}

int32_t FloatBits(float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    return bits;
}

std::vector<int32_t> SavedWords(Effect& fx) {
    std::FILE* f = std::tmpfile();
    fx.Save(f);
    std::vector<int32_t> words;
    std::rewind(f);
    int32_t w;
    while (ReadInt32(f, w)) words.push_back(w);
    std::fclose(f);
    return words;
}

TEST(RecordTest, DefaultRecordsHoldTheFieldsInOrder) {
    Pedalboard board;
    EXPECT_EQ(SavedWords(board.overdrive), (std::vector<int32_t>{64, 32, 0, 32, 32, 32, 32, 32}));
    EXPECT_EQ(SavedWords(board.parametricEq),
              (std::vector<int32_t>{48, 32, 0, FloatBits(32.0f), FloatBits(2600.0f), 4, 0}));
    EXPECT_EQ(SavedWords(board.pitchShifter), (std::vector<int32_t>{48, 32, 0, 48, 3}));
    EXPECT_EQ(SavedWords(board.phaser), (std::vector<int32_t>{48, 32, 0, 32, 32, 32}));
    EXPECT_EQ(SavedWords(board.chorus),
              (std::vector<int32_t>{48, 32, 0, 32, FloatBits(16.0f), 32}));
    EXPECT_EQ(SavedWords(board.delay), (std::vector<int32_t>{48, 32, 0, 500, 32, 64}));
    EXPECT_EQ(SavedWords(board.reverb), (std::vector<int32_t>{48, 32, 0, 32, 32, 32, 32}));
    EXPECT_EQ(SavedWords(board.graphicEq), (std::vector<int32_t>{48, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SavedWords(board.tremolo), (std::vector<int32_t>{48, 0, 32, 32}));
}

TEST(RecordTest, LoadTakesEveryFieldInOrder) {
    Pedalboard board;
    board.delay.Init(44100, 4);
    LoadWords(board.delay, {40, 20, 1, 1000, 16, 8});
    EXPECT_EQ(board.delay.level, 40);
    EXPECT_EQ(board.delay.mix, 20);
    EXPECT_EQ(board.delay.enabled, 1);
    EXPECT_EQ(board.delay.delayMs, 1000);
    EXPECT_EQ(board.delay.decay, 16);
    EXPECT_EQ(board.delay.cutoff, 8);

    LoadWords(board.overdrive, {64, 32, 1, 32, 32, 32, 0, 0});
    EXPECT_EQ(board.overdrive.saturation, 0);
    EXPECT_EQ(board.overdrive.drive, 0);
    EXPECT_EQ(board.overdrive.bass, 32);

    LoadWords(board.pitchShifter, {10, 20, 1, 30, 7});  // first and fourth words differ
    EXPECT_EQ(board.pitchShifter.level, 30);
    EXPECT_EQ(board.pitchShifter.semitones, 7);
}

TEST(RecordTest, ShortRecordKeepsTheUnreadFields) {
    Pedalboard board;
    LoadWords(board.reverb, {12, 34});
    EXPECT_EQ(board.reverb.level, 12);
    EXPECT_EQ(board.reverb.mix, 34);
    EXPECT_EQ(board.reverb.delayMs, 32);
    EXPECT_EQ(board.reverb.hpGain, 32);

    LoadWords(board.pitchShifter, {17});  // no fourth word: the first one stands
    EXPECT_EQ(board.pitchShifter.level, 17);
}

TEST(RecordTest, DamagedValuesAreHeldToTheKnobRanges) {
    Pedalboard board;
    for (int key = 0; key < kEffectCount; ++key) board.ByKey(key)->Init(44100, key);
    LoadWords(board.parametricEq, {-5, 999, 7, FloatBits(-1.0f), FloatBits(1e9f), 0, -3});
    EXPECT_EQ(board.parametricEq.level, 0);
    EXPECT_EQ(board.parametricEq.mix, 64);
    EXPECT_EQ(board.parametricEq.enabled, 1);
    EXPECT_EQ(board.parametricEq.resonance, 0.0f);
    EXPECT_EQ(board.parametricEq.frequency, 5000.0f);
    EXPECT_EQ(board.parametricEq.mode, ParametricEqPedal::kBandPass);
    EXPECT_EQ(board.parametricEq.gain, 0);

    LoadWords(board.chorus, {48, 32, 1, 5000, FloatBits(-8.0f), 200});
    EXPECT_EQ(board.chorus.depth, 64);
    EXPECT_EQ(board.chorus.speed, 1.0f);
    EXPECT_EQ(board.chorus.feedback, 64);

    LoadWords(board.delay, {48, 32, 1, 0, 100, -20});
    EXPECT_EQ(board.delay.delayMs, 1);
    EXPECT_EQ(board.delay.decay, 64);
    EXPECT_EQ(board.delay.cutoff, 0);

    LoadWords(board.reverb, {48, 32, 1, -100, 1000, 99, -99});
    EXPECT_EQ(board.reverb.delayMs, 1);
    EXPECT_EQ(board.reverb.decayAmount, 64);
    EXPECT_EQ(board.reverb.lpGain, 64);
    EXPECT_EQ(board.reverb.hpGain, 0);

    LoadWords(board.graphicEq, {48, 1, -1000, 1000, 50, -50, 11, -11, 3});
    EXPECT_EQ(board.graphicEq.bandGain[0], -10);
    EXPECT_EQ(board.graphicEq.bandGain[1], 10);
    EXPECT_EQ(board.graphicEq.bandGain[6], 3);

    LoadWords(board.tremolo, {48, 1, 32, -7, 0, 0, 0, 0});
    EXPECT_EQ(board.tremolo.tremoloRate, 1);

    LoadWords(board.phaser, {48, 32, 1, 0, 0, 0});
    EXPECT_EQ(board.phaser.rateKnob, 1);

    // Every pedal on with these values, then a pass of loud noise: nothing
    // may read or write outside its buffers (the sanitizer build checks).
    for (int key = 0; key < kEffectCount; ++key) board.ByKey(key)->Init(44100, key);
    std::vector<int16_t> block(448);
    uint32_t seed = 1;
    for (int b = 0; b < 200; ++b) {
        for (int16_t& s : block)
            s = static_cast<int16_t>((seed = seed * 1664525u + 1013904223u) >> 16);
        for (int key = 0; key < kEffectCount; ++key) {
            board.ByKey(key)->enabled = 1;
            board.ByKey(key)->ProcessBlock(block.data(), 448);
        }
    }
}

TEST(RecordTest, NanFloatsFallBackToTheKnobMinimum) {
    Pedalboard board;
    board.parametricEq.Init(44100, 6);
    LoadWords(board.parametricEq, {48, 32, 1, 0x7FC00000, 0x7FC00000, 4, 0});
    EXPECT_EQ(board.parametricEq.resonance, 0.0f);
    EXPECT_EQ(board.parametricEq.frequency, 200.0f);
}

TEST(PedalboardTest, PedalsAnswerToTheirKeysAndNames) {
    Pedalboard board;
    const char* names[kChainLength] = {
        "Overdrive",     "Digital Reverb", "Chorus",        "Pitch Shifter",
        "Digital Delay", "Phase Shifter",  "Parametric EQ", "Graphic EQ",
        "Tremolo",       "Noise Gate",     "Amp",           "Cabinet"};
    const int32_t images[kChainLength] = {7, 5, 6, 3, 2, 0, 1, 4, 8, 30, 31, 32};
    for (int key = 0; key < kChainLength; ++key) {
        ASSERT_NE(board.ByKey(key), nullptr);
        EXPECT_STREQ(board.ByKey(key)->name, names[key]);
        EXPECT_EQ(board.ByKey(key)->imageIndex, images[key]);
        EXPECT_EQ(board.ByKey(key)->effectKey, key);
        EXPECT_EQ(board.AllByKey()[key], board.ByKey(key));
    }
    EXPECT_EQ(board.ByKey(-1), nullptr);
    EXPECT_EQ(board.ByKey(12), nullptr);
}

}  // namespace
}  // namespace ampliro
