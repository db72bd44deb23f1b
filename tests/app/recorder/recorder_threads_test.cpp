#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

// Lowers this process's file-size limit, so that writes past it come up
// short as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(RecorderTest, ShortWriteStopsTheRecordingAndRaisesTheAlarm) {
    {
        FileSizeLimit limit(4 + 256);
        ASSERT_TRUE(recorder.StartRecording(44100));
        Record(1, 100, 100);
        EXPECT_FALSE(recorder.WriteFailed());
        Record(101, 100, 100);  // only 56 of its 200 bytes fit
    }
    EXPECT_TRUE(recorder.WriteFailed());
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_EQ(recorder.DataEnd(), 260);
    EXPECT_TRUE(recorder.StorageAlarm());
    recorder.ClearWriteFailed();
    EXPECT_FALSE(recorder.StorageAlarm());

    // The samples written so far play.
    ASSERT_TRUE(recorder.StartPlayback(44100));
    std::vector<int16_t> out = Play(130);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(out[i], i + 1);
    EXPECT_EQ(out[128], 0);
}

// The audio side: blocks of 64 with a running count, until told to stop.
// While playing it keeps about the pace of a stream at 44100 Hz, as the disk
// thread reads ahead of real time, not of a loop that never waits.
struct AudioLoop {
    explicit AudioLoop(RecorderEngine& recorder, bool playing) {
        thread = std::thread([this, &recorder, playing] {
            int16_t next = 1;
            std::vector<int16_t> block(64);
            while (!quit.load()) {
                for (int16_t& s : block) s = playing ? 0 : next++;
                recorder.EngineStep(block.data(), 64);
                if (playing) heard.insert(heard.end(), block.begin(), block.end());
                blocks.fetch_add(1);
                if (playing) std::this_thread::sleep_for(std::chrono::microseconds(1450));
            }
        });
    }
    ~AudioLoop() { Stop(); }
    void Stop() {
        quit.store(true);
        if (thread.joinable()) thread.join();
    }
    void WaitForBlocks(int n) {
        const int target = blocks.load() + n;
        while (blocks.load() < target) std::this_thread::yield();
    }

    std::atomic<bool> quit{false};
    std::atomic<int> blocks{0};
    std::vector<int16_t> heard;
    std::thread thread;
};

TEST_F(RecorderTest, StopDuringRecordingFromAnotherThreadLosesNoSamples) {
    AudioLoop audio(recorder, false);
    audio.WaitForBlocks(10);
    ASSERT_TRUE(recorder.StartRecording(44100));
    audio.WaitForBlocks(200);
    recorder.StopRecorder();
    audio.WaitForBlocks(10);
    audio.Stop();

    const std::vector<uint8_t> bytes = FileBytes();
    ASSERT_EQ(static_cast<int32_t>(bytes.size()), recorder.DataEnd());
    ASSERT_GE(bytes.size(), 4u + 2 * 64 * 150);
    ASSERT_EQ((bytes.size() - 4) % 128, 0u);  // whole blocks only
    int16_t previous = static_cast<int16_t>(bytes[4] | bytes[5] << 8);
    for (size_t at = 6; at < bytes.size(); at += 2) {
        const int16_t s = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
        ASSERT_EQ(s, static_cast<int16_t>(previous + 1)) << "gap at byte " << at;
        previous = s;
    }
}

TEST_F(RecorderTest, StopDuringPlaybackFromAnotherThreadKeepsTheSequence) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 20000, 64);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    AudioLoop audio(recorder, true);
    audio.WaitForBlocks(100);
    recorder.StopRecorder();
    audio.WaitForBlocks(10);
    audio.Stop();

    // A disk slower than the audio may leave silent gaps, but every sample
    // heard comes in order, none is skipped, and nothing follows the stop.
    std::vector<int16_t> samples;
    for (int16_t s : audio.heard) {
        if (s != 0) samples.push_back(s);
    }
    ASSERT_GE(samples.size(), 90u * 64);
    for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(samples[i], static_cast<int16_t>(i + 1));
    const size_t lastHeard = static_cast<size_t>(
        std::find(audio.heard.rbegin(), audio.heard.rend(), samples.back()) - audio.heard.rbegin());
    EXPECT_GE(lastHeard, 10u * 64 - 64);
}

TEST_F(RecorderTest, TransportHammeredWhileTheAudioRuns) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 5000, 64);
    AudioLoop audio(recorder, true);
    recorder.SetRepeat(true);
    for (int round = 0; round < 200; ++round) {
        switch (round % 5) {
            case 0:
                recorder.StartPlayback(44100);
                break;
            case 1:
                recorder.TogglePause();
                break;
            case 2:
                recorder.SeekTo(4 + 2 * round);
                break;
            case 3:
                recorder.StartRecording(44100);
                break;
            default:
                recorder.StopRecorder();
                break;
        }
        audio.WaitForBlocks(1);
    }
    recorder.StopRecorder();
    audio.Stop();
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_EQ(static_cast<int32_t>(FileBytes().size()), recorder.DataEnd());
}

}  // namespace
}  // namespace ampliro
