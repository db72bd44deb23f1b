#include <gtest/gtest.h>

#include <vector>

#include "effects/pedals/delay_pedal.h"
#include "effects/pedals/reverb_pedal.h"

namespace ampliro {
namespace {

TEST(DelayTest, DelayKnobIsHeldToThreeSeconds) {
    DelayPedal d;
    d.Init(44100, 4);
    d.OnControl(2, 5000);
    EXPECT_EQ(d.delayMs, 3000);
    d.OnControl(2, 0);
    EXPECT_EQ(d.delayMs, 1);
}

TEST(DelayTest, CutoffEndpointsAndFootswitchClear) {
    DelayPedal d;
    d.Init(8000, 4);
    d.SetDelay(1, 0);
    d.enabled = 1;
    d.level = 64;
    d.mix = 64;
    d.OnControl(4, 0);  // silences the wet path
    std::vector<int16_t> block(16, 1000);
    d.ProcessBlock(block.data(), 16);
    EXPECT_EQ(block, std::vector<int16_t>(16, 0));

    d.OnControl(4, 64);
    d.OnControl(12, 0);  // off, memory cleared
    EXPECT_EQ(d.enabled, 0);
    d.OnControl(12, 0);  // on again
    std::vector<int16_t> after(16, 0);
    d.ProcessBlock(after.data(), 16);
    EXPECT_EQ(after, std::vector<int16_t>(16, 0));
}

// A preset load initialises the pedals again at the rate they run at:
// nothing played before may echo afterwards, at the same rate or another.
TEST(TimeEffectsTest, InitAgainSilencesWhatWasPlayed) {
    DelayPedal delay;
    ReverbPedal reverb;
    delay.Init(8000, kKeyDelay);
    delay.SetDelay(1, 0);
    reverb.Init(8000, kKeyReverb);
    reverb.SetReverb(1, 32);
    for (Effect* fx : {static_cast<Effect*>(&delay), static_cast<Effect*>(&reverb)}) {
        for (int32_t rate : {8000, 11025}) {
            fx->enabled = 1;
            fx->level = 64;
            fx->mix = 64;
            std::vector<int16_t> played(4, 8000);
            fx->ProcessBlock(played.data(), 4);
            fx->Init(rate, fx->effectKey);
            std::vector<int16_t> after(16, 0);
            fx->ProcessBlock(after.data(), 16);
            EXPECT_EQ(after, std::vector<int16_t>(16, 0)) << fx->name << " " << rate;
        }
    }
}

// 44100 Hz, Delay 32, Decay 32: the last comb is 769 samples long with gain
// 3639 and answers first, an eighth of the impulse; the tone stack at unity
// adds three samples.
TEST(ReverbTest, ShortestCombAnswersFirstAndAgainAtItsGain) {
    ReverbPedal r;
    r.Init(44100, 1);
    r.enabled = 1;
    r.level = 64;
    r.mix = 64;
    std::vector<int16_t> s(1600, 0);
    s[0] = 32767;
    r.ProcessBlock(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(s[769 + 2], 0);
    EXPECT_EQ(s[769 + 3], 32767 >> 3);
    EXPECT_EQ(s[838 + 3], 32767 >> 3);  // the next comb
    EXPECT_EQ(s[2 * 769 + 3], ((3639 * 32767) >> 12) >> 3);
}

TEST(ReverbTest, DamagedTimeIsHeldAtOneMillisecond) {
    ReverbPedal r;
    r.Init(8000, 1);
    r.SetReverb(0, 32);
    EXPECT_EQ(r.delayMs, 1);
}

TEST(ReverbTest, BypassIsExactAndMixZeroIsTheLevelledDry) {
    ReverbPedal r;
    r.Init(44100, 1);
    std::vector<int16_t> block = {100, -200, 32767, -32768};
    const std::vector<int16_t> original = block;
    r.ProcessBlock(block.data(), 4);
    EXPECT_EQ(block, original);
    r.enabled = 1;
    r.mix = 0;
    r.level = 64;
    r.ProcessBlock(block.data(), 4);
    EXPECT_EQ(block, original);
}

}  // namespace
}  // namespace ampliro
