// EffectChain: the nine pedals in processing order.
//
// The pedal objects live elsewhere for the whole run; the chain is handed
// them once, indexed by effect key, and orders them by key. The order is nine
// 4-bit keys packed into one 64-bit word, so a reorder is one atomic store and
// a processing pass, which loads the word once, always runs either the old or
// the new order whole, never a half-done swap.
#pragma once

#include <atomic>
#include <cstdint>

#include "effects/effect.h"

namespace ampliro {

class EffectChain {
  public:
    // Default processing order, slot 0 first, as keys: Overdrive, Parametric
    // EQ, Pitch Shifter, Phaser, Chorus, Delay, Reverb, Tremolo, Graphic EQ.
    static constexpr int32_t kDefaultOrder[kEffectCount] = {0, 6, 3, 5, 2, 4, 1, 8, 7};

    EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // byKey[k] is the pedal whose effect key is k; null entries are skipped
    // by the pass.
    void SetEffects(Effect* const byKey[kEffectCount]);
    Effect* EffectByKey(int32_t key) const;

    // The pedal in a slot, or null for a slot outside 0..8.
    Effect* EffectAt(int32_t slot) const;
    // The key in a slot, or -1 for a slot outside 0..8.
    int32_t KeyAt(int32_t slot) const;

    // The order as keys, slot 0 first.
    void GetOrder(int32_t keys[kEffectCount]) const;
    // Publishes a new order in one store. Keys must name every pedal exactly
    // once; otherwise nothing changes and the result is false.
    bool SetOrder(const int32_t keys[kEffectCount]);

    // Swap slot i with its neighbour; nothing happens at the ends.
    void MoveUp(int32_t slot);
    void MoveDown(int32_t slot);
    void RestoreDefault();

    // Audio thread: every pedal's ProcessBlock, in the order loaded once.
    void ProcessBlock(int16_t* samples, int32_t count) const;

  private:
    static uint64_t Pack(const int32_t keys[kEffectCount]);
    static int32_t KeyOf(uint64_t packed, int32_t slot) {
        return static_cast<int32_t>((packed >> (4 * slot)) & 0xF);
    }
    void Swap(int32_t a, int32_t b);

    // Slot s holds its key in bits 4s..4s+3. Written by the main thread only.
    std::atomic<uint64_t> order_;
    std::atomic<Effect*> byKey_[kEffectCount] = {};
};

// The program's one chain, the one ProcessingPass runs.
EffectChain& TheEffectChain();

// The chain operations of the audio settings, on the program's chain.
void SetChainEffects(Effect* const byKey[kEffectCount]);
void MoveEffectUp(int32_t slot);
void MoveEffectDown(int32_t slot);
void RestoreDefaultOrder();
// The order as keys (a preset stores these) and a new order from keys (a
// preset load): false, and the order unchanged, unless each key 0..8 appears
// exactly once.
void GetChainOrder(int32_t keys[kEffectCount]);
bool SetChainOrder(const int32_t keys[kEffectCount]);

}  // namespace ampliro
