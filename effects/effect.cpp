#include "effects/effect.h"

namespace ampliro {

int Effect::Init(int32_t rate, int32_t key) {
    sampleRate.store(rate, std::memory_order_relaxed);
    effectKey.store(key, std::memory_order_relaxed);
    return 0;
}

int Effect::ProcessSample(int) {
    return 0;
}

// A pedal supplies its own block loop (most use ProcessLevelMix); the base
// leaves the block as it is.
void Effect::ProcessBlock(int16_t*, int32_t) {}

int Effect::Load(std::FILE*) {
    return 1;
}

int Effect::Save(std::FILE*) {
    return 1;
}

void Effect::OnControl(int32_t id, int32_t) {
    if (id == kFootSwitchId) ToggleEnabled();
}

void Effect::ToggleEnabled() {
    ClearMemory();
    const int32_t on = enabled.load(std::memory_order_relaxed) ? 0 : 1;
    enabled.store(on, std::memory_order_relaxed);
    powerLamp.SetStyle(static_cast<uint32_t>(on));
}

void Effect::ProcessLevelMix(int16_t* samples, int32_t count) {
    const int64_t lvl = level.load(std::memory_order_relaxed);
    const int64_t wetShare = mix.load(std::memory_order_relaxed);
    for (int32_t i = 0; i < count; ++i) {
        const int dry = static_cast<int>((samples[i] * lvl) >> 6);
        const int64_t wet = ProcessSample(dry);
        const int64_t out = (wet * wetShare + dry * (64 - wetShare)) >> 6;
        samples[i] = static_cast<int16_t>(static_cast<uint16_t>(out));
    }
}

}  // namespace ampliro
