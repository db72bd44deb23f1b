#include "audio/stream_format.h"

namespace ampliro {

std::atomic<int32_t> MuteInput{0};

namespace {

std::atomic<uint32_t> sampleRate{44100};
std::atomic<uint32_t> bufferSize{256};

}  // namespace

void SetStreamSampleRate(uint32_t hz) {
    sampleRate.store(hz, std::memory_order_relaxed);
}
uint32_t StreamSampleRate() {
    return sampleRate.load(std::memory_order_relaxed);
}
void SetStreamBufferSize(uint32_t bytes) {
    bufferSize.store(bytes, std::memory_order_relaxed);
}
uint32_t StreamBufferSize() {
    return bufferSize.load(std::memory_order_relaxed);
}

}  // namespace ampliro
