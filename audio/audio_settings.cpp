#include "audio/audio_settings.h"

#include <algorithm>

#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/processing_pass.h"
#include "audio/stream_format.h"
#include "platform/audio/output_volume.h"

namespace ampliro {
namespace {

constexpr int32_t kRates[kSampleRateCount] = {8000, 11025, 22050, 44100, 48000, 96000};

int32_t gSampleRateIndex = kDefaultSampleRateIndex;
int32_t gSampleRate = 44100;
int32_t gLatency = kDefaultLatency;

}  // namespace

int32_t SampleRateForIndex(int32_t index) {
    return index >= 0 && index < kSampleRateCount ? kRates[index] : 0;
}

int32_t SampleRateIndex() {
    return gSampleRateIndex;
}
int32_t SampleRate() {
    return gSampleRate;
}
int32_t LatencySetting() {
    return gLatency;
}
void SetLatencySetting(int32_t latency) {
    gLatency = latency;
}

void ApplySampleRate(int32_t index) {
    gSampleRateIndex = index;
    if (index >= 0 && index < kSampleRateCount) gSampleRate = kRates[index];
    ApplyLatency();
    if (MetronomeHook* metronome = InstalledMetronome()) {
        metronome->SetLampDelay(gLatency);
        metronome->SetSampleRate(gSampleRate);
    }
    InitEffects();
}

uint32_t BufferSizeFor(int32_t index, int32_t latency) {
    uint32_t m = 0;
    switch (index) {
        case 1:
            m = 16;
            break;
        case 2:
            m = 32;
            break;
        case 3:
        case 4:
            m = 64;
            break;
        case 5:
            m = 128;
            break;
        default:
            return 0;
    }
    // Only a damaged preferences file holds a latency outside the knob's
    // range; the clamp keeps the buffer between 3 x m and 52 x m bytes.
    const int32_t clamped = std::clamp(latency, kMinLatency, kMaxLatency);
    return static_cast<uint32_t>(clamped + 2) * m;
}

void ApplyLatency() {
    SetStreamSampleRate(static_cast<uint32_t>(gSampleRate));
    const uint32_t bytes = BufferSizeFor(gSampleRateIndex, gLatency);
    if (bytes != 0) SetStreamBufferSize(bytes);
}

void InitEffects() {
    static constexpr int32_t kInitOrder[kChainLength] = {1, 2, 4, 5, 3, 0, 6, 7, 8, 9, 10, 11};
    // Init frees and rebuilds buffers that a pass may be reading. With the
    // input muted no new pass calls a pedal; the wait covers a pass that
    // had already started. The main thread is the only writer of MuteInput,
    // so putting back what it held is safe.
    const int32_t muted = MuteInput.exchange(1, std::memory_order_seq_cst);
    WaitForPassToFinish();
    EffectChain& chain = TheEffectChain();
    const auto ownBlock = static_cast<int32_t>(StreamBufferSize() / 2);
    for (int32_t key : kInitOrder) {
        if (Effect* effect = chain.EffectByKey(key)) {
            effect->SetOwnBlock(ownBlock);
            effect->Init(gSampleRate, key);
        }
    }
    MuteInput.store(muted, std::memory_order_seq_cst);
}

uint32_t LatencyMilliseconds() {
    const uint32_t rate = StreamSampleRate();
    return rate == 0 ? 0 : StreamBufferSize() * 1000 / rate;
}

int32_t ReadMasterVolume() {
    return static_cast<int32_t>((ReadOutputVolume() >> 16) / 1023);
}

void SetMasterVolume(int32_t volume) {
    // Out-of-range knob values would overflow the two 16-bit halves.
    const int32_t v = std::clamp(volume, 0, 64);
    const uint32_t w = static_cast<uint32_t>(v * 65535 / 64);
    SetOutputVolume(w * 65537u);
}

}  // namespace ampliro
