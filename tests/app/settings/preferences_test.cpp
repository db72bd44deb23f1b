#include "app/settings/preferences.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/metronome/metronome_engine.h"
#include "tests/test_files.h"
#include "tests/write_limit.h"

namespace ampliro {
namespace {

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("prefs");
        file = folder / kPreferencesFileName;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void WriteWords(const std::vector<int32_t>& words, size_t extraBytes = 0) {
        std::ofstream out(file, std::ios::binary);
        for (int32_t w : words) {
            for (int k = 0; k < 4; ++k)
                out.put(static_cast<char>(static_cast<uint32_t>(w) >> (8 * k)));
        }
        for (size_t k = 0; k < extraBytes; ++k) out.put('\x7F');
    }
    std::vector<uint8_t> Bytes() {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder;
    std::filesystem::path file;
    Preferences settings;
    MetronomeEngine metronome;
};

TEST_F(PreferencesTest, SavedFileIsSevenWordsAndRoundTrips) {
    settings = {7, 5, 0, 20};
    metronome.SetTempo(200);
    metronome.SetAccent(6);
    metronome.SetVolume(0);
    EXPECT_EQ(SavePreferences(file, settings, metronome), 0);
    const std::vector<uint8_t> expected = {7, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0,  0, 200, 0,
                                           0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0,   0};
    EXPECT_EQ(Bytes(), expected);

    Preferences loaded;
    MetronomeEngine other;
    LoadPreferences(file, loaded, other);
    EXPECT_EQ(loaded.latency, 7);
    EXPECT_EQ(loaded.sampleRateIndex, 5);
    EXPECT_EQ(loaded.showIntro, 0);
    EXPECT_EQ(other.Tempo(), 200);
    EXPECT_EQ(other.BeatInterval(), 300);
    EXPECT_STREQ(other.TempoLabel(), "#FFFFFF200 bpm");
    EXPECT_EQ(other.Accent(), 6);
    EXPECT_EQ(other.Volume(), 0);
    EXPECT_EQ(loaded.masterVolume, 20);
}

// What a file of these words loads: the settings and the metronome as they
// stand after the load. Each row starts from the defaults, with the tempo at
// 90 and the master volume at 33, so a field the file does not reach shows
// that it was kept rather than reset.
struct LoadCase {
    const char* name;
    std::vector<int32_t> words;
    int extraBytes;  // bytes of a partial word after them; kNoFile: no file at all
    // latency, rate index, metronome volume, tempo, beat interval (ms),
    // accent, introduction shown, master volume
    int32_t expected[8];
};
constexpr int kNoFile = -1;

const LoadCase kLoadCases[] = {
    {"missing file", {}, kNoFile, {12, 3, 48, 90, 667, 4, 1, 33}},
    {"empty file", {}, 0, {12, 3, 48, 90, 667, 4, 1, 33}},
    {"three words and a half", {20, 2, 10}, 3, {20, 2, 10, 90, 667, 4, 1, 33}},
    // Six words, as files had before the master volume was saved.
    {"six words", {9, 2, 30, 120, 3, 0}, 0, {9, 2, 30, 120, 500, 3, 0, 33}},
    {"nine words", {9, 2, 30, 120, 3, 0, 12, 99, 99}, 0, {9, 2, 30, 120, 500, 3, 0, 12}},
    // Out of range values are brought into range; an index kept as it was
    // would stick in the latency caption and be written back at exit.
    {"below every range", {0, 0, -5, 0, 0, 1}, 0, {1, 0, 0, 40, 1500, 1, 1, 33}},
    {"above every range", {1000, 77, 65, 100000, -3, 1, 1000}, 0, {50, 5, 64, 200, 300, 1, 1, 64}},
    {"negative rate, volume", {12, -2, 48, 140, 4, 1, -5}, 0, {12, 0, 48, 140, 429, 4, 1, 0}},
};

TEST_F(PreferencesTest, LoadReadsWhatTheFileHoldsInRangeAndKeepsTheRest) {
    for (const LoadCase& c : kLoadCases) {
        SCOPED_TRACE(c.name);
        Preferences loaded;
        loaded.masterVolume = 33;
        MetronomeEngine engine;
        engine.SetTempo(90);
        std::filesystem::remove(file);
        if (c.extraBytes != kNoFile) WriteWords(c.words, static_cast<size_t>(c.extraBytes));
        LoadPreferences(file, loaded, engine);
        const int32_t fields[8] = {loaded.latency,   loaded.sampleRateIndex, engine.Volume(),
                                   engine.Tempo(),   engine.BeatInterval(),  engine.Accent(),
                                   loaded.showIntro, loaded.masterVolume};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(fields[i], c.expected[i]) << "field " << i;
    }
}

TEST_F(PreferencesTest, GarbageFileLoadsInRangeValues) {
    {
        std::ofstream out(file, std::ios::binary);
        for (int k = 0; k < 24; ++k) out.put(static_cast<char>(0xFF - 13 * k));
    }
    LoadPreferences(file, settings, metronome);
    EXPECT_GE(settings.latency, 1);
    EXPECT_LE(settings.latency, 50);
    EXPECT_GE(metronome.Tempo(), 40);
    EXPECT_LE(metronome.Tempo(), 200);
    EXPECT_GE(metronome.Accent(), 1);
    EXPECT_LE(metronome.Accent(), 6);
    EXPECT_GE(metronome.Volume(), 0);
    EXPECT_LE(metronome.Volume(), 64);
}

TEST_F(PreferencesTest, AFailedSaveReportsWhyAndCreatesNothing) {
    EXPECT_EQ(SavePreferences(folder / "missing" / kPreferencesFileName, settings, metronome),
              ENOENT);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST_F(PreferencesTest, ASaveThatFailsHalfWayLeavesTheOldFileByteForByte) {
    WriteWords({20, 2, 10, 90, 3, 0, 40});
    const std::vector<uint8_t> old = Bytes();
    settings = {5, 1, 1, 7};
    // Twelve bytes fit: the new file breaks off inside its fourth word.
    const int error = testing::RunWithFileSizeLimit(
        14, [&] { return SavePreferences(file, settings, metronome); });
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace ampliro
