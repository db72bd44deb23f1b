#include "effects/units/dsp/saturate.h"

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {
namespace {

// The pass is branch-free (v ^ s is non-zero only where v was outside the
// range), so it vectorises; the rare block that clipped is searched again
// from its end for the last over.
template <typename T>
bool SaturateInto(const int32_t* in, T* out, int32_t count) {
    int32_t outside = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = in[i];
        const int32_t s = Saturate16(v);
        outside |= v ^ s;
        out[i] = static_cast<T>(s);
    }
    return outside != 0;
}

AMPLIRO_VECTOR_CLONES
bool Saturate(const int32_t* in, int16_t* out, int32_t count) {
    return SaturateInto(in, out, count);
}

AMPLIRO_VECTOR_CLONES
bool Saturate(const int32_t* in, int32_t* out, int32_t count) {
    return SaturateInto(in, out, count);
}

template <typename T>
int32_t SaturateBlockInto(const int32_t* in, T* out, int32_t count) {
    if (count < 1 || !Saturate(in, out, count)) return -1;
    int32_t last = count - 1;
    while (in[last] >= -32768 && in[last] <= 32767) --last;
    return last;
}

}  // namespace

int32_t SaturateBlock(const int32_t* in, int16_t* out, int32_t count) {
    return SaturateBlockInto(in, out, count);
}

int32_t SaturateBlock(const int32_t* in, int32_t* out, int32_t count) {
    return SaturateBlockInto(in, out, count);
}

}  // namespace ampliro::dsp
