// The audio engine's own cost per block, without the pedals: one 448-sample
// block (latency 12 at 44100 Hz, 10 ms of sound) from the capture device
// through the audio thread and the processing pass to playback, and the
// master volume on a block.
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "effects/effect.h"
#include "platform/audio/output_volume.h"
#include "platform/audio/scripted/scripted_audio.h"

namespace ampliro {
namespace {

void BM_BlockRoundTrip(benchmark::State& state) {
    static Effect passThrough[kEffectCount];
    Effect* byKey[kEffectCount];
    for (int32_t k = 0; k < kEffectCount; ++k) byKey[k] = &passThrough[k];
    SetChainEffects(byKey);
    ScriptedAudio audio;
    SetAudioBackend(&audio);
    StartAudioThread(&ProcessingPass);
    SetStreamSampleRate(44100);
    SetStreamBufferSize(896);
    if (OpenAudioStream() != kStreamOk) {
        state.SkipWithError("the scripted stream did not open");
        return;
    }
    const std::vector<int16_t> block(448, 1234);
    for (auto _ : state) {
        audio.Capture(block);
        WaitForAudioThreadIdle();
        audio.CompletePlayback();
        WaitForAudioThreadIdle();
    }
    CloseAudioStream();
    SetAudioBackend(nullptr);
    state.SetItemsProcessed(state.iterations() * 448);
}
BENCHMARK(BM_BlockRoundTrip);

void BM_MasterVolume(benchmark::State& state) {
    std::vector<int16_t> block(448, 1234);
    for (auto _ : state) {
        ApplyOutputVolume(block.data(), block.data(), block.size(), 0x7FFF7FFFu);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(state.iterations() * 448);
}
BENCHMARK(BM_MasterVolume);

}  // namespace
}  // namespace ampliro

BENCHMARK_MAIN();
