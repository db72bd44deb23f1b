// Reverb: eight parallel feedback combs with lengths L / 2^(i/8) and gains
// normalised to one decay rate, averaged, then shaped by a tone stack (the
// filter gains on its low and high bands) and mixed with the dry signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "effects/units/tone_stack/tone_stack.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Reverb {
  public:
    static constexpr int kCombs = 8;

    // The tone stack designed for the rate (its filter gains kept) and eight
    // cleared comb lines of 250 ms. Lines of that length already held are
    // kept and cleared. False when one cannot be allocated; the reverb is
    // then silent until the next Init that succeeds.
    bool Init(int32_t sampleRate);
    // Base length L = fs x ms / 1000 (ms in 1..250) and decay gain
    // g = 0.68 + decay / 256 for comb 0; comb i gets g^(length_i / L).
    void SetReverb(int32_t ms, int32_t decay);
    // The tone stack's low and high band gains, 32 = unity.
    void SetFilterGains(int32_t lp, int32_t hp);
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }
    // Asks the audio side to empty the combs before its next block.
    void RequestClear() { clearPending_ = 1; }
    void ApplyPendingClear();

    // In place: level, combs, saturation, tone stack, mix (kept to 16 bits).
    ClipReport Process(int16_t* samples, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step: the combs' saturated average, without the tone
    // stack; report takes its one clip step.
    int32_t Step(int32_t x, ClipReport& report);
    void RunCombs(const int32_t* x, int32_t* highs, int32_t* lows, int32_t count);

    ToneStack tone_;
    Shared<int32_t> combLength_[kCombs];
    Shared<int32_t> combGain_[kCombs];
    std::unique_ptr<int32_t[]> combBuffer_[kCombs];
    int32_t combPos_[kCombs] = {};
    int32_t spanSamples_ = 0;
    int32_t rate_ = 0;
    int32_t capacity_ = 0;  // entries per comb line: 250 ms at the rate
    bool ready_ = false;
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
    Shared<int32_t> clearPending_{0};
};

}  // namespace ampliro::dsp
