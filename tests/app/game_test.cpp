// The whole program, headless, through a session a person would have.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "game_harness.h"

namespace ampliro {
namespace {

using namespace testing;

TEST_F(GameTest, AFullSessionIsSavedAtExitAndRestoredAtTheNextStart) {
    int32_t driveAfterTurn = 0;
    bool recordingPlayedBack = false;
    std::string loadedPreset;
    {
        HeadlessGame game;
        ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
        SetTimer(game.window, 4242, 20);  // keeps modal loops waiting for the hands
        Hands hands(game.window);
        std::thread person([&] {
            hands.Pause(600);
            hands.Tap(130, 185);  // "Don't show me again!"
            hands.Key(VK_RIGHT);  // locked while the power is off
            hands.Key(VK_RETURN);
            hands.Tap(35, 84);        // the On/Off switch
            hands.Key(VK_RIGHT);      // the first pedal: the Noise Gate
            hands.Key(VK_DOWN);       // the Overdrive after it
            hands.Drag(120, 41, 40);  // the Overdrive's Drive knob
            driveAfterTurn = game.pedals.overdrive.drive;
            hands.Tap(100, 260);  // its footswitch
            hands.Key(VK_DOWN);   // the next pedal in the chain
            hands.Key(VK_RIGHT);  // Presets
            hands.Tap(120, 295);  // Save
            hands.Type("song");
            hands.Tap(140, 240);  // Ok
            hands.Tap(100, 103);  // the row of song.preset, below ".."
            hands.Tap(50, 295);   // Load
            hands.Key(VK_RIGHT);
            hands.Key(VK_RIGHT);  // the Loop Recorder
            hands.Tap(43, 81);    // Record
            PlayBlocks(audio, 20, 8000);
            hands.Tap(143, 81);  // Stop
            hands.Tap(93, 81);   // Play
            audio.Played();
            PlayBlocks(audio, 5, 0);
            for (int16_t s : audio.Played()) recordingPlayedBack |= s != 0;
            hands.Tap(143, 81);    // Stop
            hands.Key(VK_SHIFT);   // the exit key
            hands.Key(VK_RETURN);  // "Exit Program?" Yes
            hands.Key(VK_RETURN);  // "Delete Recording?" opens on No
        });
        game.Run();
        person.join();
        loadedPreset = game.presets.CurrentPreset();
    }
    EXPECT_EQ(loadedPreset, (folder / "song.preset").string());
    EXPECT_EQ(driveAfterTurn, 52);  // 32 + (40 * 64 >> 7)
    EXPECT_TRUE(recordingPlayedBack);
    EXPECT_TRUE(fs::exists(folder / "RECORD.DAT"));
    // Nothing changed after saving, so the saved preset is the exit's sound.
    EXPECT_EQ(ReadBytes(folder / "song.preset"), ReadBytes(folder / "Defaults.preset"));

    const std::vector<uint8_t> prefs = ReadBytes(folder / "VRPREFS.DAT");
    ASSERT_EQ(prefs.size(), 28u);
    EXPECT_EQ(Word(prefs, 0), 12);    // latency
    EXPECT_EQ(Word(prefs, 4), 3);     // 44100 Hz
    EXPECT_EQ(Word(prefs, 8), 48);    // metronome volume
    EXPECT_EQ(Word(prefs, 12), 140);  // tempo
    EXPECT_EQ(Word(prefs, 16), 4);    // accent
    EXPECT_EQ(Word(prefs, 20), 0);    // the introduction is not shown again
    EXPECT_EQ(Word(prefs, 24), 64);   // the master volume

    const std::vector<uint8_t> preset = ReadBytes(folder / "Defaults.preset");
    ASSERT_EQ(preset.size(), 268u);
    // The Overdrive's record comes first: level, mix, on, bass, middle,
    // treble, saturation, drive.
    EXPECT_EQ(Word(preset, 0), 64);
    EXPECT_EQ(Word(preset, 8), 1);
    EXPECT_EQ(Word(preset, 28), 52);
    const int32_t defaultOrder[9] = {0, 6, 3, 5, 2, 4, 1, 8, 7};
    for (int slot = 0; slot < 9; ++slot)
        EXPECT_EQ(Word(preset, 232 + 4 * slot), defaultOrder[slot]);

    HeadlessGame second;
    ASSERT_NE(second.CreateMainWindow(nullptr), nullptr);
    EXPECT_EQ(second.preferences.showIntro, 0);
    EXPECT_EQ(second.pedals.overdrive.enabled, 1);
    EXPECT_EQ(second.pedals.overdrive.drive, driveAfterTurn);
    PostMessage(second.window, WM_CLOSE, 0, 0);
    PostMessage(second.window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(second.window, WM_KEYUP, VK_RETURN, 0);
    PostMessage(second.window, WM_KEYDOWN, VK_LEFT, 0);
    PostMessage(second.window, WM_KEYUP, VK_LEFT, 0);
    PostMessage(second.window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(second.window, WM_KEYUP, VK_RETURN, 0);
    SetTimer(second.window, 4242, 20);
    second.Run();
    EXPECT_FALSE(fs::exists(folder / "RECORD.DAT")) << "Yes to \"Delete Recording?\" deletes it";
}

}  // namespace
}  // namespace ampliro
