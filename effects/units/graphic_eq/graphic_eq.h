// GraphicEq: seven peaking bands of -10..+10 dB from 100 Hz to 6.4 kHz after
// the input level, saturated to 16 bits; no mix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "effects/units/graphic_eq/graphic_bank.h"

namespace ampliro::dsp {

class GraphicEq {
  public:
    // Rebuilds the bank for the rate with the band gains set so far. False
    // when the bank cannot be allocated; the signal then passes levelled.
    bool Init(int32_t sampleRate);
    // One band's gain in dB, held to -10..+10 so that 10^(dB/40) stays finite.
    void SetBand(int band, int32_t dB);
    void SetLevel(int32_t level) { level_ = level; }

    // The per-sample step: the bands in series, not saturated.
    int32_t Step(int32_t x) { return bank_.Process(x); }
    // In place: level, bands, saturation.
    ClipReport Process(int16_t* samples, size_t count);

  private:
    GraphicBank bank_;
    int32_t gains_[kGraphicBands] = {};
    Shared<int32_t> level_{48};
};

}  // namespace ampliro::dsp
