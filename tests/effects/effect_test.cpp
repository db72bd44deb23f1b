#include "effects/effect.h"

#include <gtest/gtest.h>

#include "effects/units/dsp/level_mix.h"

#include <vector>

namespace ampliro {
namespace {

// A pedal of the common pattern whose wet signal is the dry signal doubled,
// to see both mix shares through the shared level and mix.
class Doubler : public Effect {
  public:
    void ProcessBlock(int16_t* samples, int32_t count) override {
        if (Bypassed(count)) return;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t dry = dsp::Level(samples[i], level);
            const int64_t out = dsp::Mix(dry * 2, dry, mix);
            samples[i] = static_cast<int16_t>(static_cast<uint16_t>(out));
        }
    }
};

TEST(EffectTest, BaseBlockLeavesSamplesUntouchedEvenWhenEnabled) {
    Effect fx;
    fx.enabled = 1;
    fx.level = 64;
    fx.mix = 64;
    int16_t block[] = {100, -200, 32767};
    fx.ProcessBlock(block, 3);
    EXPECT_EQ(block[0], 100);
    EXPECT_EQ(block[1], -200);
    EXPECT_EQ(block[2], 32767);
}

TEST(EffectTest, MixedOutputKeepsTheLowSixteenBits) {
    Doubler fx;
    fx.enabled = 1;
    fx.level = 64;
    fx.mix = 64;
    // wet = 2 x 30000 = 60000, whose low 16 bits read as 60000 - 65536.
    int16_t block[] = {30000, 20000};
    fx.ProcessBlock(block, 2);
    EXPECT_EQ(block[0], 60000 - 65536);
    EXPECT_EQ(block[1], 40000 - 65536);
}

TEST(EffectTest, BypassedBlockPassesThroughBitExact) {
    Doubler fx;
    fx.level = 13;
    fx.mix = 50;
    std::vector<int16_t> block = {1, -1, 32767, -32768, 1234};
    const std::vector<int16_t> original = block;
    fx.ProcessBlock(block.data(), static_cast<int32_t>(block.size()));
    EXPECT_EQ(block, original);

    fx.enabled = 1;
    fx.ProcessBlock(block.data(), 0);
    fx.ProcessBlock(block.data(), -3);
    EXPECT_EQ(block, original);
}

TEST(EffectTest, MixEndpointsGiveDryOrWetOnly) {
    Doubler fx;
    fx.enabled = 1;
    fx.level = 48;
    fx.mix = 0;
    int16_t block[] = {1000, -1000, 7};
    fx.ProcessBlock(block, 3);
    EXPECT_EQ(block[0], 750);
    EXPECT_EQ(block[1], -750);
    EXPECT_EQ(block[2], 5);  // 7 * 48 >> 6 = 336 >> 6 = 5

    fx.mix = 64;
    int16_t wet[] = {1000, -1000};
    fx.ProcessBlock(wet, 2);
    EXPECT_EQ(wet[0], 1500);
    EXPECT_EQ(wet[1], -1500);
}

}  // namespace
}  // namespace ampliro
