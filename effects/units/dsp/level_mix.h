// The input level and the dry/wet mix that most pedals put around their
// sound: dry = s level >> 6, out = (wet mix + dry (64 - mix)) >> 6, both Q6.
#pragma once

#include <cstdint>

namespace ampliro::dsp {

// level 0..64 keeps a 16-bit sample within 16 bits.
constexpr int32_t Level(int32_t sample, int32_t level) {
    return (sample * level) >> 6;
}

// The mixed sample in 64 bits: a wet value that left 16 bits (a pedal with
// no clip on its wet path) mixes without overflow; the caller keeps the
// low 16 bits, as the output word does.
constexpr int64_t Mix(int64_t wet, int64_t dry, int64_t mix) {
    return (wet * mix + dry * (64 - mix)) >> 6;
}

// Both over a block: dry[i] = Level(s[i]) and s[i] = Mix(wet[i], dry[i]).
void ScaleLevel(const int16_t* samples, int32_t* dry, int32_t count, int32_t level);
void MixWetDry(int16_t* samples, const int16_t* wet, const int32_t* dry, int32_t count,
               int32_t mix);
// The same for a wet signal of any 32-bit value, kept to the low 16 bits.
void MixWetDry(int16_t* samples, const int32_t* wet, const int32_t* dry, int32_t count,
               int32_t mix);

}  // namespace ampliro::dsp
