#include "audio/effect_chain.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace ampliro {
namespace {

// Marks its key in a block: bit `key` of sample 0, and counts the calls in
// sample 1, so a block shows which pedals ran and how often.
class MarkingEffect : public Effect {
  public:
    explicit MarkingEffect(int32_t key) : key_(key) {}
    void ProcessBlock(int16_t* samples, int32_t) override {
        samples[0] = static_cast<int16_t>(samples[0] | (1 << key_));
        samples[1] = static_cast<int16_t>(samples[1] + 1);
        order.push_back(key_);
    }
    static std::vector<int32_t> order;

  private:
    int32_t key_;
};
std::vector<int32_t> MarkingEffect::order;

struct Pedals {
    Pedals() {
        for (int32_t k = 0; k < kChainLength; ++k) byKey[k] = &effects[k];
    }
    std::array<MarkingEffect, kChainLength> effects{
        MarkingEffect(0), MarkingEffect(1), MarkingEffect(2),  MarkingEffect(3),
        MarkingEffect(4), MarkingEffect(5), MarkingEffect(6),  MarkingEffect(7),
        MarkingEffect(8), MarkingEffect(9), MarkingEffect(10), MarkingEffect(11)};
    Effect* byKey[kChainLength];
};

std::vector<int32_t> Keys(const EffectChain& chain) {
    int32_t keys[kChainLength];
    chain.GetOrder(keys);
    return std::vector<int32_t>(keys, keys + kChainLength);
}

// Noise Gate first, the nine, then Amp and Cabinet.
const std::vector<int32_t> kDefault = {9, 0, 6, 3, 5, 2, 4, 1, 8, 7, 10, 11};
constexpr int16_t kAllMarks = 0xFFF;

TEST(EffectChainTest, DefaultOrderRunsEveryPedalOnceInSlotOrder) {
    Pedals pedals;
    EffectChain chain;
    chain.SetEffects(pedals.byKey);
    EXPECT_EQ(Keys(chain), kDefault);
    EXPECT_EQ(chain.EffectAt(0), &pedals.effects[9]);
    EXPECT_EQ(chain.EffectAt(1), &pedals.effects[0]);
    EXPECT_EQ(chain.EffectAt(9), &pedals.effects[7]);
    EXPECT_EQ(chain.EffectAt(11), &pedals.effects[11]);
    EXPECT_EQ(chain.EffectAt(12), nullptr);
    EXPECT_EQ(chain.EffectAt(-1), nullptr);
    EXPECT_EQ(chain.KeyAt(12), -1);

    MarkingEffect::order.clear();
    int16_t block[2] = {0, 0};
    chain.ProcessBlock(block, 2);
    EXPECT_EQ(MarkingEffect::order, kDefault);
    EXPECT_EQ(block[0], kAllMarks);
    EXPECT_EQ(block[1], 12);
}

TEST(EffectChainTest, MovesSwapNeighboursAndStopAtBothEnds) {
    EffectChain chain;
    chain.MoveUp(0);
    chain.MoveDown(11);
    chain.MoveUp(12);
    chain.MoveDown(-1);
    chain.MoveUp(-4);
    chain.MoveDown(15);
    EXPECT_EQ(Keys(chain), kDefault);

    chain.MoveUp(9);  // Graphic EQ before Tremolo
    EXPECT_EQ(Keys(chain), (std::vector<int32_t>{9, 0, 6, 3, 5, 2, 4, 1, 7, 8, 10, 11}));
    chain.MoveDown(0);  // Noise Gate after Overdrive
    EXPECT_EQ(Keys(chain), (std::vector<int32_t>{0, 9, 6, 3, 5, 2, 4, 1, 7, 8, 10, 11}));
    chain.MoveUp(11);  // Cabinet before Amp
    EXPECT_EQ(Keys(chain), (std::vector<int32_t>{0, 9, 6, 3, 5, 2, 4, 1, 7, 8, 11, 10}));
    chain.MoveUp(1);
    chain.MoveDown(8);
    chain.MoveDown(10);
    EXPECT_EQ(Keys(chain), kDefault);

    chain.MoveDown(3);
    chain.RestoreDefault();
    EXPECT_EQ(Keys(chain), kDefault);
}

TEST(EffectChainTest, SetOrderTakesOnlyAPermutationOfTheTwelveKeys) {
    Pedals pedals;
    EffectChain chain;
    chain.SetEffects(pedals.byKey);
    const int32_t reversed[kChainLength] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    const std::vector<int32_t> reversedKeys(reversed, reversed + kChainLength);
    EXPECT_TRUE(chain.SetOrder(reversed));
    EXPECT_EQ(Keys(chain), reversedKeys);
    EXPECT_EQ(chain.EffectAt(0), &pedals.effects[11]);

    const int32_t bad[][kChainLength] = {
        {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},    // repeated
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12},   // out of range
        {-1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},  // negative
    };
    for (const auto& keys : bad) EXPECT_FALSE(chain.SetOrder(keys));
    EXPECT_EQ(Keys(chain), reversedKeys);
}

TEST(EffectChainTest, NineOrderReordersTheNineAndLeavesTheOtherThreeInPlace) {
    EffectChain chain;
    int32_t nine[kEffectCount];
    chain.GetNineOrder(nine);
    EXPECT_EQ(std::vector<int32_t>(nine, nine + kEffectCount),
              (std::vector<int32_t>{0, 6, 3, 5, 2, 4, 1, 8, 7}));
    chain.MoveDown(0);  // the gate after the Overdrive
    const int32_t reversed[kEffectCount] = {8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_TRUE(chain.SetNineOrder(reversed));
    EXPECT_EQ(Keys(chain), (std::vector<int32_t>{8, 9, 7, 6, 5, 4, 3, 2, 1, 0, 10, 11}));
    const int32_t withGate[kEffectCount] = {9, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_FALSE(chain.SetNineOrder(withGate));
    EXPECT_EQ(chain.KeyAt(0), 8);
}

TEST(EffectChainTest, MissingPedalsAreSkipped) {
    Pedals pedals;
    pedals.byKey[3] = nullptr;
    EffectChain chain;
    chain.SetEffects(pedals.byKey);
    int16_t block[2] = {0, 0};
    chain.ProcessBlock(block, 2);
    EXPECT_EQ(block[0], kAllMarks & ~(1 << 3));
    EXPECT_EQ(block[1], 11);
}

// A pedal that only marks the block, safe to call from a second thread.
class Marker : public Effect {
  public:
    explicit Marker(int32_t key) : key_(key) {}
    void ProcessBlock(int16_t* samples, int32_t) override {
        samples[0] = static_cast<int16_t>(samples[0] | (1 << key_));
        samples[1] = static_cast<int16_t>(samples[1] + 1);
    }

  private:
    int32_t key_;
};

TEST(EffectChainTest, APassDuringReordersAlwaysRunsEveryPedalExactlyOnce) {
    std::vector<std::unique_ptr<Marker>> markers;
    Effect* byKey[kChainLength];
    for (int32_t k = 0; k < kChainLength; ++k) {
        markers.push_back(std::make_unique<Marker>(k));
        byKey[k] = markers.back().get();
    }
    EffectChain chain;
    chain.SetEffects(byKey);

    std::atomic<bool> done{false};
    std::atomic<int> badPasses{0};
    std::thread audio([&] {
        while (!done.load()) {
            int16_t block[2] = {0, 0};
            chain.ProcessBlock(block, 2);
            if (block[0] != kAllMarks || block[1] != 12) badPasses.fetch_add(1);
        }
    });
    for (int i = 0; i < 20000; ++i) {
        chain.MoveDown(i % 12);
        if (i % 7 == 0) chain.MoveUp(11);
        if (i % 1000 == 0) chain.RestoreDefault();
    }
    done.store(true);
    audio.join();
    EXPECT_EQ(badPasses.load(), 0);
}

TEST(EffectChainTest, ProgramChainOperationsActOnTheOneChain) {
    RestoreDefaultOrder();
    MoveEffectDown(0);
    int32_t keys[kChainLength];
    GetChainOrder(keys);
    EXPECT_EQ(keys[0], 0);
    EXPECT_EQ(keys[1], 9);
    MoveEffectUp(1);
    GetChainOrder(keys);
    EXPECT_EQ(std::vector<int32_t>(keys, keys + kChainLength), kDefault);

    const int32_t reversed[kChainLength] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_TRUE(SetChainOrder(reversed));
    EXPECT_EQ(TheEffectChain().KeyAt(0), 11);
    RestoreDefaultOrder();
    EXPECT_EQ(TheEffectChain().KeyAt(0), 9);
}

}  // namespace
}  // namespace ampliro
