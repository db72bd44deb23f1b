#include "effects/units/dsp/level_mix.h"

#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {

AMPLIRO_VECTOR_CLONES
void ScaleLevel(const int16_t* samples, int32_t* dry, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i) dry[i] = Level(samples[i], level);
}

// With 16-bit wet and dry values and mix 0..64 the sum stays within 2^22,
// so the 32-bit lanes compute what Mix does in 64 bits.
AMPLIRO_VECTOR_CLONES
void MixWetDry(int16_t* samples, const int16_t* wet, const int32_t* dry, int32_t count,
               int32_t mix) {
    for (int32_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>((wet[i] * mix + dry[i] * (64 - mix)) >> 6);
    }
}

// The wide form: wet beyond 16 bits (a tone stack's gain above unity) may
// carry the sum past 32 bits, but the kept bits 6..21 come out exactly in
// arithmetic modulo 2^32.
AMPLIRO_VECTOR_CLONES
void MixWetDry(int16_t* samples, const int32_t* wet, const int32_t* dry, int32_t count,
               int32_t mix) {
    const uint32_t wetGain = static_cast<uint32_t>(mix);
    const uint32_t dryGain = 64u - wetGain;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t sum =
            static_cast<uint32_t>(wet[i]) * wetGain + static_cast<uint32_t>(dry[i]) * dryGain;
        samples[i] = static_cast<int16_t>(sum >> 6);
    }
}

}  // namespace ampliro::dsp
