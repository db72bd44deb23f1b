#include "audio/audio_status.h"

#include <gtest/gtest.h>

#include "audio/stream_format.h"
#include "platform/audio/audio_health.h"

namespace ampliro {
namespace {

TEST(AudioStatusTest, TheTitleAddsTheBlockAndTheDeviceAndCountsDropouts) {
    // 448 samples a block at 44100 Hz, two 512-frame device buffers and a
    // cushion of three blocks: 448 + 2368 = 2816 frames = 63.85 ms.
    AudioStatus status{44100, 448, 2 * 512 + 3 * 448, 0, true};
    EXPECT_EQ(AudioStatusTitle("Ampliro", status), "Ampliro - 64 ms, 0 dropouts");
    status.dropouts = 1;
    EXPECT_EQ(AudioStatusTitle("Ampliro", status), "Ampliro - 64 ms, 1 dropout");
    // JACK at 48000 Hz: 96 samples a block and a 64-frame period.
    EXPECT_EQ(AudioStatusTitle("Ampliro", {48000, 96, 64, 7, true}), "Ampliro - 3 ms, 7 dropouts");
    status.powered = false;
    EXPECT_EQ(AudioStatusTitle("Ampliro", status), "Ampliro");
    EXPECT_EQ(AudioStatusTitle("Ampliro", {0, 448, 0, 0, true}), "Ampliro");
}

TEST(AudioStatusTest, TheRunningFiguresComeFromTheStreamAndItsHealth) {
    SetStreamSampleRate(22050);
    SetStreamBufferSize(448);
    AudioHealth& health = StreamHealth();
    health.Reset();
    health.deviceLatencyFrames = 1000;
    health.droppedBlocks = 2;
    health.underruns = 3;
    const AudioStatus status = CurrentAudioStatus(true);
    EXPECT_EQ(status.rate, 22050u);
    EXPECT_EQ(status.blockSamples, 224u);
    EXPECT_EQ(status.deviceFrames, 1000u);
    EXPECT_EQ(status.dropouts, 5u);
    health.Reset();
}

}  // namespace
}  // namespace ampliro
