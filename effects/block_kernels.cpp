#include "effects/block_kernels.h"

#include "effects/vector_clones.h"

namespace ampliro {

namespace {

// Saturates to 16 bits; true when any value was outside the range.
AMPLIRO_VECTOR_CLONES
bool Saturate(const int32_t* in, int16_t* out, int32_t count) {
    int32_t outside = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = in[i];
        const int32_t s = v > 32767 ? 32767 : (v < -32768 ? -32768 : v);
        outside |= v ^ s;
        out[i] = static_cast<int16_t>(s);
    }
    return outside != 0;
}

}  // namespace

// Sample by sample, the hold counts down by one per sample while positive
// and puts the lamp out when it reaches 0; a clipped sample lights the lamp
// and restarts the hold at the sample rate. Only the last clipped sample of
// the block matters for the end state: after it, n more samples count down.
void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count) {
    if (count < 1) return;
    int32_t countdown = count;
    if (Saturate(in, out, count)) {
        int32_t last = count - 1;
        while (in[last] >= -32768 && in[last] <= 32767) --last;
        fx.peakHold = fx.sampleRate.load(std::memory_order_relaxed);
        fx.peakIndicator.store(1, std::memory_order_relaxed);
        countdown = count - 1 - last;
    }
    if (fx.peakHold > 0 && countdown > 0) {
        if (fx.peakHold <= countdown) {
            fx.peakHold = 0;
            fx.peakIndicator.store(0, std::memory_order_relaxed);
        } else {
            fx.peakHold -= countdown;
        }
    }
}

AMPLIRO_VECTOR_CLONES
void ScaleLevel(const int16_t* samples, int32_t* dry, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i) dry[i] = (samples[i] * level) >> 6;
}

AMPLIRO_VECTOR_CLONES
void MixWetDry(int16_t* samples, const int16_t* wet, const int32_t* dry, int32_t count,
               int32_t mix) {
    for (int32_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>((wet[i] * mix + dry[i] * (64 - mix)) >> 6);
    }
}

}  // namespace ampliro
