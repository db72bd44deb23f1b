// The JACK back end against a real server: a private `jackd -d dummy` at
// 48 kHz with 64-frame periods, started and stopped by each test. A probe
// client of the test's own plays a signal into Ampliro's input and records
// Ampliro's left output, so the tests see the samples and the delay a user
// would get.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/power.h"
#include "audio/stream.h"
#include "jack_probe.h"
#include "jack_test_server.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/jack/jack_audio.h"
#include "platform/audio/jack/jack_server.h"
#include "platform/audio/live_audio.h"
#include "platform/audio/output_volume.h"
#include "tests/integration/live_backend_fixture.h"
#include "tests/wait_for.h"

namespace ampliro {
namespace {

using test::WaitFor;

constexpr int32_t kRate48kIndex = 4;

// A ramp of 16-bit values, never 0, as JACK floats.
std::vector<float> Ramp(size_t frames) {
    std::vector<float> signal(frames);
    for (size_t i = 0; i < frames; ++i) signal[i] = static_cast<float>(i % 20000 + 1) / 32768.0f;
    return signal;
}

class JackBackendTest : public test::LiveBackendFixture<JackTestServer, JackAudioBackend> {
  protected:
    void SetUp() override {
        StartChain(1, kRate48kIndex);
        ASSERT_TRUE(probe.Open());
    }

    // 48 kHz: a block is (latency + 2) x 32 frames.
    static void UseLatency(int32_t latency) {
        SetLatencySetting(latency);
        ApplySampleRate(kRate48kIndex);
    }

    // probe:out -> Ampliro:in, Ampliro:out_left -> probe:in.
    bool Patch() {
        std::shared_ptr<JackSession> session = jack.Session();
        return session != nullptr && probe.Connect(probe.OutName(), session->InputPortName()) &&
               probe.Connect(session->OutputPortName(0), probe.InName());
    }
    // The dummy server on a busy machine may lose a cycle between two
    // clients now and then (a server xrun, not a client's doing). The delay
    // of the first of five takes in which the first `compared` frames of the
    // signal came back intact, its recording in `kept`; -1 when none did.
    int32_t CleanDelay(const std::vector<float>& signal, size_t compared,
                       std::vector<float>* kept = nullptr) {
        return CleanDelay(signal, signal, compared, kept);
    }
    // The same where the signal should come back as `expected`.
    int32_t CleanDelay(const std::vector<float>& signal, const std::vector<float>& expected,
                       size_t compared, std::vector<float>* kept = nullptr) {
        return FirstCleanTake(signal, [&](std::vector<float>& recording) -> int32_t {
            const int32_t delay = LoopDelay(expected, recording);
            if (delay < 0 || delay + compared > recording.size()) return -1;
            for (size_t i = 0; i < compared; ++i) {
                if (recording[static_cast<size_t>(delay) + i] != expected[i]) return -1;
            }
            if (kept != nullptr) *kept = std::move(recording);
            return delay;
        });
    }
    // What `measure` makes of the first of five takes of the signal that it
    // finds clean (a figure of 0 or more); -1 when none was.
    template <typename Measure>
    int32_t FirstCleanTake(const std::vector<float>& signal, Measure measure) {
        for (int take = 0; take < 5; ++take) {
            std::vector<float> recording = probe.PlayAndRecord(signal);
            if (const int32_t figure = measure(recording); figure >= 0) return figure;
        }
        return -1;
    }
    int32_t PlainLoopDelay() {
        if (!probe.Connect(probe.OutName(), probe.InName())) return -2;
        const int32_t delay = CleanDelay(Ramp(4096), 2048);
        probe.Disconnect(probe.OutName(), probe.InName());
        return delay;
    }
    int32_t AmpliroDelay() { return CleanDelay(Ramp(8192), 4096); }
    // Sets the server's buffer size and waits until it runs at it.
    bool SetPeriod(uint32_t period) {
        if (jack_set_buffer_size(probe.Client(), period) != 0) return false;
        return WaitFor([&] { return jack_get_buffer_size(probe.Client()) == period; }, 5000);
    }
    void SwitchOn(int32_t key) {
        Effect* pedal = board.ByKey(key);
        if (pedal->enabled.load() == 0) pedal->ToggleEnabled();
    }
    // The delay of a click: the first frame of the recording that rises
    // above the chain's idle residue, less the frame the click was played
    // at; -1 when nothing came back. A causal chain answers a click in the
    // frame its own latency says, however long its echoes and sweeps ring
    // after. (The fixed-point Phaser and Parametric EQ never quite fall
    // silent after a sound: a few LSB of limit cycle, far below the click's
    // answer of thousands.)
    int32_t ClickDelay() {
        constexpr size_t kClickAt = 1000;
        constexpr float kResidue = 256.0f / 32768.0f;
        std::vector<float> signal(kClickAt + 4096, 0.0f);
        signal[kClickAt] = 0.5f;
        return FirstCleanTake(signal, [&](const std::vector<float>& recording) -> int32_t {
            for (size_t i = 0; i < recording.size(); ++i) {
                if (std::fabs(recording[i]) > kResidue)
                    return static_cast<int32_t>(i) - static_cast<int32_t>(kClickAt);
            }
            return -1;
        });
    }

    JackAudioBackend& jack = backend;
    JackProbe probe;
};

TEST_F(JackBackendTest, EverySampleComesBackExactlyThroughTheChain) {
    ASSERT_TRUE(Opened());
    ASSERT_TRUE(Patch());
    EXPECT_EQ(jack.Session()->ClientName(), "Ampliro");
    EXPECT_EQ(jack.Session()->InputPortName(), "Ampliro:in");
    EXPECT_EQ(jack.Session()->OutputPortName(1), "Ampliro:out_right");

    // A quarter second of ramp, then values outside the 16-bit range, which
    // saturate, and one that rounds to the nearest 16-bit value.
    constexpr size_t kRampFrames = 12000;
    std::vector<float> signal = Ramp(kRampFrames);
    signal.insert(signal.end(), {1.5f, -2.0f, 0.25f + 0.4f / 32768.0f, 1.0f});
    signal.resize(signal.size() + 2048, 0.0f);
    std::vector<float> recording;
    const int32_t delay = CleanDelay(signal, kRampFrames, &recording);
    ASSERT_GT(delay, 0);
    const size_t d = static_cast<size_t>(delay);
    EXPECT_EQ(recording[kRampFrames + d], 32767.0f / 32768.0f);
    EXPECT_EQ(recording[kRampFrames + 1 + d], -1.0f);
    EXPECT_EQ(recording[kRampFrames + 2 + d], 0.25f);
    EXPECT_EQ(recording[kRampFrames + 3 + d], 32767.0f / 32768.0f);
    // Ampliro itself never lost a block or ran short of output.
    EXPECT_EQ(StreamHealth().droppedBlocks.load(), 0u);
    EXPECT_EQ(jack.Session()->OutputShortfalls(), 0u);
}

// Ten one-second windows with Ampliro on the graph, each beside a window
// with a plain loopback client patched the same way in its place, so that a
// change in the machine's load falls on both.
TEST_F(JackBackendTest, AmpliroAddsNoXrunsOverTenSeconds) {
    uint32_t alone = 0;
    uint32_t with = 0;
    uint32_t lost = 0;
    for (int window = 0; window < 10; ++window) {
        JackLoopback loopback;
        ASSERT_TRUE(loopback.Open());
        ASSERT_TRUE(probe.Connect(probe.OutName(), loopback.InName()));
        ASSERT_TRUE(probe.Connect(loopback.OutName(0), probe.InName()));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        uint32_t before = probe.Xruns();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        alone += probe.Xruns() - before;
        loopback.Close();

        ASSERT_TRUE(Opened());
        ASSERT_TRUE(Patch());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        before = probe.Xruns();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        with += probe.Xruns() - before;
        EXPECT_EQ(jack.Session()->OutputShortfalls(), 0u);
        // What the user hears while the power is on. (The few cycles between
        // the close and the client's deactivation find no capture buffer
        // and count as lost; the power is off by then.)
        lost += StreamHealth().droppedBlocks.load();
        CloseAudioStream();
    }
    RecordProperty("xruns_loopback", static_cast<int>(alone));
    RecordProperty("xruns_with_ampliro", static_cast<int>(with));
    // The dummy server without real-time scheduling has xruns of its own
    // (its timer thread wakes late on a busy machine), and every client on
    // the graph may be the one that is late. A process callback that blocked
    // or overran would miss most of the 750 cycles a second; the bound lets
    // the machine's noise through and no such fault.
    EXPECT_LE(with, 2 * alone + 20) << "loopback client: " << alone;
    EXPECT_EQ(lost, 0u);
}

TEST_F(JackBackendTest, BothOutputsCarryTheMonoSignalThroughTheMasterVolume) {
    ASSERT_TRUE(Opened());
    std::shared_ptr<JackSession> session = jack.Session();
    ASSERT_TRUE(probe.Connect(probe.OutName(), session->InputPortName()));
    ASSERT_TRUE(probe.Connect(session->OutputPortName(1), probe.InName()));
    // Sample s leaves as s x 0x8000 / 0xFFFF, truncated: 2 gives 1, 20001
    // gives 10000.
    std::vector<float> signal(4800);
    std::vector<float> expected(4800);
    for (size_t i = 0; i < signal.size(); ++i) {
        const int32_t sample = static_cast<int32_t>(i % 20000 + 2);
        signal[i] = static_cast<float>(sample) / 32768.0f;
        expected[i] = static_cast<float>(sample * 0x8000 / 0xFFFF) / 32768.0f;
    }
    SetOutputVolume(0x80008000u);
    const int32_t delay = CleanDelay(signal, expected, 4000);
    SetOutputVolume(0xFFFFFFFFu);
    EXPECT_GT(delay, 0);
}

// The plain loop probe:out -> probe:in takes the graph's own delay. Through
// Ampliro, every pedal on, the loop takes only what the pedals report of
// their own (the Overdrive's tone stack: 3 frames), not a frame of the
// stream's: its block is the period, processed within the cycle. (The Pitch
// Shifter, off here, keeps to its own block at a period and reports that;
// see PedalBlocksTest.)
TEST_F(JackBackendTest, RoundTripWithEveryPedalOnIsThePlainLoop) {
    for (const uint32_t period : {64u, 256u}) {
        ASSERT_TRUE(SetPeriod(period));
        const int32_t plain = PlainLoopDelay();
        ASSERT_GE(plain, 0);
        UseLatency(1);  // a fresh chain: no tail of the last take
        for (int32_t key = 0; key < kEffectCount; ++key) {
            if (key != kKeyPitchShifter) SwitchOn(key);
        }
        ASSERT_TRUE(Opened());
        EXPECT_EQ(jack.Session()->Period(), period);
        EXPECT_EQ(StreamHealth().serverBlockFrames.load(), period);
        // The figure the user sees, with Ampliro between the system ports:
        // capture (one period) + playback (two), less the block that the
        // display adds itself.
        EXPECT_TRUE(
            WaitFor([&] { return StreamHealth().deviceLatencyFrames.load() == 2 * period; }, 2000))
            << StreamHealth().deviceLatencyFrames.load();
        ASSERT_TRUE(Patch());
        int32_t pedals = 0;
        for (int32_t key = 0; key < kEffectCount; ++key)
            pedals += board.ByKey(key)->LatencyFrames();
        EXPECT_EQ(pedals, 3);
        EXPECT_EQ(ClickDelay(), plain + pedals) << "period " << period;
        EXPECT_EQ(board.pitchShifter.OwnBlock(), 96);
        CloseAudioStream();
    }
}

TEST_F(JackBackendTest, PowerOffAndOnAgainLeavesTheGraphAndComesBack) {
    ASSERT_TRUE(Opened());
    ASSERT_TRUE(Patch());
    const int32_t first = AmpliroDelay();
    ASSERT_GT(first, 0);
    CloseAudioStream();
    EXPECT_FALSE(IsAudioRunning());
    EXPECT_EQ(StreamHealth().serverBlockFrames.load(), 0u);  // the latency knob comes back
    EXPECT_EQ(jack_port_by_name(probe.Client(), "Ampliro:in"), nullptr);
    EXPECT_EQ(FreePlaybackBufferCount(), StreamHeaderCount());

    ASSERT_TRUE(Opened());
    // The closed client left the graph, so its name is free again.
    EXPECT_EQ(jack.Session()->ClientName(), "Ampliro");
    ASSERT_TRUE(Patch());
    EXPECT_EQ(AmpliroDelay(), first);
    std::string reason;
    EXPECT_FALSE(AudioBackendFailed(reason));
    EXPECT_EQ(jack.Session()->OutputShortfalls(), 0u);
}

TEST_F(JackBackendTest, AServerThatGoesAwayIsReportedAndSurvived) {
    ASSERT_TRUE(Opened());
    server.Kill();
    std::string reason;
    ASSERT_TRUE(WaitFor([&] { return AudioBackendFailed(reason); }, 5000));
    EXPECT_NE(reason.find("The JACK server has stopped"), std::string::npos) << reason;
    EXPECT_NE(reason.find("press 'On/Off'"), std::string::npos) << reason;
    CloseAudioStream();
    EXPECT_FALSE(IsAudioRunning());
    EXPECT_FALSE(AudioBackendFailed(reason));
    EXPECT_TRUE(probe.ServerGone());
    probe.Close();

    // A new server: powering on finds it and the audio flows again.
    JackTestServer next;
    ASSERT_TRUE(next.Start()) << next.Log();
    JackProbe nextProbe;
    ASSERT_TRUE(nextProbe.Open());
    ASSERT_TRUE(Opened());
    std::shared_ptr<JackSession> session = jack.Session();
    ASSERT_TRUE(nextProbe.Connect(nextProbe.OutName(), session->InputPortName()));
    ASSERT_TRUE(nextProbe.Connect(session->OutputPortName(0), nextProbe.InName()));
    const std::vector<float> recording = nextProbe.PlayAndRecord(Ramp(4096));
    size_t sounding = 0;
    for (float sample : recording) sounding += sample != 0.0f;
    EXPECT_GT(sounding, 2048u);
    CloseAudioStream();
}

// A new buffer size while playing is the next cycle's block: no power-off,
// and the signal comes back whole at once at the new size, still with the
// plain loop's delay. Ampliro loses no block and never runs short.
TEST_F(JackBackendTest, ABufferSizeChangeIsFollowedWithoutStopping) {
    ASSERT_TRUE(Opened());
    ASSERT_TRUE(Patch());
    ASSERT_GT(AmpliroDelay(), 0);
    for (const uint32_t period : {128u, 16u, 4096u, 1024u, 64u}) {
        ASSERT_TRUE(SetPeriod(period));
        std::string reason;
        EXPECT_FALSE(AudioBackendFailed(reason)) << reason;
        EXPECT_TRUE(IsAudioRunning());
        EXPECT_TRUE(WaitFor([&] { return jack.Session()->Period() == period; }, 2000));
        const int32_t through = AmpliroDelay();
        EXPECT_GE(through, 0) << "period " << period;
        // The probe's own loop at 4096 frames is no guide (the server orders
        // a client's loop onto itself differently at that size).
        if (period <= 1024) {
            probe.Disconnect(probe.OutName(), jack.Session()->InputPortName());
            const int32_t plain = PlainLoopDelay();
            ASSERT_TRUE(probe.Connect(probe.OutName(), jack.Session()->InputPortName()));
            EXPECT_EQ(through, plain) << "period " << period;
        }
        EXPECT_EQ(StreamHealth().serverBlockFrames.load(), period);
    }
    EXPECT_EQ(jack.Session()->PeriodChanges(), 5u);
    EXPECT_EQ(StreamHealth().droppedBlocks.load(), 0u);
    EXPECT_EQ(jack.Session()->OutputShortfalls(), 0u);
    // The stream's buffers hold the longest period: 4 of 8192 bytes.
    EXPECT_EQ(StreamHeaderCount(), 4u);
}

TEST_F(JackBackendTest, AnotherRateIsRefusedNamingTheRateToChoose) {
    SetLatencySetting(1);
    ApplySampleRate(3);  // 44100 Hz
    SetAudioBackend(nullptr);
    EXPECT_EQ(OpenAudioStream(), kSampleRateRefused);
    EXPECT_FALSE(IsAudioRunning());
    const std::string text = AudioOpenFailureText(kSampleRateRefused);
    EXPECT_NE(text.find("runs at 48000 Hz"), std::string::npos) << text;
    EXPECT_NE(text.find("Choose 48Khz as the Sample Rate"), std::string::npos) << text;
    // Nothing of Ampliro stays on the graph.
    EXPECT_EQ(jack_port_by_name(probe.Client(), "Ampliro:in"), nullptr);
}

TEST_F(JackBackendTest, TheLiveDevicesAreJacksWhenAServerAnswersAndSdlsOtherwise) {
    SetAudioBackend(nullptr);
    auto* live = dynamic_cast<LiveAudioBackend*>(&CurrentAudioBackend());
    ASSERT_NE(live, nullptr);
    ASSERT_TRUE(Opened());
    EXPECT_TRUE(live->OnJack());
    EXPECT_NE(jack_port_by_name(probe.Client(), "Ampliro:in"), nullptr);
    CloseAudioStream();

    EXPECT_EQ(JackServerSampleRate(), 48000u);

    setenv("JACK_DEFAULT_SERVER", "ampliro-test-nobody-listens", 1);
    EXPECT_EQ(JackServerSampleRate(), 0u);
    ASSERT_TRUE(Opened());
    EXPECT_FALSE(live->OnJack());
    CloseAudioStream();
    setenv("JACK_DEFAULT_SERVER", server.Name().c_str(), 1);
}

TEST(JackRateRefusalTest, NamesTheRateToChooseOrTheRatesToRestartAt) {
    EXPECT_EQ(JackRateRefusalText(96000, 48000),
              "The JACK server runs at 96000 Hz and Ampliro is set to 48000 Hz. Choose 96Khz as "
              "the Sample Rate on the Configuration screen, then press 'On/Off' again.");
    EXPECT_EQ(JackRateRefusalText(88200, 44100),
              "The JACK server runs at 88200 Hz and Ampliro is set to 44100 Hz. Ampliro cannot "
              "run at 88200 Hz: restart the JACK server at 44100, 48000 or 96000 Hz, then press "
              "'On/Off' again.");
}

}  // namespace
}  // namespace ampliro
