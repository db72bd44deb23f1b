// The factory presets as the build writes them: each a whole preset file that
// the program's reader takes, with the pedals its name promises switched on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/screens/presets_screen.h"
#include "app/settings/preset_file.h"
#include "app/start_files.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "effects/pedalboard.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

struct FactoryRow {
    const char* name;
    std::vector<int32_t> pedalsOn;  // keys, ascending
};

std::vector<int32_t> PedalsOn(const Pedalboard& board) {
    std::vector<int32_t> on;
    for (int32_t key = 0; key < kEffectCount; ++key)
        if (board.ByKey(key)->enabled.load()) on.push_back(key);
    return on;
}

TEST(FactoryPresetsTest, EachIsAWholePresetThatLoadsWithItsPedalsOn) {
    const fs::path folder = fs::path(AMPLIRO_BINARY_DIR) / "factory-presets";
    const FactoryRow rows[] = {
        {"Clean", {kKeyReverb, kKeyGraphicEq}},
        {"Crunch", {kKeyOverdrive, kKeyReverb}},
        {"Lead", {kKeyOverdrive, kKeyReverb, kKeyDelay}},
        {"Metal", {kKeyOverdrive, kKeyGraphicEq}},
        {"Ambient", {kKeyReverb, kKeyChorus, kKeyDelay}},
        {"Slapback", {kKeyOverdrive, kKeyDelay}},
        {"Chorus Clean", {kKeyReverb, kKeyChorus}},
        {"Tremolo Surf", {kKeyReverb, kKeyGraphicEq, kKeyTremolo}},
    };
    std::vector<std::string> expected;
    for (const FactoryRow& row : rows) expected.push_back(std::string(row.name) + ".preset");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(PresetFilesIn(folder.string()), expected);

    Pedalboard board;
    SetChainEffects(board.AllByKey());
    for (const FactoryRow& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = folder / (std::string(row.name) + ".preset");
        ASSERT_EQ(fs::file_size(file), 268u);
        EXPECT_EQ(PresetFileProblem(file.string()), "");
        for (int32_t key = 0; key < kEffectCount; ++key) board.ByKey(key)->enabled = 1;
        RestoreDefaultOrder();
        ApplySampleRate(3);
        ASSERT_EQ(LoadPreset(file.c_str()), 1);
        EXPECT_EQ(PedalsOn(board), row.pedalsOn);
        int32_t keys[kChainLength];
        GetChainOrder(keys);
        EXPECT_EQ(std::vector<int32_t>(keys, keys + kChainLength),
                  std::vector<int32_t>(std::begin(EffectChain::kDefaultOrder),
                                       std::end(EffectChain::kDefaultOrder)));
    }
    // A setting from the table arrives: the slapback's short delay.
    ASSERT_EQ(LoadPreset((folder / "Slapback.preset").c_str()), 1);
    EXPECT_EQ(board.delay.delayMs, 110);
    EXPECT_EQ(board.graphicEq.bandGain[0], 0);
    ASSERT_EQ(LoadPreset((folder / "Metal.preset").c_str()), 1);
    EXPECT_EQ(board.graphicEq.bandGain[3], -5);
    Effect* const none[kEffectCount] = {};
    SetChainEffects(none);
}

}  // namespace
}  // namespace ampliro
