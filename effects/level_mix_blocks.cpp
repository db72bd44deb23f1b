#include "effects/level_mix_blocks.h"

#include <algorithm>

#include "effects/vector_clones.h"

namespace ampliro {

AMPLIRO_VECTOR_CLONES
void LevelBlock(const int16_t* samples, int32_t* dry, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i) dry[i] = (samples[i] * level) >> 6;
}

// With |wet| <= 32768 after saturation, |dry| <= 32768 and mix in 0..64 the
// sum stays within 2^22, so 32 bits hold it.
AMPLIRO_VECTOR_CLONES
int32_t MixSaturated(int16_t* samples, const int32_t* dry, const int32_t* wet, int32_t count,
                     int32_t mix) {
    int32_t lastClip = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t w = wet[i];
        const int32_t s = w > 32767 ? 32767 : (w < -32768 ? -32768 : w);
        lastClip = std::max(lastClip, s != w ? i + 1 : 0);
        samples[i] = static_cast<int16_t>((s * mix + dry[i] * (64 - mix)) >> 6);
    }
    return lastClip;
}

// Each call first counts the hold down (the lamp goes out when it reaches
// 0), then a clipping call relights the lamp and restarts the hold at the
// sample rate. Only the calls after the last clipping one count it down for
// good.
void AccountClips(Effect& effect, int32_t calls, int32_t lastClip) {
    int32_t hold = effect.peakHold;
    int32_t countdown = calls;
    if (lastClip > 0) {
        hold = effect.sampleRate.load(std::memory_order_relaxed);
        effect.peakIndicator.store(1, std::memory_order_relaxed);
        countdown = calls - lastClip;
    }
    if (hold > 0) {
        if (hold <= countdown) {
            hold = 0;
            effect.peakIndicator.store(0, std::memory_order_relaxed);
        } else {
            hold -= countdown;
        }
    }
    effect.peakHold = hold;
}

}  // namespace ampliro
