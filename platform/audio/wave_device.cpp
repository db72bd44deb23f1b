#include "platform/audio/wave_device.h"

namespace ampliro {

int32_t PrepareWaveHeader(WaveHeader* header) {
    if (header == nullptr || header->data == nullptr) return kWaveInvalidParam;
    header->flags.fetch_or(WHDR_PREPARED, std::memory_order_relaxed);
    return kWaveOk;
}

int32_t UnprepareWaveHeader(WaveHeader* header) {
    if (header == nullptr) return kWaveInvalidParam;
    if (header->flags.load(std::memory_order_relaxed) & WHDR_INQUEUE) return kWaveStillPlaying;
    header->flags.fetch_and(~WHDR_PREPARED, std::memory_order_relaxed);
    return kWaveOk;
}

int32_t BeginQueuedHeader(WaveHeader* header) {
    if (header == nullptr) return kWaveInvalidParam;
    const uint32_t flags = header->flags.load(std::memory_order_relaxed);
    if ((flags & WHDR_PREPARED) == 0) return kWaveUnprepared;
    // A buffer queued twice would be filled or played twice at once.
    if (flags & WHDR_INQUEUE) return kWaveStillPlaying;
    header->flags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE, std::memory_order_relaxed);
    return kWaveOk;
}

void FinishQueuedHeader(WaveHeader* header) {
    const uint32_t flags = header->flags.load(std::memory_order_relaxed);
    header->flags.store((flags & ~WHDR_INQUEUE) | WHDR_DONE, std::memory_order_relaxed);
}

}  // namespace ampliro
