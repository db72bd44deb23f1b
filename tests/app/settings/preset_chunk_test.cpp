// The chunk after a preset's 268 bytes that holds the noise gate, the amp
// and the cabinet: written only for a sound that uses them, read back
// whole, and a damaged one changes nothing of theirs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "effects/pedalboard.h"
#include "tests/test_files.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

using testing::ReadBytes;
using testing::WriteBytes;

constexpr char kHalfModel[] =
    R"({"version": "0.5.4", "architecture": "Linear", "config": {"receptive_field": 1,)"
    R"( "bias": false}, "sample_rate": 44100, "weights": [0.5]})";

class PresetChunkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ampliro_chunk_" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "models");
        fs::create_directories(dir_ / "cabinets");
        std::ofstream(dir_ / "models" / "half.nam") << kHalfModel;
        SetPresetMediaFolders((dir_ / "models").string(), (dir_ / "cabinets").string());
        SetChainEffects(board_.AllByKey());
        RestoreDefaultOrder();
        ApplySampleRate(3);
    }
    void TearDown() override {
        Effect* none[kChainLength] = {};
        SetChainEffects(none);
        SetPresetMediaFolders("", "");
        fs::remove_all(dir_);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    // A sound that uses all three, its model inside the models folder.
    void UseTheThree() {
        board_.noiseGate.enabled = 1;
        board_.noiseGate.SetThreshold(-45);
        board_.amp.SetOutputDb(-3);
        ASSERT_EQ(board_.amp.LoadModel(kHalfModel, (dir_ / "models" / "half.nam").string()), "");
        board_.cabinet.SetMixPercent(70);
        MoveEffectUp(kChainLength - 1);  // Cabinet before Amp
    }
    std::vector<int32_t> Order() {
        int32_t keys[kChainLength];
        GetChainOrder(keys);
        return {keys, keys + kChainLength};
    }

    fs::path dir_;
    Pedalboard board_;
};

TEST_F(PresetChunkTest, ASoundWithoutTheThreeIsThe268BytesAlone) {
    board_.overdrive.enabled = 1;
    ASSERT_EQ(SavePreset(Path("plain.preset").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("plain.preset")).size(), 268u);
}

// A model loaded into an amp that is off and at its defaults is kept: the
// next start finds it again.
TEST_F(PresetChunkTest, AModelLoadedWhileTheAmpIsOffIsKept) {
    const std::string model = (dir_ / "models" / "half.nam").string();
    ASSERT_EQ(board_.amp.LoadModel(kHalfModel, model), "");
    ASSERT_EQ(SavePreset(Path("off.preset").c_str()), 1);
    Pedalboard other;
    SetChainEffects(other.AllByKey());
    PresetLoadReport report;
    ASSERT_EQ(LoadPreset(Path("off.preset").c_str(), &report), 1);
    EXPECT_EQ(other.amp.modelPath(), model);
    EXPECT_EQ(other.amp.enabled.load(), 0);
    SetChainEffects(board_.AllByKey());
}

TEST_F(PresetChunkTest, RoundTripRestoresTheThreeTheirPlacesAndTheirFiles) {
    UseTheThree();
    const std::vector<int32_t> order = Order();
    ASSERT_EQ(SavePreset(Path("full.preset").c_str()), 1);
    const std::vector<uint8_t> bytes = ReadBytes(Path("full.preset"));
    ASSERT_GT(bytes.size(), 268u);
    EXPECT_EQ(std::string(bytes.begin() + 268, bytes.begin() + 272), "AMPX");
    EXPECT_EQ(bytes[272], 1);  // version
    // The model is stored relative to the models folder.
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("half.nam"), std::string::npos);
    EXPECT_EQ(text.find(dir_.string()), std::string::npos);

    Pedalboard other;
    SetChainEffects(other.AllByKey());
    RestoreDefaultOrder();
    PresetLoadReport report;
    ASSERT_EQ(LoadPreset(Path("full.preset").c_str(), &report), 1);
    EXPECT_EQ(PresetLoadMessage(report), "");
    EXPECT_EQ(other.noiseGate.enabled.load(), 1);
    EXPECT_EQ(other.noiseGate.threshold, -45);
    EXPECT_EQ(other.amp.outputDb.load(), -3);
    EXPECT_EQ(other.cabinet.mixPercent.load(), 70);
    EXPECT_EQ(Order(), order);
    EXPECT_EQ(other.amp.modelPath(), (dir_ / "models" / "half.nam").string());
    ASSERT_EQ(SavePreset(Path("again.preset").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("again.preset")), bytes);
    SetChainEffects(board_.AllByKey());
}

TEST_F(PresetChunkTest, AMissingModelLoadsEverythingElseAndIsNamed) {
    UseTheThree();
    ASSERT_EQ(SavePreset(Path("full.preset").c_str()), 1);
    fs::remove(dir_ / "models" / "half.nam");
    Pedalboard other;
    SetChainEffects(other.AllByKey());
    PresetLoadReport report;
    ASSERT_EQ(LoadPreset(Path("full.preset").c_str(), &report), 1);
    EXPECT_EQ(other.noiseGate.threshold, -45);
    EXPECT_EQ(other.cabinet.mixPercent.load(), 70);
    EXPECT_EQ(report.missing, (dir_ / "models" / "half.nam").string());
    // The file on a line of its own: a message box breaks lines at "\r" only.
    EXPECT_NE(PresetLoadMessage(report).find(":\r" + report.missing), std::string::npos);
    SetChainEffects(board_.AllByKey());
}

TEST_F(PresetChunkTest, AnOldFileTakesTheThreeBackToTheirDefaults) {
    ASSERT_EQ(SavePreset(Path("plain.preset").c_str()), 1);
    UseTheThree();
    ASSERT_EQ(LoadPreset(Path("plain.preset").c_str()), 1);
    EXPECT_TRUE(board_.noiseGate.AtDefaults());
    EXPECT_TRUE(board_.cabinet.AtDefaults());
    EXPECT_EQ(Order(), (std::vector<int32_t>{9, 0, 6, 3, 5, 2, 4, 1, 8, 7, 10, 11}));
}

TEST_F(PresetChunkTest, ADamagedChunkLoadsTheNineAndLeavesTheThreeAsTheyWere) {
    UseTheThree();
    board_.overdrive.SetDrive(50);
    ASSERT_EQ(SavePreset(Path("full.preset").c_str()), 1);
    const std::vector<uint8_t> good = ReadBytes(Path("full.preset"));
    const auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + n); };
    const auto poke = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> b = good;
        b[at] = v;
        return b;
    };
    std::vector<uint8_t> garbage = cut(268);
    for (int i = 0; i < 300; ++i) garbage.push_back(static_cast<uint8_t>(i * 37 + 11));
    const size_t keys = 268 + 12 + 4 * 12;  // the first key of the twelve
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        bool newer;
    } rows[] = {
        {"tag only", cut(272), false},
        {"short records", cut(290), false},
        {"short path", cut(good.size() - 2), false},
        {"wrong tag", poke(268, 'X'), false},
        {"newer version", poke(272, 2), true},
        {"huge length", poke(279, 0x7F), false},
        {"repeated key", poke(keys, 0), false},
        {"garbage", garbage, false},
    };
    for (const Row& row : rows) {
        board_.noiseGate.SetThreshold(-70);
        board_.overdrive.SetDrive(10);
        WriteBytes(Path("bad.preset"), row.bytes);
        PresetLoadReport report;
        ASSERT_EQ(LoadPreset(Path("bad.preset").c_str(), &report), 1) << row.name;
        EXPECT_EQ(static_cast<int32_t>(board_.overdrive.drive), 50) << row.name;
        EXPECT_EQ(board_.noiseGate.threshold, -70) << row.name;
        EXPECT_EQ(report.chunkNewer, row.newer) << row.name;
        EXPECT_EQ(report.chunkDamaged, !row.newer) << row.name;
        EXPECT_NE(PresetLoadMessage(report), "") << row.name;
    }
}

}  // namespace
}  // namespace ampliro
