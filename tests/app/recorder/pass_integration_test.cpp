#include <vector>

#include "app/metronome/metronome_engine.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

uint32_t gNow = 5000;
uint32_t PassClock() {
    return gNow;
}

constexpr int32_t kBlock = 128;

// The metronome and the recorder in the processing pass of a running stream
// on scripted devices: each block goes in as captured samples and comes out
// as played ones.
class PassIntegrationTest : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        SetAudioBackend(&audio);
        SetStreamSampleRate(44100);
        SetStreamBufferSize(kBlock * 2);
        ASSERT_EQ(StartAudioThread(ProcessingPass), 0);
        ASSERT_EQ(OpenAudioStream(), kStreamOk);

        std::vector<uint8_t> click = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W', 'A', 'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                      1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58, 1,   0,   2,
                                      0,   16,  0,    'd',  'a', 't', 'a',  200,  0,   0,   0};
        for (int i = 0; i < 100; ++i) click.insert(click.end(), {0xE8, 0x03});  // 1000
        ASSERT_EQ(metronome.ClickSound().LoadWave(click.data(), click.size(), 1), 1);
        metronome.SetClock(PassClock);
        metronome.SetSampleRate(44100);
        metronome.SetVolume(64);
        metronome.SetAccent(1);
        InstallMetronome(&metronome);
        InstallRecorder(&recorder);
    }
    void TearDown() override {
        InstallMetronome(nullptr);
        InstallRecorder(nullptr);
        MuteInput.store(0);
        CloseAudioStream();
        SetAudioBackend(nullptr);
        RecorderTest::TearDown();
    }
    // One block through the stream: what the output device plays.
    std::vector<int16_t> Through(int16_t input) {
        const size_t before = audio.Played().size();
        EXPECT_TRUE(audio.Capture(std::vector<int16_t>(kBlock, input)));
        WaitForAudioThreadIdle();
        EXPECT_TRUE(audio.CompletePlayback());
        WaitForAudioThreadIdle();
        const std::vector<int16_t> played = audio.Played();
        return {played.begin() + static_cast<std::ptrdiff_t>(before), played.end()};
    }

    ScriptedAudio audio;
    MetronomeEngine metronome;
};

std::vector<int16_t> ClickOver(int16_t base) {
    // 99 of the click's 100 samples sound: it stops as its position reaches the end.
    std::vector<int16_t> v(kBlock, base);
    for (int i = 0; i < 99; ++i) v[i] = static_cast<int16_t>(base + 1000);
    return v;
}

TEST_F(PassIntegrationTest, ClickIsHeardButNotRecordedAndTheRecordingPlaysBack) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    metronome.Start();
    EXPECT_EQ(Through(200), ClickOver(200));
    metronome.Stop();
    EXPECT_EQ(Through(201), std::vector<int16_t>(kBlock, 201));
    recorder.StopRecorder();

    const std::vector<uint8_t> bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 4u + 4 * kBlock);
    for (int i = 0; i < 2 * kBlock; ++i) {
        const int16_t s = static_cast<int16_t>(bytes[4 + 2 * i] | bytes[5 + 2 * i] << 8);
        ASSERT_EQ(s, i < kBlock ? 200 : 201) << i;
    }

    ASSERT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Through(300), std::vector<int16_t>(kBlock, 500));
    EXPECT_EQ(Through(300), std::vector<int16_t>(kBlock, 501));
    EXPECT_EQ(Through(300), std::vector<int16_t>(kBlock, 300));  // the end: stopped
    EXPECT_EQ(recorder.State(), kRecorderStopped);
}

TEST_F(PassIntegrationTest, MutedInputLeavesClickAndPlaybackAudible) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Through(250);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    MuteInput.store(1);
    gNow += 10000;
    metronome.Start();
    EXPECT_EQ(Through(300), ClickOver(250));
    MuteInput.store(0);
}

}  // namespace
}  // namespace ampliro
