#include "effects/wavetable_lfo.h"

#include <cmath>
#include <new>

#include "effects/vector_clones.h"

namespace ampliro {
namespace {

// Single-precision 2 pi, with the rest of the table arithmetic in double.
constexpr double kTwoPi = 6.2831854820251465;

// values[n] = (t[i] (32768 - f) + t[i + 1] f) >> 15 for the Q15 phase
// values[n] = i.f, in place. Every entry has |t| <= 32767 and 0 <= f <= 32767,
// so |t[i] (32768 - f) + t[i + 1] f| <= 32767 x 32768 < 2^31: the 32-bit sum
// is exact and equals the 64-bit one.
AMPLIRO_VECTOR_CLONES
void InterpolateAt(const int32_t* table, int32_t* values, int32_t count) {
    for (int32_t n = 0; n < count; ++n) {
        const int32_t i = values[n] >> 15;
        const int32_t f = values[n] & 0x7FFF;
        values[n] = (table[i] * (32768 - f) + table[i + 1] * f) >> 15;
    }
}

}  // namespace

bool WavetableLfo::Create(int32_t sampleRate, int32_t length, bool unipolar) {
    rate = sampleRate;
    phase = 0;
    increment = 0;
    cycles = 0;
    if (length > 0) table_.reset(new (std::nothrow) int32_t[length + 1]);
    if (length <= 0 || !table_) {
        table_.reset();
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
    table_[length] = table_[0];
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

// The phases first (0 <= phase < span and 0 <= step < span, so the sum stays
// below 2 span <= 2^31 and one subtraction wraps it), then the table reads.
void WavetableLfo::Fill(int32_t* values, int32_t count) {
    if (!table_) {
        for (int32_t n = 0; n < count; ++n) values[n] = 0;
        return;
    }
    const int32_t step = increment;
    int32_t p = phase;
    int32_t wraps = 0;
    for (int32_t n = 0; n < count; ++n) {
        values[n] = p;
        p += step;
        const bool wrap = p >= span;
        wraps += wrap;
        p = wrap ? p - span : p;
    }
    phase = p;
    cycles += wraps;
    InterpolateAt(table_.get(), values, count);
}

}  // namespace ampliro
