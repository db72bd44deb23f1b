#include "audio/processing_pass.h"

#include <atomic>
#include <cstring>

#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/stream_format.h"
#include "audio/tuner_tap.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

std::atomic<MetronomeHook*> gMetronome{nullptr};
std::atomic<RecorderHook*> gRecorder{nullptr};

// Set for the length of a pass. The pass sets it before it reads MuteInput
// and the main thread sets MuteInput before it reads this flag, both
// sequentially consistent: either the pass sees the mute and skips the chain,
// or the main thread sees the pass and waits for it.
std::atomic<int32_t> gPassInProgress{0};

}  // namespace

void InstallMetronome(MetronomeHook* metronome) {
    gMetronome.store(metronome, std::memory_order_release);
}

void InstallRecorder(RecorderHook* recorder) {
    gRecorder.store(recorder, std::memory_order_release);
}

MetronomeHook* InstalledMetronome() {
    return gMetronome.load(std::memory_order_acquire);
}

int ProcessingPass(int16_t* samples, int32_t count) {
    gPassInProgress.store(1, std::memory_order_seq_cst);
    MetronomeHook* metronome = gMetronome.load(std::memory_order_acquire);
    RecorderHook* recorder = gRecorder.load(std::memory_order_acquire);
    // While the tuner is shown the output is silent, as behind a tuner
    // pedal: the pedals run on silence, so a delay or reverb holds no echo of
    // the tuning when the sound comes back, and the block leaves silent.
    const bool outputMuted = OutputMuted();
    const size_t bytes = static_cast<size_t>(count > 0 ? count : 0) * sizeof(int16_t);
    if (outputMuted) std::memset(samples, 0, bytes);
    if (metronome != nullptr) metronome->TimingStep(count);
    if (MuteInput.load(std::memory_order_seq_cst) == 0) {
        TheEffectChain().ProcessBlock(samples, count);
    }
    if (recorder != nullptr) recorder->EngineStep(samples, count);
    if (metronome != nullptr) metronome->MixInto(samples, count);
    if (outputMuted) std::memset(samples, 0, bytes);
    gPassInProgress.store(0, std::memory_order_seq_cst);
    return 1;
}

void WaitForPassToFinish() {
    while (gPassInProgress.load(std::memory_order_seq_cst) != 0) SleepMilliseconds(1);
}

}  // namespace ampliro
