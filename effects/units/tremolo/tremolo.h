// Tremolo: the levelled input's amplitude swept by a unipolar sine LFO, mixed
// with the unswept signal by Depth (Depth 0 leaves the levelled input).
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "effects/units/wavetable_lfo/wavetable_lfo.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Tremolo {
  public:
    // Builds the LFO's 256-entry table at the new rate, phase 0. False when
    // the table cannot be allocated; the sweep is then silent.
    bool Init(int32_t sampleRate);
    // Speed in quarter hertz (the knob's 1..64 is 0.25..16 Hz).
    void SetSpeed(int32_t quarterHz) { lfo_.SetFrequency(static_cast<float>(quarterHz) * 0.25f); }
    void SetLevel(int32_t q6) { level_ = q6; }
    void SetDepth(int32_t q6) { depth_ = q6; }

    // In place: level, sweep, depth mix, saturation to 16 bits.
    ClipReport Process(int16_t* block, size_t count);

  private:
    friend struct UnitInternals;

    WavetableLfo lfo_;
    Shared<int32_t> level_{48};
    Shared<int32_t> depth_{32};
};

}  // namespace ampliro::dsp
