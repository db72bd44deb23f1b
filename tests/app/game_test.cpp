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

#include <SDL.h>

#include "app/export/wav_export.h"
#include "game_harness.h"
#include "platform/window/event_translation.h"

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

// Files dropped onto the window go to the pedal their kind names, through
// the loader thread; a file of another kind is refused with a message.
TEST_F(GameTest, FilesDroppedOnTheWindowLoadIntoTheirPedals) {
    const fs::path model = folder / "tiny.nam";
    const std::string text =
        R"({"version":"0.5.4","architecture":"Linear",)"
        R"("config":{"receptive_field":2,"bias":true},"weights":[0.5,0.25,0]})";
    WriteBytes(model, std::vector<uint8_t>(text.begin(), text.end()));
    // A 16-bit mono WAV at 48 kHz: 64 samples of a decaying click.
    const auto header = WavHeader(48000, 128);
    std::vector<uint8_t> wav(header.begin(), header.end());
    for (int i = 0; i < 64; ++i) {
        const auto sample = static_cast<uint16_t>(16000 >> (i / 8));
        wav.push_back(static_cast<uint8_t>(sample));
        wav.push_back(static_cast<uint8_t>(sample >> 8));
    }
    const fs::path ir = folder / "room.wav";
    WriteBytes(ir, wav);
    const fs::path notes = folder / "notes.txt";
    WriteBytes(notes, {'h', 'i'});

    struct Loaded {
        std::string model, impulse;
    };
    class Game : public WatchedGame<Loaded> {
        Loaded Snapshot() override {
            return {pedals.amp.modelPath(), pedals.cabinet.impulsePath()};
        }
    } game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    Loaded loaded;
    RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(600);
        hands.Key(VK_RETURN);  // the intro's Ok
        for (const fs::path& file : {model, ir, notes}) {
            SDL_Event drop{};
            drop.type = SDL_DROPFILE;
            drop.drop.file = SDL_strdup(file.c_str());  // the window's to free, as SDL's are
            PostNativeEvent(game.window, &drop);
        }
        hands.Pause(300);
        hands.Key(VK_RETURN);  // Ok to the refusal; the two loads are collected after it
        hands.Pause(1000);
        loaded = game.Look();
        PostQuitMessage(0);
    });
    EXPECT_EQ(loaded.model, model.string());
    EXPECT_EQ(loaded.impulse, ir.string());
    ASSERT_EQ(game.messages.size(), 2u);  // the intro, then the refusal
    EXPECT_EQ(game.messages[1],
              "Cannot Load File|notes.txt is neither an amp model (.nam, .json) nor an impulse "
              "response (.wav, .aif, .aiff, .flac).");
}

}  // namespace
}  // namespace ampliro
