#include "effects/units/wavetable_lfo/wavetable_lfo.h"

#include <cmath>
#include <new>

#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {
namespace {

// values[n] = (t[i] (32768 - f) + t[i + 1] f) >> 15 at the Q15 phase i.f =
// phases[n]. Every entry has |t| <= 32767 and 0 <= f <= 32767, so
// |t[i] (32768 - f) + t[i + 1] f| <= 32767 x 32768 < 2^31: the 32-bit sum
// is exact and equals the 64-bit one.
AMPLIRO_VECTOR_CLONES
void InterpolateAt(const int32_t* __restrict table, const int32_t* __restrict phases,
                   int32_t* __restrict values, int32_t count) {
    for (int32_t n = 0; n < count; ++n) {
        const int32_t i = phases[n] >> 15;
        const int32_t f = phases[n] & 0x7FFF;
        values[n] = (table[i] * (32768 - f) + table[i + 1] * f) >> 15;
    }
}

// The same values at the phases (start + n step) mod span for a span that is
// a power of two: span then divides 2^32, so the sum may wrap in unsigned
// 32-bit arithmetic and the low bits still give the residue.
AMPLIRO_VECTOR_CLONES
void InterpolateSwept(const int32_t* __restrict table, uint32_t start, uint32_t step, uint32_t mask,
                      int32_t* __restrict values, int32_t count) {
    for (int32_t n = 0; n < count; ++n) {
        const uint32_t p = (start + static_cast<uint32_t>(n) * step) & mask;
        const int32_t i = static_cast<int32_t>(p >> 15);
        const int32_t f = static_cast<int32_t>(p & 0x7FFF);
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

// Next() steps p -> p + step, less span when that reaches span; with
// 0 <= p < span and 0 <= step < span one subtraction is enough, so after n
// steps p = (p0 + n step) mod span and the period has wrapped
// floor((p0 + n step) / span) times.
void WavetableLfo::Fill(int32_t* values, int32_t count) {
    if (!table_) {
        for (int32_t n = 0; n < count; ++n) values[n] = 0;
        return;
    }
    const int32_t step = increment;
    const int32_t start = phase;
    const int32_t period = span;
    if ((period & (period - 1)) == 0) {
        InterpolateSwept(table_.get(), static_cast<uint32_t>(start), static_cast<uint32_t>(step),
                         static_cast<uint32_t>(period - 1), values, count);
    } else {
        int32_t phases[kChunk];
        int32_t p = start;
        for (int32_t n = 0; n < count; ++n) {
            phases[n] = p;
            p += step;
            p = p >= period ? p - period : p;
        }
        InterpolateAt(table_.get(), phases, values, count);
    }
    const int64_t end = start + static_cast<int64_t>(count) * step;
    const int64_t wraps = end / period;
    phase = static_cast<int32_t>(end - wraps * period);
    cycles += static_cast<int32_t>(wraps);
}

}  // namespace ampliro::dsp
