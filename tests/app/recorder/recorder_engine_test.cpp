#include <algorithm>
#include <numeric>

#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

std::vector<int16_t> Range(int16_t first, int32_t count) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST_F(RecorderTest, RecordingWritesTheRateAndTheSamples) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    EXPECT_EQ(recorder.State(), kRecorderRecording);
    Record(-2, 3, 3);
    const std::vector<int16_t> out = Play(3);  // recording leaves the block as it is
    EXPECT_EQ(out, std::vector<int16_t>(3, 0));
    EXPECT_EQ(recorder.Position(), 4 + 12);
    EXPECT_EQ(recorder.DataEnd(), 16);
    EXPECT_EQ(recorder.LoopEnd(), 16);
    recorder.StopRecorder();
    const std::vector<uint8_t> expected = {0x44, 0xAC, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
                                           0,    0,    0, 0, 0,    0,    0,    0};
    EXPECT_EQ(FileBytes(), expected);
}

TEST_F(RecorderTest, StateTable) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 500);
    EXPECT_TRUE(recorder.StartRecording(44100));  // no change: the take goes on
    Record(501, 500);
    EXPECT_EQ(recorder.DataEnd(), 4 + 2000);

    EXPECT_TRUE(recorder.StartPlayback(44100));  // stops the recording first
    EXPECT_EQ(recorder.State(), kRecorderPlaying);
    EXPECT_EQ(recorder.Position(), 4);
    EXPECT_EQ(Play(3), Range(1, 3));
    EXPECT_TRUE(recorder.StartPlayback(44100));  // already playing: no restart
    EXPECT_EQ(Play(2), Range(4, 2));

    recorder.TogglePause();
    EXPECT_EQ(recorder.State(), kRecorderPaused);
    EXPECT_EQ(Play(2), std::vector<int16_t>(2, 0));
    recorder.TogglePause();
    EXPECT_EQ(recorder.State(), kRecorderPlaying);
    EXPECT_EQ(Play(2), Range(6, 2));

    recorder.StopRecorder();
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    recorder.TogglePause();
    EXPECT_EQ(recorder.State(), kRecorderPaused);
    recorder.TogglePause();
    EXPECT_EQ(recorder.State(), kRecorderStopped);

    // Playback always begins at the loop start.
    EXPECT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Play(2), Range(1, 2));
}

TEST_F(RecorderTest, PlaysOnlyAtTheRateItWasMadeAt) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 10);
    EXPECT_FALSE(recorder.StartPlayback(22050));
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Play(10), Range(1, 10));
}

TEST_F(RecorderTest, MissingFileDoesNotPlay) {
    EXPECT_FALSE(recorder.StartPlayback(44100));
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_EQ(Play(4), std::vector<int16_t>(4, 0));
}

TEST_F(RecorderTest, PlaybackStopsAtTheLoopEndWithoutRepeat) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 1000);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Play(300), Range(1, 300));
    EXPECT_EQ(Play(300), Range(301, 300));
    EXPECT_EQ(Play(300), Range(601, 300));
    std::vector<int16_t> last = Range(901, 100);
    last.resize(300, 0);
    EXPECT_EQ(Play(300), last);
    EXPECT_EQ(recorder.State(), kRecorderStopped);
}

TEST_F(RecorderTest, RepeatWrapsWithoutAGap) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 1000);
    recorder.StopRecorder();
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    std::vector<int16_t> heard;
    for (int block = 0; block < 10; ++block) {
        const std::vector<int16_t> out = Play(448);
        heard.insert(heard.end(), out.begin(), out.end());
    }
    for (size_t i = 0; i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], static_cast<int16_t>(i % 1000 + 1)) << i;
    }
    EXPECT_EQ(recorder.State(), kRecorderPlaying);
    EXPECT_EQ(recorder.Position(), 4 + 2 * static_cast<int32_t>(heard.size() % 1000));
}

TEST_F(RecorderTest, LoopEndBeforeLoopStartRepeatsOneBlockFromTheStart) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 1000);
    recorder.StopRecorder();
    recorder.SeekTo(4 + 2 * 500);
    recorder.MarkLoopStart();
    recorder.SeekTo(4 + 2 * 200);
    recorder.MarkLoopEnd();
    EXPECT_EQ(recorder.LoopStart(), 1004);
    EXPECT_EQ(recorder.LoopEnd(), 404);
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    for (int block = 0; block < 3; ++block) EXPECT_EQ(Play(64), Range(501, 64));
    EXPECT_EQ(recorder.Position(), 1004 + 128);
}

TEST_F(RecorderTest, PauseWhileRecordingWritesNothingAndResumesInPlace) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 10, 10);
    recorder.TogglePause();
    Record(100, 10, 10);
    EXPECT_EQ(recorder.DataEnd(), 24);
    recorder.TogglePause();
    EXPECT_EQ(recorder.State(), kRecorderRecording);
    Record(11, 10, 10);
    recorder.StopRecorder();
    ASSERT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Play(20), Range(1, 20));
}

TEST_F(RecorderTest, PlaybackSaturatesUnderALoudInstrument) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    std::vector<int16_t> loud = {30000, -30000, 100};
    recorder.EngineStep(loud.data(), 3);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    std::vector<int16_t> block = {30000, -30000, -100};
    recorder.EngineStep(block.data(), 3);
    EXPECT_EQ(block, (std::vector<int16_t>{32767, -32768, 0}));
}

TEST_F(RecorderTest, BlocksLargerThanTheBufferPlayWhole) {
    const int32_t n = 8192 + 1500;
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(0, n, n);
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    const std::vector<int16_t> out = Play(n + 10);
    for (int32_t i = 0; i < n + 10; ++i) ASSERT_EQ(out[i], static_cast<int16_t>(i % n)) << i;
}

// On JACK the block is the server's period, any power of two from 16 to
// 4096 frames: a take made in such blocks comes back bit for bit.
TEST_F(RecorderTest, ATakeAtAnyServerPeriodPlaysBackBitForBit) {
    constexpr int32_t kTake = 20000;
    for (const int32_t period : {16, 64, 256, 1024, 4096}) {
        ASSERT_TRUE(recorder.StartRecording(48000));
        Record(-10000, kTake, period);
        recorder.StopRecorder();
        ASSERT_TRUE(recorder.StartPlayback(48000));
        std::vector<int16_t> played;
        for (int32_t done = 0; done < kTake; done += period) {
            const std::vector<int16_t> block = Play(std::min(period, kTake - done));
            played.insert(played.end(), block.begin(), block.end());
        }
        EXPECT_EQ(played, Range(-10000, kTake)) << "period " << period;
        recorder.StopRecorder();
    }
}

TEST_F(RecorderTest, SliderActsOnlyWhileStoppedOrPausedAndKeepsEvenPositions) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 100);
    recorder.SeekTo(51);  // recording: ignored
    EXPECT_EQ(recorder.Position(), 204);
    recorder.StopRecorder();
    recorder.SeekTo(51);
    EXPECT_EQ(recorder.Position(), 50);
    recorder.SeekTo(1);  // never into the header
    EXPECT_EQ(recorder.Position(), 4);
    recorder.SeekTo(100);
    ASSERT_TRUE(recorder.StartPlayback(44100));  // from the loop start, not the slider
    EXPECT_EQ(Play(2), Range(1, 2));
    recorder.TogglePause();
    recorder.SeekTo(104);
    recorder.TogglePause();
    EXPECT_EQ(Play(2), Range(51, 2));
}

TEST_F(RecorderTest, ShortAndOddFilesAreHandled) {
    WriteFile({0x44, 0xAC});
    recorder.ReadRecordingInfo();
    EXPECT_EQ(recorder.DataEnd(), 4);
    EXPECT_EQ(recorder.LoopEnd(), 4);
    EXPECT_FALSE(recorder.StartPlayback(44100));

    WriteFile({0x44, 0xAC, 0, 0, 7, 0, 9});  // one sample and half of another
    recorder.ReadRecordingInfo();
    EXPECT_EQ(recorder.DataEnd(), 6);
    EXPECT_EQ(recorder.LoopEnd(), 6);
    EXPECT_EQ(recorder.Position(), 4);
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    // The wrap reads up to the end of the file, where the half sample ends it.
    EXPECT_EQ(Play(3), (std::vector<int16_t>{7, 7, 0}));
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_EQ(recorder.Position(), 6);

    WriteFile({});
    recorder.ReadRecordingInfo();
    EXPECT_EQ(recorder.DataEnd(), 4);
    EXPECT_FALSE(recorder.StartPlayback(44100));
}

TEST_F(RecorderTest, StorageAlarmWhenSpaceRunsLow) {
    EXPECT_FALSE(recorder.StorageAlarm());  // not recording
    recorder.SetFreeSpaceProbe([](const std::filesystem::path&) -> int64_t { return 1000; });
    ASSERT_TRUE(recorder.StartRecording(44100));
    EXPECT_FALSE(recorder.StorageAlarm());
    recorder.SetFreeSpaceProbe([](const std::filesystem::path&) -> int64_t { return 999; });
    EXPECT_TRUE(recorder.StorageAlarm());
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_FALSE(recorder.StorageAlarm());
}

TEST_F(RecorderTest, UncreatableFileLeavesRecordOff) {
    recorder.SetFolder(folder / "missing");
    EXPECT_FALSE(recorder.StartRecording(44100));
    EXPECT_EQ(recorder.State(), kRecorderStopped);
}

}  // namespace
}  // namespace ampliro
