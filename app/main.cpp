// ampliro, for now: the duplex audio stream from the default input to the
// default output through a chain of nine pass-through pedals, at 44100 Hz and
// latency 12, until interrupted.
#include <csignal>
#include <cstdio>
#include <string>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "effects/effect.h"
#include "platform/clock.h"
#include "platform/wave_device.h"

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

}  // namespace

int main() {
    using namespace ampliro;

    // The base pedal leaves every block as it is.
    static Effect passThrough[kEffectCount];
    Effect* byKey[kEffectCount];
    for (int32_t k = 0; k < kEffectCount; ++k) byKey[k] = &passThrough[k];
    SetChainEffects(byKey);
    RestoreDefaultOrder();
    SetLatencySetting(kDefaultLatency);
    ApplySampleRate(kDefaultSampleRateIndex);

    if (StartAudioThread(&ProcessingPass) != 0) {
        std::fprintf(stderr, "ampliro: the audio thread cannot be started\n");
        return 1;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    const int32_t result = OpenAudioStream();
    if (result != kStreamOk) {
        const std::string reason = CurrentAudioBackend().LastError();
        std::fprintf(stderr, "ampliro: no audio device could be opened: %s (code %d)%s%s\n",
                     StreamErrorText(result), static_cast<int>(result), reason.empty() ? "" : ": ",
                     reason.c_str());
        StopAudioStream();
        return 1;
    }
    AudioBackend& devices = CurrentAudioBackend();
    std::printf("input:  %s\n", devices.CaptureDeviceName().c_str());
    std::printf("output: %s\n", devices.PlaybackDeviceName().c_str());
    std::printf("%u Hz, 16-bit mono, blocks of %u bytes (%u samples) in %u buffers, %u ms\n",
                StreamSampleRate(), StreamBufferSize(), StreamBufferSize() / 2, StreamHeaderCount(),
                LatencyMilliseconds());
    std::printf("Playing through the chain; press Ctrl+C to stop.\n");
    std::fflush(stdout);

    while (gInterrupted == 0) SleepMilliseconds(100);

    StopAudioStream();
    std::printf("\nampliro: stopped\n");
    return 0;
}
