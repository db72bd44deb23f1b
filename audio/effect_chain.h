// EffectChain: the twelve pedals in processing order.
//
// The pedal objects live elsewhere for the whole run; the chain is handed
// them once, indexed by effect key, and orders them by key. The order is
// twelve 4-bit keys packed into one 64-bit word, so a reorder is one atomic
// store and a processing pass, which loads the word once, always runs either
// the old or the new order whole, never a half-done swap.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "effects/effect.h"

namespace ampliro {

class EffectChain {
  public:
    // Default processing order, slot 0 first, as keys: Noise Gate, then the
    // nine (Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay,
    // Reverb, Tremolo, Graphic EQ), then Amp and Cabinet: a gate cleans the
    // guitar before anything amplifies its hiss, and the amp and its
    // cabinet end the chain as they end a real rig.
    static constexpr int32_t kDefaultOrder[kChainLength] = {9, 0, 6, 3, 5, 2, 4, 1, 8, 7, 10, 11};

    EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // byKey[k] is the pedal whose effect key is k (at most twelve; keys past
    // the end are left empty); null entries are skipped by the pass.
    void SetEffects(std::span<Effect* const> byKey);
    Effect* EffectByKey(int32_t key) const;

    // The pedal in a slot, or null for a slot outside 0..11.
    Effect* EffectAt(int32_t slot) const;
    // The key in a slot, or -1 for a slot outside 0..11.
    int32_t KeyAt(int32_t slot) const;

    // The order as keys, slot 0 first.
    void GetOrder(int32_t (&keys)[kChainLength]) const;
    // Publishes a new order in one store. Keys must name every pedal exactly
    // once; otherwise nothing changes and the result is false.
    bool SetOrder(const int32_t (&keys)[kChainLength]);

    // The nine classic pedals (keys 0..8) in the order they take among
    // themselves: what a preset's fixed part records.
    void GetNineOrder(int32_t (&keys)[kEffectCount]) const;
    // Puts the nine in this order into the slots the nine hold now, leaving
    // the other three where they are. False, and nothing changed, unless each
    // key 0..8 appears exactly once.
    bool SetNineOrder(const int32_t (&keys)[kEffectCount]);

    // Swap slot i with its neighbour; nothing happens at the ends.
    void MoveUp(int32_t slot);
    void MoveDown(int32_t slot);
    void RestoreDefault();

    // Audio thread: every pedal's ProcessBlock, in the order loaded once.
    void ProcessBlock(int16_t* samples, int32_t count) const;

  private:
    static uint64_t Pack(const int32_t (&keys)[kChainLength]);
    static int32_t KeyOf(uint64_t packed, int32_t slot) {
        return static_cast<int32_t>((packed >> (4 * slot)) & 0xF);
    }
    void Swap(int32_t a, int32_t b);

    // Slot s holds its key in bits 4s..4s+3. Written by the main thread only.
    std::atomic<uint64_t> order_;
    std::atomic<Effect*> byKey_[kChainLength] = {};
};

// The program's one chain, the one ProcessingPass runs.
EffectChain& TheEffectChain();

// The chain operations of the audio settings, on the program's chain.
void SetChainEffects(std::span<Effect* const> byKey);
void MoveEffectUp(int32_t slot);
void MoveEffectDown(int32_t slot);
void RestoreDefaultOrder();
// The order as keys and a new order from keys: false, and the order
// unchanged, unless each key 0..11 appears exactly once.
void GetChainOrder(int32_t (&keys)[kChainLength]);
bool SetChainOrder(const int32_t (&keys)[kChainLength]);

}  // namespace ampliro
