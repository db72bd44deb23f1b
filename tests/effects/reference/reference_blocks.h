// Plain per-sample forms of the pedals' shared arithmetic, written the way
// the algorithms read, one sample at a time with 64-bit intermediates so
// that nothing overflows. They are the yardstick the pedals' block paths are
// compared against, so they stay free of every speed trick.
#pragma once

#include <cstdint>
#include <vector>

namespace ampliro::reference {

// A 32-bit state written from a wider value keeps its low 32 bits: the
// two's-complement wrap that the fixed-point design assumes.
inline int32_t Wrap32(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// The low 16 bits of a value, as a 16-bit sample store keeps them.
inline int16_t Low16(int64_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v)));
}

// The 16-bit saturation with the peak lamp: the lamp goes out `rate` calls
// after the last call that clipped.
struct PeakClip {
    int32_t rate = 0;
    int32_t hold = 0;
    int32_t lit = 0;

    int32_t Clip(int64_t x) {
        if (hold > 0) {
            hold -= 1;
            if (hold == 0) lit = 0;
        }
        if (x > 32767 || x < -32768) {
            x = x > 32767 ? 32767 : -32768;
            hold = rate;
            lit = 1;
        }
        return static_cast<int32_t>(x);
    }
};

// dry = s * level >> 6 with an arithmetic shift.
inline int32_t Levelled(int32_t s, int32_t level) {
    return static_cast<int32_t>((static_cast<int64_t>(s) * level) >> 6);
}

// (wet * mix + dry * (64 - mix)) >> 6, before any store.
inline int64_t Mixed(int64_t wet, int64_t dry, int32_t mix) {
    return (wet * mix + dry * (64 - mix)) >> 6;
}

// Three bands from two chains of four one-pole low-passes, weighted in Q5.
struct ToneStack {
    int32_t lowCoef = 0, highCoef = 0;
    int32_t lowState[4] = {}, highState[4] = {};
    int32_t history[3] = {};
    int32_t lowGain = 32, midGain = 32, highGain = 32;

    void Design(double lowHz, double highHz, int32_t rate);
    int32_t Process(int32_t x);
};

// One period of a sine in a table, read with a Q15 phase and linear
// interpolation.
struct WavetableLfo {
    int32_t rate = 0;
    int32_t phase = 0;
    int32_t increment = 0;
    int32_t span = 0;
    std::vector<int32_t> table;

    void Create(int32_t sampleRate, int32_t length, bool unipolar);
    void SetFrequency(float hz);
    int32_t Next();
};

// A knob value read from a preset record word, held to the knob's range.
inline int32_t Knob(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// A float knob value from a record, held to the knob's range; a NaN, which
// no knob gives, takes the knob's minimum.
inline float Knob(float v, float lo, float hi) {
    if (!(v >= lo)) return lo;
    return v > hi ? hi : v;
}

// A float word of a record, from its bits.
float FloatWord(int32_t bits);

}  // namespace ampliro::reference
