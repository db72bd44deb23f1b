#include "effects/effect.h"

namespace ampliro {

int Effect::Init(int32_t rate, int32_t key) {
    sampleRate.store(rate, std::memory_order_relaxed);
    effectKey.store(key, std::memory_order_relaxed);
    return 0;
}

// A pedal hands the block to its sound unit; the base leaves it as it is.
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

}  // namespace ampliro
