#include "effects/dsp/level_mix.h"

#include "effects/dsp/vector_clones.h"

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

}  // namespace ampliro::dsp
