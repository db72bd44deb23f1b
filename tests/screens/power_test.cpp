#include "audio/power.h"

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
uint32_t FakeClock() {
    return rec->now;
}
void FakeSink(const char* title, const char* text) {
    rec->messages.emplace_back(title, text);
}

const PowerStream kFakeStream{FakeOpen, FakeClose, FakeRunning};

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
        OverloadMeter().Reset();
        r = Recorder();
    }
    ~PowerTest() override {
        SetPowerStream(nullptr);
        SetPowerClock(nullptr);
        SetPowerView(nullptr);
        SetAudioErrorSink(nullptr);
        rec = nullptr;
    }
    // One frame of the main loop, ms after the previous one.
    void Frame(uint32_t ms) {
        r.now += ms;
        CheckAudioOverload();
    }

    Recorder r;
    FakeView view;
};

TEST(FrameRateMeterTest, ReportsZeroUntilSixteenTicksThenTheRate) {
    FrameRateMeter meter;
    for (int i = 0; i < 15; ++i) EXPECT_EQ(meter.Sample(1000 + 50 * i), 0u) << i;
    // 16th tick: 15 frames of 50 ms took 750 ms, 16000 / 750 = 21.
    EXPECT_EQ(meter.Sample(1000 + 50 * 15), 21u);
    EXPECT_EQ(meter.Sample(1000 + 50 * 16), 21u);
    // A frame every 400 ms: the oldest tick leaves the ring one at a time.
    FrameRateMeter slow;
    for (int i = 0; i < 16; ++i) slow.Sample(400u * i);
    EXPECT_EQ(slow.Sample(400u * 16), 2u);  // 16000 / 6000
}

TEST(FrameRateMeterTest, EqualTicksFifteenFramesApartGive999AndTheClockMayWrap) {
    FrameRateMeter meter;
    for (int i = 0; i < 16; ++i) meter.Sample(77);
    EXPECT_EQ(meter.Sample(77), 999u);
    FrameRateMeter wrapping;
    for (uint32_t i = 0; i < 16; ++i) wrapping.Sample(0xFFFFFF00u + 100 * i);
    EXPECT_EQ(wrapping.Sample(0xFFFFFF00u + 1600), 10u);  // 16000 / 1500, across the wrap
}

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

TEST_F(PowerTest, WatchdogSleepsWhileOffAndThroughTheGracePeriod) {
    for (int i = 0; i < 40; ++i) Frame(1000);  // off: nothing is sampled
    EXPECT_TRUE(r.messages.empty());

    SetPower(1);
    // One frame a second is far below 5 per second, but the meter reads 0
    // for its first 15 frames and the grace runs 2000 ms.
    Frame(1000);
    Frame(1000);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(AudioPowered());
    Frame(1);  // 2001 ms after power-on, meter still filling: reads 0
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].first, "Audio Error");
    EXPECT_EQ(r.messages[0].second, kOverloadText);
    EXPECT_FALSE(AudioPowered());
    EXPECT_EQ(PowerOnTime(), 0u);
    EXPECT_EQ(r.shown.back(), false);
}

TEST_F(PowerTest, SteadyFramesNeverFire) {
    SetPower(1);
    for (int i = 0; i < 200; ++i) Frame(50);  // 20 frames per second
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(AudioPowered());
    // Starved frames: 15 frames over 3 s is 16000 / 3000 = 5, still enough.
    for (int i = 0; i < 15; ++i) Frame(200);
    EXPECT_TRUE(r.messages.empty());
    for (int i = 0; i < 15; ++i) Frame(300);  // 16000 / 4500 = 3
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
