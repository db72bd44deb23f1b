#include "app/preferences.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/metronome_engine.h"
#include "tests/write_limit.h"

namespace ampliro {
namespace {

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("ampliro_prefs_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
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

TEST_F(PreferencesTest, MissingFileKeepsTheDefaults) {
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 12);
    EXPECT_EQ(settings.sampleRateIndex, 3);
    EXPECT_EQ(settings.showIntro, 1);
    EXPECT_EQ(metronome.Volume(), 48);
    EXPECT_EQ(metronome.Tempo(), 140);
    EXPECT_EQ(metronome.Accent(), 4);
}

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

TEST_F(PreferencesTest, ASixWordFileLoadsAndKeepsTheMasterVolume) {
    settings.masterVolume = 33;
    WriteWords({9, 2, 30, 120, 3, 0});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 9);
    EXPECT_EQ(settings.sampleRateIndex, 2);
    EXPECT_EQ(settings.showIntro, 0);
    EXPECT_EQ(metronome.Tempo(), 120);
    EXPECT_EQ(settings.masterVolume, 33);
    EXPECT_EQ(Preferences{}.masterVolume, 64);  // full, as before the seventh word

    // A reader of six words stops there; more words after the seventh are
    // ignored as well.
    WriteWords({9, 2, 30, 120, 3, 0, 12, 99, 99});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.masterVolume, 12);
}

TEST_F(PreferencesTest, ShortFileKeepsTheFieldsItDoesNotReach) {
    metronome.SetTempo(90);
    WriteWords({20, 2, 10}, 3);  // a partial fourth word
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 20);
    EXPECT_EQ(settings.sampleRateIndex, 2);
    EXPECT_EQ(metronome.Volume(), 10);
    EXPECT_EQ(metronome.Tempo(), 90);
    EXPECT_EQ(metronome.BeatInterval(), 667);
    EXPECT_EQ(metronome.Accent(), 4);
    EXPECT_EQ(settings.showIntro, 1);

    WriteWords({});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 20);
}

TEST_F(PreferencesTest, OutOfRangeValuesAreBroughtIntoRange) {
    WriteWords({0, 0, -5, 0, 0, 1});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 1);
    EXPECT_EQ(settings.sampleRateIndex, 0);  // 8000 Hz: the audio settings' own rule
    EXPECT_EQ(metronome.Volume(), 0);
    EXPECT_EQ(metronome.Tempo(), 40);
    EXPECT_EQ(metronome.BeatInterval(), 1500);
    EXPECT_EQ(metronome.Accent(), 1);

    WriteWords({1000, 77, 65, 100000, -3, 1, 1000});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.latency, 50);
    // Kept as it was, the index would stick in the latency caption and be
    // written back at exit.
    EXPECT_EQ(settings.sampleRateIndex, 5);
    EXPECT_EQ(settings.masterVolume, 64);
    EXPECT_EQ(metronome.Volume(), 64);
    EXPECT_EQ(metronome.Tempo(), 200);
    EXPECT_EQ(metronome.Accent(), 1);

    WriteWords({12, -2, 48, 140, 4, 1, -5});
    LoadPreferences(file, settings, metronome);
    EXPECT_EQ(settings.sampleRateIndex, 0);
    EXPECT_EQ(settings.masterVolume, 0);
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
