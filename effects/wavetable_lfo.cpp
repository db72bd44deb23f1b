#include "effects/wavetable_lfo.h"

#include <cmath>
#include <new>

namespace ampliro {
namespace {

// Single-precision 2 pi, with the rest of the table arithmetic in double.
constexpr double kTwoPi = 6.2831854820251465;

}  // namespace

bool WavetableLfo::Create(int32_t sampleRate, int32_t length, bool unipolar) {
    rate = sampleRate;
    phase = 0;
    increment = 0;
    cycles = 0;
    table_.reset(new (std::nothrow) int32_t[length]);
    if (!table_) {
        length_ = 0;
        span = 0;
        return false;
    }
    length_ = length;
    span = length << 15;
    for (int32_t i = 0; i < length; ++i) {
        const double s = std::sin(kTwoPi * i / length);
        table_[i] = unipolar ? static_cast<int32_t>(s * 16383.0 + 16384.0)
                             : static_cast<int32_t>(s * 32767.0);
    }
    return true;
}

void WavetableLfo::SetFrequency(float hz) {
    // A negative or non-finite frequency (only a damaged preset gives one)
    // holds the oscillator, and the step stays below one period so that a
    // single wrap always brings the phase back into the table.
    if (!(hz > 0.0f) || span == 0) {
        increment = 0;
        return;
    }
    const float step = static_cast<float>(span) * hz / static_cast<float>(rate);
    increment = step >= static_cast<float>(span) ? span - 1 : TruncToInt32(step);
}

}  // namespace ampliro
