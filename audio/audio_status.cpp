#include "audio/audio_status.h"

#include "audio/effect_chain.h"
#include "audio/stream_format.h"
#include "platform/audio/audio_health.h"

namespace ampliro {

AudioStatus CurrentAudioStatus(bool powered) {
    const AudioHealth& health = StreamHealth();
    AudioStatus status;
    status.rate = StreamSampleRate();
    const uint32_t serverBlock = health.serverBlockFrames.load(std::memory_order_relaxed);
    status.blockSamples = serverBlock != 0 ? serverBlock : StreamBufferSize() / 2;
    status.deviceFrames = health.deviceLatencyFrames.load(std::memory_order_relaxed);
    status.dropouts = health.Dropouts();
    status.powered = powered;
    for (int32_t slot = 0; slot < kChainLength; ++slot) {
        if (const Effect* effect = TheEffectChain().EffectAt(slot))
            status.chainFrames += static_cast<uint32_t>(effect->LatencyFrames());
    }
    return status;
}

std::string AudioStatusTitle(const std::string& program, const AudioStatus& status) {
    if (!status.powered || status.rate == 0) return program;
    const uint64_t frames =
        static_cast<uint64_t>(status.blockSamples) + status.deviceFrames + status.chainFrames;
    const uint64_t ms = (frames * 1000 + status.rate / 2) / status.rate;
    std::string title = program + " - " + std::to_string(ms) + " ms, ";
    title += std::to_string(status.dropouts);
    title += status.dropouts == 1 ? " dropout" : " dropouts";
    return title;
}

}  // namespace ampliro
