#include "effects/pedals/amp_pedal.h"

#include <cstdio>

#include "effects/float_block.h"

namespace ampliro {
namespace {

// The preset record: enabled, input gain, output level.
constexpr PedalParam<AmpPedal> kParams[] = {
    EnabledParam<AmpPedal>(),
    KnobParam<&AmpPedal::inputDb>({AmpPedal::kInputKnob, 111, 41}, 0,
                                  CallSetter<&AmpPedal::SetInputDb>, AmpPedal::kMinGainDb,
                                  AmpPedal::kMaxGainDb),
    KnobParam<&AmpPedal::outputDb>({AmpPedal::kOutputKnob, 186, 41}, 0,
                                   CallSetter<&AmpPedal::SetOutputDb>, AmpPedal::kMinGainDb,
                                   AmpPedal::kMaxGainDb),
};

}  // namespace

std::span<const PedalParam<AmpPedal>> AmpPedal::Params() {
    return kParams;
}

AmpPedal::AmpPedal() {
    name = "Amp";
    imageIndex = kAmpPicture;
    RestoreDefaults();
}

int AmpPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    // The resampling around the model depends on the session's rate.
    if (rate != builtRate_ && !modelText_.empty()) {
        BuiltAmp built = BuildAmp(modelText_, rate);
        if (built.unit) {
            latency_.store(built.unit->LatencyFrames(), std::memory_order_relaxed);
            slot_.Swap(std::move(built.unit));
        }
    }
    builtRate_ = rate;
    ShowModelName();
    BuildFilePanel("#FFFFFFLoad Model");
    return 1;
}

void AmpPedal::ShowModelName() {
    ShowFileName(modelPath_.empty() ? "No model" : FileNameOf(modelPath_));
}

void AmpPedal::ShowReadings() {
    ShowReading(knobs[0], readings_[0], "#FFFFFF%+.0f dB", inputDb.load());
    ShowReading(knobs[1], readings_[1], "#FFFFFF%+.0f dB", outputDb.load());
}

void AmpPedal::SetInputDb(int32_t db) {
    inputDb.store(dsp::ClampInt(db, kMinGainDb, kMaxGainDb), std::memory_order_relaxed);
}

void AmpPedal::SetOutputDb(int32_t db) {
    outputDb.store(dsp::ClampInt(db, kMinGainDb, kMaxGainDb), std::memory_order_relaxed);
}

BuiltAmp AmpPedal::BuildAmp(std::string_view text, int32_t rate) const {
    BuiltAmp built;
    built.rate = rate;
    dsp::NeuralModelFile file = dsp::ReadNeuralModelFile(text);
    if (!file.model) {
        built.error = file.error.empty() ? "The model could not be read." : file.error;
        return built;
    }
    auto unit = std::make_unique<dsp::NeuralAmp>();
    unit->SetInputGainDb(static_cast<float>(inputDb.load(std::memory_order_relaxed)));
    unit->SetOutputLevelDb(static_cast<float>(outputDb.load(std::memory_order_relaxed)));
    unit->SetLoudnessNormalised(normalise.load(std::memory_order_relaxed));
    if (!unit->Init(std::move(file), rate, kFloatChunk)) {
        built.error = "The model cannot be played at this sample rate.";
        return built;
    }
    built.unit = std::move(unit);
    return built;
}

void AmpPedal::Install(BuiltAmp built, std::string text, std::string path) {
    if (!built.unit) return;
    // The rate changed while the model was being built: ready it again.
    const int32_t rate = sampleRate.load(std::memory_order_relaxed);
    if (rate > 0 && built.rate != rate) built = BuildAmp(text, rate);
    if (!built.unit) return;
    latency_.store(built.unit->LatencyFrames(), std::memory_order_relaxed);
    // The old model is freed here, on the caller's thread, once no block
    // plays it.
    slot_.Swap(std::move(built.unit));
    modelText_ = std::move(text);
    modelPath_ = std::move(path);
    builtRate_ = built.rate;
    ShowModelName();
}

std::string AmpPedal::LoadModel(std::string text, std::string path) {
    const int32_t rate = sampleRate.load(std::memory_order_relaxed);
    BuiltAmp built = BuildAmp(text, rate > 0 ? rate : 48000);
    if (!built.unit) return built.error;
    Install(std::move(built), std::move(text), std::move(path));
    return {};
}

void AmpPedal::UnloadModel() {
    slot_.Swap(nullptr);
    latency_.store(0, std::memory_order_relaxed);
    modelText_.clear();
    modelPath_.clear();
    ShowModelName();
}

int32_t AmpPedal::LatencyFrames() const {
    if (!enabled.load(std::memory_order_relaxed) || !slot_.HasUnit()) return 0;
    return latency_.load(std::memory_order_relaxed);
}

void AmpPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    dsp::NeuralAmp* unit = slot_.Acquire();
    if (unit != nullptr) {
        unit->SetInputGainDb(static_cast<float>(inputDb.load(std::memory_order_relaxed)));
        unit->SetOutputLevelDb(static_cast<float>(outputDb.load(std::memory_order_relaxed)));
        unit->SetLoudnessNormalised(normalise.load(std::memory_order_relaxed));
        HoldPeak(ProcessInFloatChunks(samples, count,
                                      [unit](const float* in, float* out, int32_t n, int32_t) {
                                          unit->Process(in, out, n);
                                      }));
    }
    slot_.Release();
}

}  // namespace ampliro
