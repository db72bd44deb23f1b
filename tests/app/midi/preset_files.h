// Two presets in a folder, listed after "..": "clean" with the Overdrive off
// at drive 10, "lead" with it on at drive 60.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings/preset_file.h"
#include "audio/effect_chain.h"
#include "effects/pedalboard.h"

namespace ampliro {

inline void WriteTwoPresets(const std::filesystem::path& folder) {
    Pedalboard board;
    SetChainEffects(board.AllByKey());
    board.overdrive.SetDrive(10);
    board.overdrive.enabled = 0;
    ASSERT_EQ(SavePreset((folder / "clean.preset").c_str()), 1);
    board.overdrive.SetDrive(60);
    board.overdrive.enabled = 1;
    ASSERT_EQ(SavePreset((folder / "lead.preset").c_str()), 1);
    static Pedalboard idle;
    SetChainEffects(idle.AllByKey());
}

}  // namespace ampliro
