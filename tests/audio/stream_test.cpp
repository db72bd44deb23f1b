#include "audio/stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/output_volume.h"
#include "platform/audio/scripted/scripted_audio.h"

namespace ampliro {
namespace {

// What the processing callback saw, block by block; written on the audio
// thread and read after WaitForAudioThreadIdle.
std::vector<std::vector<int16_t>> gBlocks;

// Records the block, then adds 7 to every sample, so the output shows that
// the callback ran in place before playback.
int AddSeven(int16_t* samples, int32_t count) {
    gBlocks.emplace_back(samples, samples + count);
    for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] + 7);
    return 0;
}

class StreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetAudioBackend(&audio);
        ASSERT_EQ(StartAudioThread(&AddSeven), 0);
        SetStreamSampleRate(44100);
        SetStreamBufferSize(8);  // four samples a block
        SetOutputVolume(0xFFFFFFFFu);
        MuteInput = 0;
        gBlocks.clear();
    }
    void TearDown() override {
        CloseAudioStream();
        MuteInput = 0;
        SetAudioBackend(nullptr);
    }

    // Hands in one captured block and waits until the audio thread is done.
    bool Capture(const std::vector<int16_t>& samples) {
        const bool queued = audio.Capture(samples);
        WaitForAudioThreadIdle();
        return queued;
    }
    bool Complete() {
        const bool played = audio.CompletePlayback();
        WaitForAudioThreadIdle();
        return played;
    }
    void OpenWithFailures(const ScriptedAudio::Failures& failures, int32_t expected) {
        audio.SetFailures(failures);
        EXPECT_EQ(OpenAudioStream(), expected);
        audio.SetFailures({});
    }

    ScriptedAudio audio;
};

TEST_F(StreamTest, HeaderCountFollowsTheBufferSize) {
    const struct {
        uint32_t bufferSize;
        uint32_t headers;
    } cases[] = {{256, 128}, {48, 128}, {896, 36}, {6656, 4}, {32768, 1}, {8, 128}};
    for (const auto& c : cases) {
        SetStreamBufferSize(c.bufferSize);
        ASSERT_EQ(OpenAudioStream(), kStreamOk) << c.bufferSize;
        EXPECT_EQ(StreamHeaderCount(), c.headers) << c.bufferSize;
        EXPECT_EQ(audio.QueuedCaptureCount(), c.headers) << c.bufferSize;
        EXPECT_EQ(FreePlaybackBufferCount(), c.headers) << c.bufferSize;
        EXPECT_LE(StreamHeaderCount() * c.bufferSize, kStreamAreaBytes);
        CloseAudioStream();
    }
    EXPECT_EQ(HeaderCountFor(0), 0u);
}

TEST_F(StreamTest, BufferAboveTheAreaGivesNoHeadersAndCapturesNothing) {
    SetStreamBufferSize(40000);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    EXPECT_TRUE(IsAudioRunning());
    EXPECT_EQ(StreamHeaderCount(), 0u);
    EXPECT_FALSE(Capture({1, 2, 3}));
    EXPECT_TRUE(gBlocks.empty());
}

TEST_F(StreamTest, BothDevicesGetTheMonoSixteenBitFormat) {
    SetStreamSampleRate(22050);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    const WaveFormat format = audio.LastFormat();
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSecond, 22050u);
    EXPECT_EQ(format.averageBytesPerSecond, 44100u);
    EXPECT_EQ(format.blockAlign, 2);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.extraSize, 0);
    EXPECT_TRUE(audio.CaptureStarted());
    EXPECT_EQ(AudioStreamState(), STREAM_RUNNING);
}

TEST_F(StreamTest, ABlockGoesThroughTheCallbackInPlaceToPlayback) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({100, -200, 300, -32768}));
    ASSERT_EQ(gBlocks.size(), 1u);
    EXPECT_EQ(gBlocks[0], (std::vector<int16_t>{100, -200, 300, -32768}));
    // The capture buffer went straight back; one playback buffer is queued.
    EXPECT_EQ(audio.QueuedCaptureCount(), 128u);
    EXPECT_EQ(audio.QueuedPlaybackCount(), 1u);
    EXPECT_EQ(FreePlaybackBufferCount(), 127u);

    ASSERT_TRUE(Complete());
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{107, -193, 307, -32761}));
    EXPECT_EQ(FreePlaybackBufferCount(), 128u);
}

TEST_F(StreamTest, PlaybackGoesThroughTheMasterVolume) {
    SetOutputVolume(0x7FFF7FFFu);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({993, -1007, 0, 32760}));
    ASSERT_TRUE(Complete());
    // (s + 7) x 32767 / 65535, truncated toward zero.
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{499, -499, 3, 16383}));
}

TEST_F(StreamTest, AShortBlockIsProcessedAtItsLengthAndPlayedAtFullLength) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({5, 6, 7, 8}));
    ASSERT_TRUE(Complete());
    ASSERT_TRUE(Capture({1, 2}));
    ASSERT_EQ(gBlocks.size(), 2u);
    EXPECT_EQ(gBlocks[1], (std::vector<int16_t>{1, 2}));
    ASSERT_TRUE(Complete());
    // Buffer 0 is reused; its tail still holds the previous block.
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{12, 13, 14, 15, 8, 9, 14, 15}));

    ASSERT_TRUE(audio.CaptureBytes(3));  // a stray odd byte is not a sample
    WaitForAudioThreadIdle();
    ASSERT_EQ(gBlocks.size(), 3u);
    EXPECT_EQ(gBlocks[2].size(), 1u);
}

TEST_F(StreamTest, ZeroByteBufferIsGivenStraightBack) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({}));
    EXPECT_TRUE(gBlocks.empty());
    EXPECT_EQ(audio.QueuedCaptureCount(), 128u);
    EXPECT_EQ(audio.QueuedPlaybackCount(), 0u);
    EXPECT_EQ(FreePlaybackBufferCount(), 128u);
}

TEST_F(StreamTest, OversizedRecordedCountIsLimitedToTheBuffer) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({1, 2, 3, 4}));
    ASSERT_TRUE(audio.CaptureBytes(1u << 30));
    WaitForAudioThreadIdle();
    ASSERT_EQ(gBlocks.size(), 2u);
    EXPECT_EQ(gBlocks[1].size(), 4u);
}

TEST_F(StreamTest, WithEveryPlaybackBufferQueuedABlockIsDropped) {
    SetStreamBufferSize(6656);  // four buffers
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Capture(std::vector<int16_t>(3328, int16_t(i))));
    EXPECT_EQ(FreePlaybackBufferCount(), 0u);
    const std::vector<const WaveHeader*> queued = audio.QueuedPlayback();
    ASSERT_EQ(queued.size(), 4u);

    ASSERT_TRUE(Capture(std::vector<int16_t>(3328, 9)));
    EXPECT_EQ(gBlocks.size(), 4u);
    EXPECT_EQ(audio.QueuedCaptureCount(), 4u);  // the ring keeps its full size
    EXPECT_EQ(audio.QueuedPlaybackCount(), 4u);

    // The first buffer played is the lowest free one and is used next.
    ASSERT_TRUE(Complete());
    EXPECT_EQ(FreePlaybackBufferCount(), 1u);
    ASSERT_TRUE(Capture(std::vector<int16_t>(3328, 5)));
    EXPECT_EQ(gBlocks.size(), 5u);
    const std::vector<const WaveHeader*> after = audio.QueuedPlayback();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after.back(), queued.front());
    EXPECT_EQ(reinterpret_cast<const int16_t*>(after.back()->data)[0], 12);
}

TEST_F(StreamTest, MutedInputIsSilenceBeforeTheCallback) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    MuteInput = 1;
    ASSERT_TRUE(Capture({1000, 2000, 3000, 4000}));
    ASSERT_EQ(gBlocks.size(), 1u);
    EXPECT_EQ(gBlocks[0], (std::vector<int16_t>{0, 0, 0, 0}));
    ASSERT_TRUE(Complete());
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{7, 7, 7, 7}));
    MuteInput = 0;
    ASSERT_TRUE(Capture({1, 1, 1, 1}));
    EXPECT_EQ(gBlocks[1], (std::vector<int16_t>{1, 1, 1, 1}));
}

TEST_F(StreamTest, NotificationsAfterTheCloseBeganAreIgnoredButFreeBuffers) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({1, 2, 3, 4}));
    ASSERT_TRUE(Capture({5, 6, 7, 8}));
    EXPECT_EQ(FreePlaybackBufferCount(), 126u);
    // The reset returns every capture buffer partly filled; none of them may
    // reach the callback or the playback device.
    audio.SetResetRecordedBytes(4);
    CloseAudioStream();
    EXPECT_FALSE(IsAudioRunning());
    EXPECT_EQ(AudioStreamState(), STREAM_IDLE);
    EXPECT_EQ(gBlocks.size(), 2u);
    EXPECT_EQ(audio.QueuedCaptureCount(), 0u);
    EXPECT_EQ(audio.QueuedPlaybackCount(), 0u);
    EXPECT_EQ(FreePlaybackBufferCount(), 128u);
    EXPECT_FALSE(audio.CaptureOpen());
    EXPECT_FALSE(audio.PlaybackOpen());
    CloseAudioStream();  // closing twice is harmless
}

TEST_F(StreamTest, ReopenAfterCloseReusesTheAreas) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({1, 2, 3, 4}));
    CloseAudioStream();
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    EXPECT_EQ(audio.QueuedCaptureCount(), 128u);
    EXPECT_EQ(FreePlaybackBufferCount(), 128u);
    ASSERT_TRUE(Capture({10, 20, 30, 40}));
    ASSERT_TRUE(Complete());
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{17, 27, 37, 47}));
}

TEST_F(StreamTest, EveryFailedOpenReportsItsCodeAndTheNextOpenWorks) {
    struct Case {
        ScriptedAudio::Failures failures;
        int32_t code;
    };
    std::vector<Case> cases(6);
    cases[0].failures.captureOpen = true;
    cases[0].code = kCaptureOpenFailed;
    cases[1].failures.playbackOpen = true;
    cases[1].code = kPlaybackOpenFailed;
    cases[2].failures.playbackPrepareAt = 5;
    cases[2].code = kPlaybackPrepareFailed;
    cases[3].failures.capturePrepareAt = 0;
    cases[3].code = kCapturePrepareFailed;
    cases[4].failures.captureAddAt = 127;
    cases[4].code = kCaptureAddFailed;
    cases[5].failures.captureStart = true;
    cases[5].code = kCaptureStartFailed;

    int16_t value = 0;
    for (const Case& c : cases) {
        OpenWithFailures(c.failures, c.code);
        EXPECT_FALSE(IsAudioRunning()) << c.code;
        EXPECT_EQ(AudioStreamState(), STREAM_IDLE) << c.code;
        EXPECT_FALSE(audio.CaptureOpen()) << c.code;
        EXPECT_FALSE(audio.PlaybackOpen()) << c.code;

        // The audio thread survived: a good open processes audio.
        ASSERT_EQ(OpenAudioStream(), kStreamOk) << c.code;
        ++value;
        ASSERT_TRUE(Capture({value, value, value, value})) << c.code;
        ASSERT_FALSE(gBlocks.empty()) << c.code;
        EXPECT_EQ(gBlocks.back(), (std::vector<int16_t>{value, value, value, value})) << c.code;
        CloseAudioStream();
    }
}

TEST_F(StreamTest, StopEndsTheThreadAndAStartBringsItBack) {
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    StopAudioStream();
    EXPECT_EQ(AudioStreamState(), STREAM_IDLE);
    EXPECT_FALSE(audio.CaptureOpen());
    // No thread to hear the devices: the open refuses.
    EXPECT_EQ(OpenAudioStream(), kCaptureOpenFailed);

    ASSERT_EQ(StartAudioThread(&AddSeven), 0);
    EXPECT_EQ(AudioStreamState(), STREAM_STARTING);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({4, 3, 2, 1}));
    ASSERT_EQ(gBlocks.size(), 1u);
}

int Negate(int16_t* samples, int32_t count) {
    for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(-samples[i]);
    return 0;
}

TEST_F(StreamTest, ASecondStartOnlyReplacesTheCallback) {
    ASSERT_EQ(StartAudioThread(&Negate), 0);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    ASSERT_TRUE(Capture({1, -2, 3, -4}));
    ASSERT_TRUE(Complete());
    EXPECT_EQ(audio.Played(), (std::vector<int16_t>{-1, 2, -3, 4}));
    EXPECT_TRUE(gBlocks.empty());
}

}  // namespace
}  // namespace ampliro
