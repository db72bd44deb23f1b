#include <gtest/gtest.h>

#include <vector>

#include "effects/effect.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro {
namespace {

struct Outcome {
    std::vector<int16_t> samples;
    int32_t hold;
    int32_t lamp;
};

Outcome OneByOne(const std::vector<int32_t>& in, int32_t rate, int32_t hold, int32_t lamp) {
    Effect fx;
    fx.sampleRate = rate;
    fx.peakHold = hold;
    fx.peakIndicator = lamp;
    Outcome o{{}, 0, 0};
    // Each sample saturated on its own, as one clip call.
    for (int32_t v : in) {
        const int32_t y = dsp::Saturate16(v);
        fx.HoldPeak({y != v ? 0 : -1, 1});
        o.samples.push_back(static_cast<int16_t>(y));
    }
    o.hold = fx.peakHold;
    o.lamp = fx.peakIndicator;
    return o;
}

Outcome Block(const std::vector<int32_t>& in, int32_t rate, int32_t hold, int32_t lamp) {
    Effect fx;
    fx.sampleRate = rate;
    fx.peakHold = hold;
    fx.peakIndicator = lamp;
    Outcome o{std::vector<int16_t>(in.size()), 0, 0};
    const int32_t n = static_cast<int32_t>(in.size());
    fx.HoldPeak({dsp::SaturateBlock(in.data(), o.samples.data(), n), n});
    o.hold = fx.peakHold;
    o.lamp = fx.peakIndicator;
    return o;
}

// A unit's saturated block and its clip report against one clip call a sample: overs at the start,
// middle and end of blocks, holds that run out inside the block, just at its end or not at all, and
// a rate shorter than the block.
TEST(ClipBlockTest, SamplesLampAndHoldMatchClippingOneByOne) {
    const int32_t rates[] = {5, 40, 44100};
    const int32_t holds[] = {0, 1, 7, 40, 100};
    for (int32_t overAt : {-1, 0, 13, 39}) {
        std::vector<int32_t> in(40);
        for (int32_t i = 0; i < 40; ++i) in[i] = (i * 2731) % 60000 - 30000;
        if (overAt >= 0) in[overAt] = overAt % 2 ? -40000 : 32768;
        for (int32_t rate : rates) {
            for (int32_t hold : holds) {
                const Outcome a = OneByOne(in, rate, hold, hold > 0);
                const Outcome b = Block(in, rate, hold, hold > 0);
                EXPECT_EQ(b.samples, a.samples) << overAt << " " << rate << " " << hold;
                EXPECT_EQ(b.hold, a.hold) << overAt << " " << rate << " " << hold;
                EXPECT_EQ(b.lamp, a.lamp) << overAt << " " << rate << " " << hold;
            }
        }
    }
    const Outcome clipped = Block({70000, -70000, 32767, -32768}, 100, 0, 0);
    EXPECT_EQ(clipped.samples, (std::vector<int16_t>{32767, -32768, 32767, -32768}));
    EXPECT_EQ(clipped.hold, 98);
    EXPECT_EQ(clipped.lamp, 1);
    // The lamp stays lit for `rate` calls after the last clipped one.
    EXPECT_EQ(Block({40000, 5, 5, 5, 5}, 5, 0, 0).lamp, 1);
    EXPECT_EQ(Block({40000, 5, 5, 5, 5, 5}, 5, 0, 0).lamp, 0);
}

}  // namespace
}  // namespace ampliro
