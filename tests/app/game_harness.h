// The whole program, headless: a memory display, scripted audio devices and a
// temporary program folder, driven by pen and key messages from a second
// thread as a person would use it, with time for each screen to react.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/stream.h"
#include "display/memory_display.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "platform/files/paths.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "tests/test_files.h"

namespace ampliro::testing {

namespace fs = std::filesystem;

class HeadlessGame : public Application {
  public:
    HeadlessGame() { headless = true; }
    int OpenDisplay(int32_t o) override {
        orientation = o;
        delete display;
        display = new MemoryDisplay();
        return 1;
    }
    // Every message box, as "title|text", in the order shown (main thread;
    // read it after Run has returned).
    int ShowMessage(const char* title, const char* text, int kind) override {
        messages.push_back(std::string(title) + "|" + text);
        return Application::ShowMessage(title, text, kind);
    }
    std::vector<std::string> messages;
};

// The game as a person's thread may look at it: Snapshot, taken on the main
// thread at the end of each frame, so the person never reads the program's
// state while it changes.
template <typename Seen>
class WatchedGame : public HeadlessGame {
  public:
    int Frame() override {
        const int result = HeadlessGame::Frame();
        const Seen now = Snapshot();
        std::lock_guard<std::mutex> lock(mutex_);
        seen_ = now;
        return result;
    }
    Seen Look() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

  protected:
    virtual Seen Snapshot() = 0;

  private:
    std::mutex mutex_;
    Seen seen_;
};

// Writes 32-bit little-endian words, as the program's data files hold them.
inline void WriteWords(const fs::path& file, const std::vector<int32_t>& words) {
    std::ofstream out(file, std::ios::binary);
    for (int32_t w : words) {
        for (int k = 0; k < 4; ++k) out.put(static_cast<char>(static_cast<uint32_t>(w) >> (8 * k)));
    }
}

inline int32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
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
inline void PlayBlocks(ScriptedAudio& audio, int blocks, int16_t amplitude) {
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
    // Runs the game with a person acting on a second thread. A program still
    // running a few seconds after the person is done is told to quit, so a
    // test of a wrong answer fails instead of hanging; the result says
    // whether it ended by itself.
    template <typename Script>
    bool RunWithPerson(HeadlessGame& game, Script script) {
        SetTimer(game.window, 4242, 20);  // keeps modal loops waiting for the hands
        std::atomic<bool> ended{false};
        bool endedByItself = true;
        Hands hands(game.window);
        std::thread person([&] {
            script(hands);
            for (int wait = 0; wait < 100 && !ended.load(); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!ended.load()) {
                endedByItself = false;
                PostQuitMessage(0);
            }
        });
        game.Run();
        ended.store(true);
        person.join();
        return endedByItself;
    }

    void SetUp() override {
        folder = fs::temp_directory_path() / ("ampliro-game-" + std::to_string(getpid()) + "-" +
                                              std::to_string(reinterpret_cast<uintptr_t>(this)));
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

}  // namespace ampliro::testing
