#include "platform/audio/audio_health.h"

#include <chrono>

namespace ampliro {

void AudioHealth::Reset() {
    droppedBlocks.store(0, std::memory_order_relaxed);
    underruns.store(0, std::memory_order_relaxed);
    passes.store(0, std::memory_order_relaxed);
    slowPasses.store(0, std::memory_order_relaxed);
    busyMicros.store(0, std::memory_order_relaxed);
    blockMicros.store(0, std::memory_order_relaxed);
    passStartMicros.store(0, std::memory_order_relaxed);
    serverBlockFrames.store(0, std::memory_order_relaxed);
}

uint32_t AudioHealth::Dropouts() const {
    return droppedBlocks.load(std::memory_order_relaxed) +
           underruns.load(std::memory_order_relaxed);
}

AudioHealth& StreamHealth() {
    static AudioHealth health;
    return health;
}

uint32_t MonotonicMicros() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

}  // namespace ampliro
