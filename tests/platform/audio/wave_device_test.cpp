#include "platform/audio/wave_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/output_volume.h"

namespace ampliro {
namespace {

TEST(WaveHeaderTest, PrepareQueueFinishAndUnprepareKeepTheFlagsStraight) {
    uint8_t buffer[8] = {};
    WaveHeader header;
    EXPECT_EQ(PrepareWaveHeader(nullptr), kWaveInvalidParam);
    EXPECT_EQ(PrepareWaveHeader(&header), kWaveInvalidParam);  // no data yet
    EXPECT_EQ(BeginQueuedHeader(&header), kWaveUnprepared);

    header.data = buffer;
    header.bufferLength = sizeof buffer;
    header.flags = WHDR_DONE;
    ASSERT_EQ(PrepareWaveHeader(&header), kWaveOk);
    ASSERT_EQ(BeginQueuedHeader(&header), kWaveOk);
    EXPECT_EQ(header.flags.load(), WHDR_PREPARED | WHDR_INQUEUE);
    // Queued twice, the buffer would be filled or played twice at once.
    EXPECT_EQ(BeginQueuedHeader(&header), kWaveStillPlaying);
    EXPECT_EQ(UnprepareWaveHeader(&header), kWaveStillPlaying);

    FinishQueuedHeader(&header);
    EXPECT_EQ(header.flags.load(), WHDR_PREPARED | WHDR_DONE);
    ASSERT_EQ(UnprepareWaveHeader(&header), kWaveOk);
    EXPECT_EQ(header.flags.load(), WHDR_DONE);
    EXPECT_EQ(BeginQueuedHeader(&header), kWaveUnprepared);
}

TEST(OutputVolumeTest, GainIsTheLowHalfOverFullScale) {
    const std::vector<int16_t> input = {1000, -1000, 32767, -32768, 1, 0};
    std::vector<int16_t> out(input.size());

    ApplyOutputVolume(out.data(), input.data(), input.size(), 0xFFFFFFFFu);
    EXPECT_EQ(out, input);

    ApplyOutputVolume(out.data(), input.data(), input.size(), 0x7FFF7FFFu);
    EXPECT_EQ(out, (std::vector<int16_t>{499, -499, 16383, -16383, 0, 0}));

    ApplyOutputVolume(out.data(), input.data(), input.size(), 0xFFFF0000u);
    EXPECT_EQ(out, (std::vector<int16_t>(input.size(), 0)));

    std::vector<int16_t> inPlace = input;
    ApplyOutputVolume(inPlace.data(), inPlace.data(), inPlace.size(), 1023u * 65537u);
    EXPECT_EQ(inPlace, (std::vector<int16_t>{15, -15, 511, -511, 0, 0}));
}

}  // namespace
}  // namespace ampliro
