// ToneStack: a three-band tone control. Two chains of four one-pole
// low-passes split the signal at two frequencies into low, mid and high
// bands, which are weighted by three Q5 gains and summed.
#pragma once

#include <cstdint>

#include "effects/fixed_point.h"

namespace ampliro {

class ToneStack {
  public:
    // Clears the whole record, sets the gains to unity (32) and tunes the low
    // chain to lowHz and the upper chain to highHz.
    void Design(double lowHz, double highHz, int32_t sampleRate);
    // One sample; not clamped, since gains above 32 may leave the 16-bit range.
    int32_t Process(int32_t x);

    int32_t lowCoef = 0;
    int32_t lowState[4] = {};
    int32_t highCoef = 0;
    int32_t highState[4] = {};
    int32_t history[3] = {};
    Shared<int32_t> lowGain{32};
    Shared<int32_t> midGain{32};
    Shared<int32_t> highGain{32};
};

}  // namespace ampliro
