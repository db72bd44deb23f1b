// WavetableLfo: a low-frequency oscillator reading one period of a sine from
// a table with a Q15 phase and linear interpolation between entries.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/units/dsp/fixed_point.h"

namespace ampliro::dsp {

class WavetableLfo {
  public:
    // The most values one Fill call takes, for callers' stack arrays.
    static constexpr int32_t kChunk = 256;

    // Fills the table: unipolar 1..32767 around 16384, or bipolar
    // -32767..32767. Returns false when the table cannot be allocated or the
    // length is not positive (the oscillator then outputs 0).
    bool Create(int32_t sampleRate, int32_t length, bool unipolar);
    // Phase increment per sample for frequency hz, in Q15 table entries.
    void SetFrequency(float hz);
    // The interpolated value at the current phase, then one step on.
    int32_t Next() {
        if (!table_) return 0;
        const int32_t i = phase >> 15;
        const int64_t frac = phase & 0x7FFF;
        const int32_t v =
            static_cast<int32_t>((table_[i] * (32768 - frac) + table_[i + 1] * frac) >> 15);
        phase += increment;
        if (phase >= span) {
            phase -= span;
            cycles += 1;
        }
        return v;
    }
    // The next count values (count at most kChunk), as count Next() calls
    // would give them, with the increment read once.
    void Fill(int32_t* values, int32_t count);

    int32_t TableAt(int32_t i) const { return table_[i]; }

    int32_t rate = 0;
    int32_t phase = 0;
    Shared<int32_t> increment{0};
    int32_t cycles = 0;
    int32_t span = 0;

  private:
    // length_ + 1 entries: the last repeats the first, so that interpolation
    // past the end reads entry 0 without a wrap test.
    std::unique_ptr<int32_t[]> table_;
    int32_t length_ = 0;
};

}  // namespace ampliro::dsp
