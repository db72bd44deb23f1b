// The whole program, headless: a memory display, scripted audio devices and a
// temporary program folder, driven by pen and key messages from a second
// thread as a person would use it, with time for each screen to react.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/my_game.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/stream.h"
#include "display/memory_display.h"
#include "gfx/paths.h"
#include "platform/message_queue.h"
#include "platform/scripted_audio.h"
#include "ui/messages.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

class HeadlessGame : public MyGame {
  public:
    HeadlessGame() { headless = true; }
    int OpenDisplay(int32_t o) override {
        orientation = o;
        delete display;
        display = new MemoryDisplay();
        return 1;
    }
};

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

// A person at the device: each action, then a pause for the program to draw.
class Hands {
  public:
    explicit Hands(Window* window) : window_(window) {}
    void Pause(int ms = 150) {
        // Until the program has taken everything posted (a slow build takes
        // longer), then a moment to handle the last of it.
        Message waiting;
        for (int empty = 0; empty < 3;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            empty = PeekMessage(&waiting, false) ? 0 : empty + 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void Key(uint32_t vk) {
        PostMessage(window_, WM_KEYDOWN, vk, 0);
        PostMessage(window_, WM_KEYUP, vk, 0);
        Pause();
    }
    void Tap(int32_t x, int32_t y) {
        PostMessage(window_, WM_LBUTTONDOWN, 1, PackPoint(x, y));
        PostMessage(window_, WM_LBUTTONUP, 0, PackPoint(x, y));
        Pause();
    }
    void Drag(int32_t x, int32_t y, int32_t dx) {
        PostMessage(window_, WM_LBUTTONDOWN, 1, PackPoint(x, y));
        PostMessage(window_, WM_MOUSEMOVE, 1, PackPoint(x + dx, y));
        PostMessage(window_, WM_LBUTTONUP, 0, PackPoint(x + dx, y));
        Pause();
    }
    void Type(const char* text) {
        for (; *text; ++text) PostMessage(window_, WM_CHAR, static_cast<uint8_t>(*text), 0);
        Pause();
    }

  private:
    Window* window_;
};

// Plays blocks of a steady tone through the running stream.
void PlayBlocks(ScriptedAudio& audio, int blocks, int16_t amplitude) {
    std::vector<int16_t> block(StreamBufferSize() / 2);
    for (int b = 0; b < blocks; ++b) {
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<int16_t>((i % 50 < 25) ? amplitude : -amplitude);
        audio.Capture(block);
        for (int spin = 0; spin < 200 && audio.QueuedPlaybackCount() == 0; ++spin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        while (audio.CompletePlayback()) {
        }
    }
}

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() /
            ("ampliro-game-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::remove_all(folder);
        fs::create_directories(folder);
        SetProgramFolder(folder.c_str());
        SetAudioBackend(&audio);
    }
    void TearDown() override {
        SetAudioBackend(nullptr);
        SetProgramFolder(nullptr);
        fs::remove_all(folder);
    }

    fs::path folder;
    ScriptedAudio audio;
};

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
            hands.Tap(35, 84);  // the On/Off switch
            hands.Key(VK_RIGHT);
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
            hands.Key(VK_RIGHT);   // "Delete Recording?" No
            hands.Key(VK_RETURN);
        });
        game.Run();
        person.join();
        loadedPreset = game.patches.CurrentPreset();
    }
    EXPECT_EQ(loadedPreset, (folder / "song.preset").string());
    EXPECT_EQ(driveAfterTurn, 52);  // 32 + (40 * 64 >> 7)
    EXPECT_TRUE(recordingPlayedBack);
    EXPECT_TRUE(fs::exists(folder / "RECORD.DAT"));
    // Nothing changed after saving, so the saved preset is the exit's sound.
    EXPECT_EQ(ReadBytes(folder / "song.preset"), ReadBytes(folder / "Defaults.preset"));

    const std::vector<uint8_t> prefs = ReadBytes(folder / "VRPREFS.DAT");
    ASSERT_EQ(prefs.size(), 24u);
    EXPECT_EQ(Word(prefs, 0), 12);    // latency
    EXPECT_EQ(Word(prefs, 4), 3);     // 44100 Hz
    EXPECT_EQ(Word(prefs, 8), 48);    // metronome volume
    EXPECT_EQ(Word(prefs, 12), 140);  // tempo
    EXPECT_EQ(Word(prefs, 16), 4);    // accent
    EXPECT_EQ(Word(prefs, 20), 0);    // the introduction is not shown again

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
    PostMessage(second.window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(second.window, WM_KEYUP, VK_RETURN, 0);
    SetTimer(second.window, 4242, 20);
    second.Run();
    EXPECT_FALSE(fs::exists(folder / "RECORD.DAT")) << "Yes to \"Delete Recording?\" deletes it";
}

}  // namespace
}  // namespace ampliro
