// Overdrive: a three-band tone stack, then a drive gain into a symmetric hard
// clipper whose threshold falls as Saturation rises. No level, mix or peak.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/tone_stack/tone_stack.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Overdrive {
  public:
    // Designs the tone stack for the rate (880 Hz and 5 kHz splits, memory
    // cleared) and writes the current tone gains back into it.
    void Init(int32_t sampleRate);
    // Drive 0..64: a gain of 1 + drive / 64 before the clipper.
    void SetDrive(int32_t drive) { drive_ = ClampInt(drive, 0, 64); }
    // Saturation 0..64 sets the clip level (ThresholdFor).
    void SetSaturation(int32_t saturation) {
        threshold_ = ThresholdFor(ClampInt(saturation, 0, 64));
    }
    // Band gains 0..64, 32 = unity.
    void SetTone(int32_t bass, int32_t middle, int32_t treble);

    // Clip level for a Saturation value: 4096 + 28672 * 2^(-8 (s/64)^2).
    static int32_t ThresholdFor(int32_t saturation);

    // In place: tone stack, then the clipper.
    void Process(int16_t* block, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step: the clipper alone, without the tone stack.
    int32_t Clip(int32_t x) const;
    ToneStack tone_;
    Shared<int32_t> drive_{32};
    Shared<int32_t> threshold_{11264};
};

}  // namespace ampliro::dsp
