#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "audio/power.h"
#include "audio/stream.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

// 96 samples at 44100 Hz last 2176 microseconds.
constexpr uint32_t kBlockBytes = 192;
std::atomic<uint32_t> gPassMicros{0};

int PassOfChosenLength(int16_t*, int32_t) {
    if (gPassMicros.load() != 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(gPassMicros.load()));
    }
    return 0;
}

std::vector<std::string> gTold;
void Tell(const char*, const char* text) {
    gTold.emplace_back(text);
}

// The real stream on the scripted devices, the real clock, and a pass that
// takes as long as the test says; the devices are fed a block every 4 ms
// for as long as the test runs the main loop's frames.
class OverloadWatchdogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetAudioBackend(&audio);
        ASSERT_EQ(StartAudioThread(&PassOfChosenLength), 0);
        SetStreamSampleRate(44100);
        SetStreamBufferSize(kBlockBytes);
        SetAudioErrorSink(Tell);
        gTold.clear();
    }
    void TearDown() override {
        SetPower(0);
        SetAudioErrorSink(nullptr);
        SetAudioBackend(nullptr);
    }

    // Runs frames every 50 ms for up to `ms`; true when the watchdog fired.
    bool RunFor(uint32_t ms) {
        const uint32_t start = Milliseconds();
        uint32_t lastFrame = start;
        const std::vector<int16_t> block(kBlockBytes / 2, 100);
        while (Milliseconds() - start < ms) {
            audio.Capture(block);
            while (audio.CompletePlayback()) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(4));
            if (Milliseconds() - lastFrame >= 50) {
                lastFrame = Milliseconds();
                CheckAudioOverload();
                if (!gTold.empty()) return true;
            }
        }
        return false;
    }

    ScriptedAudio audio;
};

TEST_F(OverloadWatchdogTest, APassSlowerThanItsBlockPowersOffWithTheMessage) {
    gPassMicros = 6000;
    SetPower(1);
    ASSERT_TRUE(IsAudioRunning());
    EXPECT_TRUE(RunFor(8000));
    ASSERT_EQ(gTold.size(), 1u);
    EXPECT_EQ(gTold[0], kOverloadText);
    EXPECT_FALSE(IsAudioRunning());
    EXPECT_GT(StreamHealth().slowPasses.load(), 0u);
}

TEST_F(OverloadWatchdogTest, AFastPassKeepsTheAudioOnThroughAModalPause) {
    gPassMicros = 100;
    SetPower(1);
    EXPECT_FALSE(RunFor(2500));
    // Five seconds in which the main loop runs no frame (a message box), the
    // audio flowing all along.
    const uint32_t start = Milliseconds();
    const std::vector<int16_t> block(kBlockBytes / 2, 100);
    while (Milliseconds() - start < 5000) {
        audio.Capture(block);
        while (audio.CompletePlayback()) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    EXPECT_FALSE(RunFor(2000));
    EXPECT_TRUE(IsAudioRunning());
    EXPECT_TRUE(gTold.empty());
    EXPECT_GT(StreamHealth().passes.load(), 1000u);
}

// A pass shorter than the clock's microsecond: its time is 0, never a
// wrapped-around four thousand seconds.
TEST_F(OverloadWatchdogTest, PassesThatTakeNoTimeAreNeverSlow) {
    gPassMicros = 0;
    ASSERT_EQ(OpenAudioStream(), 0);
    const std::vector<int16_t> block(kBlockBytes / 2, 100);
    for (int i = 0; i < 2000; ++i) {
        audio.Capture(block);
        WaitForAudioThreadIdle();
        while (audio.CompletePlayback()) {
        }
    }
    const AudioHealth& health = StreamHealth();
    EXPECT_EQ(health.passes.load(), 2000u);
    EXPECT_EQ(health.slowPasses.load(), 0u);
    EXPECT_LT(health.busyMicros.load(), health.blockMicros.load());
    CloseAudioStream();
}

}  // namespace
}  // namespace ampliro
