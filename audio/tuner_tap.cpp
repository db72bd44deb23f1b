#include "audio/tuner_tap.h"

#include <atomic>

namespace ampliro {
namespace {

std::atomic<bool> gListening{false};
std::atomic<bool> gOutputMuted{false};

}  // namespace

SpscRing<int16_t>& TunerRing() {
    static SpscRing<int16_t> ring(kTunerRingSamples);
    return ring;
}

void StartTunerTap() {
    SpscRing<int16_t>& ring = TunerRing();
    ring.Consume(ring.Available());
    gListening.store(true, std::memory_order_release);
}

void StopTunerTap() {
    gListening.store(false, std::memory_order_release);
}

bool TunerTapListening() {
    return gListening.load(std::memory_order_acquire);
}

void FeedTunerTap(const int16_t* samples, int32_t count) {
    if (count <= 0 || !gListening.load(std::memory_order_acquire)) return;
    TunerRing().PushAll(samples, static_cast<size_t>(count));
}

void SetOutputMuted(bool muted) {
    gOutputMuted.store(muted, std::memory_order_relaxed);
}

bool OutputMuted() {
    return gOutputMuted.load(std::memory_order_relaxed);
}

}  // namespace ampliro
