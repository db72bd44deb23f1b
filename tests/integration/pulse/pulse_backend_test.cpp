// The PulseAudio back end against a real server: a private PulseAudio with
// two null sinks started and stopped by each test. The test's own client
// plays into the rig's "guitar" and records the monitor of "amp", so the
// tests hear what a player would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/live_audio.h"
#include "platform/audio/pulse/pulse_audio.h"
#include "pulse_probe.h"
#include "pulse_test_server.h"
#include "tests/integration/live_backend_fixture.h"
#include "tests/wait_for.h"

namespace ampliro {
namespace {

using test::WaitFor;

// A ramp of 16-bit values, never 0, so that silence shows.
std::vector<int16_t> Ramp(size_t samples) {
    std::vector<int16_t> signal(samples);
    for (size_t i = 0; i < samples; ++i) signal[i] = static_cast<int16_t>(i % 20000 + 1);
    return signal;
}

class PulseBackendTest : public test::LiveBackendFixture<PulseTestServer, PulseAudioBackend> {
  protected:
    void SetUp() override { StartChain(kDefaultLatency, kDefaultSampleRateIndex); }

    // A loaded machine may make the server miss a turn now and then, and a
    // null sink may clip the start of a stream that joins it while it runs:
    // true when, in one of three takes, half a second of ramp came back whole.
    bool RampComesBack() {
        const std::vector<int16_t> signal = Ramp(22050);
        for (int take = 0; take < 3; ++take) {
            if (FindWhole(signal, PlayAndRecord(signal, 1.5), 20000) >= 0) return true;
        }
        return false;
    }

    PulseAudioBackend& pulse = backend;
};

TEST_F(PulseBackendTest, TheGuitarComesBackWholeBehindTheCushion) {
    ASSERT_TRUE(Opened());
    std::shared_ptr<PulseSession> session = pulse.Session();
    ASSERT_NE(session, nullptr);
    // 10 ms at 44.1 kHz; a loaded machine may make it grow, 10 ms at most.
    EXPECT_EQ(session->CushionFrames(), 441u);
    EXPECT_TRUE(RampComesBack());
    EXPECT_LE(session->CushionFrames(), 882u);
    // What the user reads beside the block: the server's own reckoning of
    // the input and output waiting, the cushion among it, well under 0.1 s.
    const uint32_t device = StreamHealth().deviceLatencyFrames.load();
    EXPECT_GE(device, 441u);
    EXPECT_LT(device, 4410u);
    EXPECT_GT(StreamHealth().passes.load(), 0u);
}

// The pass that first meets the middle of the ramp stalls for 40 ms, longer
// than the cushion and a block together, as a thread that wakes late.
std::atomic<bool> gStalled{false};
int StallOnceInTheMiddle(int16_t* samples, int32_t count) {
    if (!gStalled.load() &&
        std::any_of(samples, samples + count, [](int16_t s) { return s >= 15000 && s < 16000; })) {
        gStalled.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return ProcessingPass(samples, count);
}

// The server never waits for late data: it plays silence in its place, so
// what comes after keeps its time. The latency grows only by the cushion's
// steps (220 frames, 5 ms, for each under-run), never by the gap.
TEST_F(PulseBackendTest, ALateThreadCostsAGapButNoLatency) {
    gStalled.store(false);
    ASSERT_EQ(StartAudioThread(&StallOnceInTheMiddle), 0);
    ASSERT_TRUE(Opened());
    std::vector<int16_t> signal(30000);
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<int16_t>(i + 1);
    const std::vector<int16_t> heard = PlayAndRecord(signal, 1.5);
    ASSERT_TRUE(gStalled.load());
    const auto at = [&](int16_t value) {
        return std::find(heard.begin(), heard.end(), value) - heard.begin();
    };
    const int64_t before = at(5000) - 4999;
    const int64_t after = at(25000) - 24999;
    ASSERT_LT(at(5000), at(25000));
    ASSERT_LT(at(25000), static_cast<int64_t>(heard.size()));
    const uint32_t underruns = StreamHealth().underruns.load();
    EXPECT_GE(underruns, 1u);
    const uint32_t grown = pulse.Session()->CushionFrames() - 441;
    EXPECT_THAT(after - before, ::testing::AnyOf(220, 440, 441));
    EXPECT_LE(after - before, static_cast<int64_t>(grown));
}

TEST_F(PulseBackendTest, PowerOffAndOnAgainPlaysAgain) {
    ASSERT_TRUE(Opened());
    CloseAudioStream();
    EXPECT_EQ(pulse.Session(), nullptr);
    ASSERT_TRUE(Opened());
    EXPECT_TRUE(RampComesBack());
}

TEST_F(PulseBackendTest, AServerThatGoesAwaySwitchesTheAudioOffWithItsReason) {
    ASSERT_TRUE(Opened());
    server.Kill();
    std::string reason;
    ASSERT_TRUE(WaitFor([&] { return AudioBackendFailed(reason); }, 5000));
    EXPECT_THAT(reason, ::testing::StartsWith("The sound server has stopped"));
    EXPECT_THAT(reason, ::testing::HasSubstr("press 'On/Off' to start it again"));
    CloseAudioStream();
    // A new server is found at the next power-on.
    ASSERT_TRUE(server.Start()) << server.Log();
    ASSERT_TRUE(Opened());
    EXPECT_FALSE(AudioBackendFailed(reason));
    EXPECT_TRUE(RampComesBack());
}

TEST_F(PulseBackendTest, NoServerIsNoDriverSoTheLiveDevicesMoveOn) {
    server.Stop();
    std::unique_ptr<WaveIn> in;
    ThreadQueue queue;
    WaveFormat format;
    EXPECT_EQ(pulse.OpenCapture(format, queue, in), kWaveNoDriver);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(pulse.LastError(), "no PulseAudio server answers");
}

// The live devices take PulseAudio when it answers, unless SDL's driver is
// set to another one (a file, a dummy): the user's choice stands.
TEST_F(PulseBackendTest, TheLiveDevicesChoosePulseAudioUnlessSdlIsToldOtherwise) {
    SetAudioBackend(nullptr);
    auto* live = dynamic_cast<LiveAudioBackend*>(&CurrentAudioBackend());
    ASSERT_NE(live, nullptr);
    const std::string before = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(Opened());
    EXPECT_TRUE(live->OnPulse());
    EXPECT_THAT(live->CaptureDeviceName(), ::testing::HasSubstr("PulseAudio"));
    CloseAudioStream();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(Opened());
    EXPECT_FALSE(live->OnPulse());
    CloseAudioStream();
    setenv("SDL_AUDIODRIVER", before.c_str(), 1);
}

}  // namespace
}  // namespace ampliro
