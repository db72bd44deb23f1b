#include "platform/audio/output_volume.h"

#include <atomic>
#include <cstring>

namespace ampliro {
namespace {

// Read by the playback callback, written by the main thread.
std::atomic<uint32_t> gOutputVolume{0xFFFFFFFFu};

}  // namespace

uint32_t ReadOutputVolume() {
    return gOutputVolume.load(std::memory_order_relaxed);
}

void SetOutputVolume(uint32_t volume) {
    gOutputVolume.store(volume, std::memory_order_relaxed);
}

void ApplyOutputVolume(int16_t* dst, const int16_t* src, size_t count, uint32_t volume) {
    const int32_t gain = static_cast<int32_t>(volume & 0xFFFF);
    if (gain == 0xFFFF) {
        if (dst != src) std::memmove(dst, src, count * sizeof(int16_t));
        return;
    }
    // 32767 x 65535 < 2^31, so the product fits in 32 bits.
    for (size_t i = 0; i < count; ++i) dst[i] = static_cast<int16_t>(src[i] * gain / 0xFFFF);
}

}  // namespace ampliro
