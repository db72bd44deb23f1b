#include "effects/block_kernels.h"

#include "effects/vector_clones.h"

namespace ampliro {

namespace {

template <typename T>
bool SaturateInto(const int32_t* in, T* out, int32_t count) {
    int32_t outside = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = in[i];
        const int32_t s = v > 32767 ? 32767 : (v < -32768 ? -32768 : v);
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

// Call by call, the hold counts down by one while positive and puts the lamp
// out when it reaches 0; a clipped value lights the lamp and restarts the
// hold at the sample rate. Only the last clipping call matters for the end
// state: after it, the remaining calls count down.
void PeakAfterCalls(Effect& fx, int32_t lastClippingCall, int32_t calls) {
    int32_t countdown = calls;
    if (lastClippingCall >= 0) {
        fx.peakHold = fx.sampleRate.load(std::memory_order_relaxed);
        fx.peakIndicator.store(1, std::memory_order_relaxed);
        countdown = calls - 1 - lastClippingCall;
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

void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count) {
    if (count < 1) return;
    PeakAfterCalls(fx, SaturateBlock(in, out, count), count);
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
