// Delay: a single-tap echo of up to three seconds with feedback (Decay) and
// a one-pole low-pass on the echo (Cutoff).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Delay {
  public:
    static constexpr int32_t kMaxDelayMs = 3000;

    // A cleared line of three seconds at the rate, written from its start.
    // A line of that length already held is kept and cleared. False when it
    // cannot be allocated; the echo is then silence.
    bool Init(int32_t sampleRate);
    // The echo ms (1..3000) after the input; the write position is kept.
    void SetDelayMs(int32_t ms);
    void SetDecay(int32_t q6) { decay_ = q6; }
    // Cutoff 0..64: the low-pass coefficient cutoff x 256 in Q15; 64 leaves
    // the echo undamped.
    void SetCutoff(int32_t cutoff) { toneCoef_ = cutoff * 256; }
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }
    // Asks the audio side to empty the line before its next block.
    void RequestClear() { clearPending_ = 1; }
    void ApplyPendingClear();

    // In place: level, echo, damping, mix.
    ClipReport Process(int16_t* block, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step: one dry sample to its echo, adding its clip steps
    // (the feedback's, when there is feedback, then the echo's) to report.
    int32_t Step(int32_t x, ClipReport& report);
    static constexpr int32_t kChunk = 256;
    void EchoBlock(const int32_t* dry, int16_t* echo, int32_t count, ClipReport& report);
    void EchoRun(const int32_t* dry, int16_t* echo, int32_t n, ClipReport& report);

    std::unique_ptr<int32_t[]> line_;
    int32_t lineLength_ = 0;
    int32_t rate_ = 0;
    int32_t writePos_ = 0;
    int32_t toneState_ = 0;
    Shared<int32_t> delaySamples_{0};
    Shared<int32_t> decay_{32};
    Shared<int32_t> toneCoef_{16384};
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
    Shared<int32_t> clearPending_{0};
};

}  // namespace ampliro::dsp
