#include "audio/power.h"

#include "platform/audio/audio_health.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ampliro {
namespace {

// A stream, a clock, a screen and a message box that only record.
struct Recorder {
    int openResult = 0;
    int opens = 0;
    int closes = 0;
    bool running = false;
    std::string failure;  // what the devices say once they failed for good
    uint32_t now = 1000;
    std::vector<bool> shown;
    std::vector<std::pair<std::string, std::string>> messages;
};
Recorder* rec = nullptr;

int32_t FakeOpen() {
    ++rec->opens;
    rec->running = rec->openResult == 0;
    return rec->openResult;
}
void FakeClose() {
    ++rec->closes;
    rec->running = false;
}
bool FakeRunning() {
    return rec->running;
}
bool FakeFailed(std::string& reason) {
    reason = rec->failure;
    return !rec->failure.empty();
}
uint32_t FakeClock() {
    return rec->now;
}
void FakeSink(const char* title, const char* text) {
    rec->messages.emplace_back(title, text);
}

const PowerStream kFakeStream{FakeOpen, FakeClose, FakeRunning, FakeFailed};

class FakeView : public PowerView {
  public:
    void ShowPower(bool on) override { rec->shown.push_back(on); }
};

class PowerTest : public ::testing::Test {
  protected:
    PowerTest() {
        rec = &r;
        SetPowerStream(&kFakeStream);
        SetPowerClock(FakeClock);
        SetPowerView(&view);
        SetAudioErrorSink(FakeSink);
        SetPower(0);
        StreamHealth().Reset();
        r = Recorder();
    }
    ~PowerTest() override {
        SetPowerStream(nullptr);
        SetPowerClock(nullptr);
        SetPowerView(nullptr);
        SetAudioErrorSink(nullptr);
        rec = nullptr;
    }
    // One frame of the main loop, ms after the previous one, in which the
    // audio thread ran passes taking `load` percent of the time their blocks
    // last and lost `lost` blocks.
    void Frame(uint32_t ms, uint32_t load = 30, uint32_t lost = 0) {
        AudioHealth& health = StreamHealth();
        health.blockMicros.fetch_add(ms * 1000);
        health.busyMicros.fetch_add(ms * 10 * load);
        health.droppedBlocks.fetch_add(lost);
        r.now += ms;
        CheckAudioOverload();
    }
    // Frames at 20 per second for this long; the index of the frame that
    // powered the audio off, or -1.
    int FramesFor(uint32_t ms, uint32_t load, uint32_t lostEvery = 0) {
        for (uint32_t i = 0; i * 50 < ms; ++i) {
            const uint32_t lost = lostEvery != 0 && i % lostEvery == lostEvery - 1 ? 1 : 0;
            Frame(50, load, lost);
            if (!r.messages.empty()) return static_cast<int>(i);
        }
        return -1;
    }

    Recorder r;
    FakeView view;
};

TEST_F(PowerTest, PowerOnOpensTheStreamAndShowsOn) {
    r.now = 5000;
    SetPower(1);
    EXPECT_EQ(r.opens, 1);
    EXPECT_EQ(PowerOnTime(), 5000u);
    EXPECT_TRUE(AudioPowered());
    EXPECT_EQ(r.shown, std::vector<bool>{true});
    EXPECT_TRUE(r.messages.empty());

    SetPower(0);
    EXPECT_EQ(r.closes, 1);
    EXPECT_EQ(PowerOnTime(), 0u);
    EXPECT_EQ(r.shown, (std::vector<bool>{true, false}));
}

TEST_F(PowerTest, ValuesOtherThanZeroAndOneChangeNothing) {
    SetPower(1);
    const uint32_t on = PowerOnTime();
    SetPower(2);
    SetPower(-1);
    EXPECT_EQ(r.opens, 1);
    EXPECT_EQ(r.closes, 0);
    EXPECT_EQ(PowerOnTime(), on);
    EXPECT_EQ(r.shown.size(), 1u);
}

TEST_F(PowerTest, FailedPowerOnShowsOffAndTellsTheUserWhy) {
    r.openResult = 4;
    SetPower(1);
    EXPECT_EQ(r.opens, 1);
    EXPECT_FALSE(AudioPowered());
    EXPECT_EQ(PowerOnTime(), 0u);  // nothing for the watchdog to watch
    EXPECT_EQ(r.shown, std::vector<bool>{false});
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].first, "Audio Error");
    EXPECT_NE(r.messages[0].second.find("could not be opened"), std::string::npos);
    EXPECT_NE(r.messages[0].second.find("output device"), std::string::npos);
    EXPECT_NE(r.messages[0].second.find("error 4"), std::string::npos);

    // A later frame does not fire the watchdog on the dead stream.
    for (int i = 0; i < 40; ++i) Frame(500);
    EXPECT_EQ(r.messages.size(), 1u);
}

TEST_F(PowerTest, EveryOpenFailureHasItsOwnReason) {
    EXPECT_NE(std::string(AudioOpenFailureText(3)).find("input device"), std::string::npos);
    EXPECT_NE(std::string(AudioOpenFailureText(12)).find("buffers"), std::string::npos);
    EXPECT_NE(std::string(AudioOpenFailureText(15)).find("input could not be started"),
              std::string::npos);
    EXPECT_NE(std::string(AudioOpenFailureText(99)).find("error 99"), std::string::npos);
}

TEST_F(PowerTest, PassesSlowerThanTheirBlocksPowerOffOnceTheyLastMoreThanTwoSeconds) {
    for (int i = 0; i < 40; ++i) Frame(1000, 300);  // off: nothing is judged
    EXPECT_TRUE(r.messages.empty());

    SetPower(1);
    // Passes take 1.5 times as long as their blocks from the start: the
    // 2000 ms grace, then a 500 ms window that starts the trouble, then more
    // than 2000 ms of it.
    const int fired = FramesFor(10000, 150);
    EXPECT_EQ(fired, (2000 + 500 + 2500) / 50 - 1);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].first, "Audio Error");
    EXPECT_EQ(r.messages[0].second, kOverloadText);
    EXPECT_FALSE(AudioPowered());
    EXPECT_EQ(PowerOnTime(), 0u);
    EXPECT_EQ(r.shown.back(), false);
}

TEST_F(PowerTest, LostBlocksInEveryWindowPowerOffButAStrayOneDoesNot) {
    SetPower(1);
    // A block lost now and then (a sound server's hiccup) never fires.
    EXPECT_EQ(FramesFor(60000, 30, 40), -1);
    EXPECT_TRUE(AudioPowered());
    // A block lost every 200 ms is a stream that cannot keep up.
    EXPECT_GE(FramesFor(10000, 30, 4), 0);
    EXPECT_FALSE(AudioPowered());
}

TEST_F(PowerTest, BusyButKeepingUpNeverFires) {
    SetPower(1);
    EXPECT_EQ(FramesFor(60000, 99), -1);
    // Load swinging above 1 for under two seconds at a time.
    for (int burst = 0; burst < 10; ++burst) {
        EXPECT_EQ(FramesFor(1500, 130), -1);
        EXPECT_EQ(FramesFor(600, 50), -1);
    }
    EXPECT_TRUE(AudioPowered());
}

TEST_F(PowerTest, ModalDialogsAndAnInactiveWindowNeverCount) {
    SetPower(1);
    EXPECT_EQ(FramesFor(3000, 30), -1);
    // A message box open for 5 s, then the window inactive for a minute: no
    // frames run meanwhile while the audio keeps flowing.
    Frame(5000);
    EXPECT_EQ(FramesFor(3000, 30), -1);
    Frame(60000);
    EXPECT_EQ(FramesFor(3000, 30), -1);
    EXPECT_TRUE(AudioPowered());
    EXPECT_TRUE(r.messages.empty());
}

TEST_F(PowerTest, APassThatNeverReturnsPowersOff) {
    SetPower(1);
    EXPECT_EQ(FramesFor(3000, 30), -1);
    // The audio thread went into a pass three seconds ago and no block has
    // been accounted since.
    StreamHealth().passStartMicros.store(MonotonicMicros() - 3000000);
    EXPECT_GE(FramesFor(4000, 0), 0);
    StreamHealth().passStartMicros.store(0);
    EXPECT_FALSE(AudioPowered());
}

TEST_F(PowerTest, DevicesThatFailForGoodPowerOffWithTheirOwnWords) {
    SetPower(1);
    // Even with the watchdog disarmed (the storage alarm), in the grace.
    DisarmOverloadWatchdog();
    Frame(50);
    EXPECT_TRUE(AudioPowered());
    r.failure = "The JACK server has stopped.";
    Frame(50);
    EXPECT_FALSE(AudioPowered());
    EXPECT_EQ(r.closes, 1);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].first, "Audio Error");
    EXPECT_EQ(r.messages[0].second, "The JACK server has stopped.");
    Frame(50);  // told once
    EXPECT_EQ(r.messages.size(), 1u);
}

TEST_F(PowerTest, DisarmedWatchdogWaitsForTheNextPowerOn) {
    SetPower(1);
    DisarmOverloadWatchdog();
    for (int i = 0; i < 40; ++i) Frame(1000);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(AudioPowered());  // the stream keeps running
}

}  // namespace
}  // namespace ampliro
