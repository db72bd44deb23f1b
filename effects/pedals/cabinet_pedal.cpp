#include "effects/pedals/cabinet_pedal.h"

#include <cmath>
#include <cstdio>

#include "effects/float_block.h"
#include "effects/units/cabinet_model/closed_back_cabinet.h"
#include "effects/units/impulse_response/impulse_response_reader.h"

namespace ampliro {
namespace {

// The preset record: enabled, level, mix.
constexpr PedalParam<CabinetPedal> kParams[] = {
    EnabledParam<CabinetPedal>(),
    KnobParam<&CabinetPedal::levelDb>({CabinetPedal::kLevelKnob, 111, 41}, 0,
                                      CallSetter<&CabinetPedal::SetLevelDb>,
                                      CabinetPedal::kMinLevelDb, CabinetPedal::kMaxLevelDb),
    KnobParam<&CabinetPedal::mixPercent>({CabinetPedal::kMixKnob, 186, 41}, 100,
                                         CallSetter<&CabinetPedal::SetMixPercent>, 0, 100),
};

}  // namespace

std::span<const PedalParam<CabinetPedal>> CabinetPedal::Params() {
    return kParams;
}

CabinetPedal::CabinetPedal() {
    name = "Cabinet";
    imageIndex = kCabinetPicture;
    RestoreDefaults();
}

int CabinetPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    // The response is resampled to the session's rate once, here or at load.
    if (rate != builtRate_ || !slot_.HasUnit()) {
        BuiltCabinet built = BuildCabinet(impulseFile_, rate);
        if (!built.unit) built = BuildCabinet({}, rate);
        if (!built.unit) return 0;
        slot_.Swap(std::move(built.unit));
        builtRate_ = rate;
    }
    ShowImpulseName();
    BuildFilePanel("#FFFFFFLoad IR");
    return 1;
}

void CabinetPedal::ShowImpulseName() {
    ShowFileName(impulsePath_.empty() ? "Closed-back 4x12 (built in)" : FileNameOf(impulsePath_));
}

void CabinetPedal::ShowReadings() {
    ShowReading(knobs[0], readings_[0], "#FFFFFF%+.0f dB", levelDb.load());
    ShowReading(knobs[1], readings_[1], "#FFFFFF%.0f%%", mixPercent.load());
}

void CabinetPedal::SetLevelDb(int32_t db) {
    levelDb.store(dsp::ClampInt(db, kMinLevelDb, kMaxLevelDb), std::memory_order_relaxed);
}

void CabinetPedal::SetMixPercent(int32_t percent) {
    mixPercent.store(dsp::ClampInt(percent, 0, 100), std::memory_order_relaxed);
}

BuiltCabinet CabinetPedal::BuildCabinet(std::span<const std::byte> file, int32_t rate) {
    BuiltCabinet built;
    built.rate = rate;
    std::vector<float> samples;
    if (file.empty()) {
        samples = dsp::ClosedBackCabinetImpulse(rate);
    } else {
        dsp::ImpulseResponse ir = dsp::ReadImpulseResponse(file, rate);
        if (!ir.ok()) {
            built.error = ir.error;
            return built;
        }
        built.note = ir.note;
        samples = std::move(ir.samples);
    }
    auto unit = std::make_unique<dsp::PartitionedConvolver>();
    if (!unit->Init(samples)) {
        built.error = "There is not enough memory for this impulse response.";
        return built;
    }
    built.unit = std::move(unit);
    return built;
}

void CabinetPedal::Install(BuiltCabinet built, std::vector<std::byte> file, std::string path) {
    if (!built.unit) return;
    const int32_t rate = sampleRate.load(std::memory_order_relaxed);
    if (rate > 0 && built.rate != rate) built = BuildCabinet(file, rate);
    if (!built.unit) return;
    slot_.Swap(std::move(built.unit));
    builtRate_ = built.rate;
    impulseFile_ = std::move(file);
    impulsePath_ = std::move(path);
    ShowImpulseName();
}

std::string CabinetPedal::LoadImpulse(std::vector<std::byte> file, std::string path,
                                      std::string* note) {
    const int32_t rate = sampleRate.load(std::memory_order_relaxed);
    if (file.empty()) return "The impulse response file is empty.";
    BuiltCabinet built = BuildCabinet(file, rate > 0 ? rate : 48000);
    if (!built.unit) return built.error;
    if (note) *note = built.note;
    Install(std::move(built), std::move(file), std::move(path));
    return {};
}

void CabinetPedal::UnloadImpulse() {
    impulseFile_.clear();
    impulsePath_.clear();
    const int32_t rate = sampleRate.load(std::memory_order_relaxed);
    BuiltCabinet built = BuildCabinet({}, rate > 0 ? rate : 48000);
    if (built.unit) {
        slot_.Swap(std::move(built.unit));
        builtRate_ = built.rate;
    }
    ShowImpulseName();
}

void CabinetPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    dsp::PartitionedConvolver* unit = slot_.Acquire();
    if (unit != nullptr) {
        const float level =
            std::pow(10.0f, static_cast<float>(levelDb.load(std::memory_order_relaxed)) / 20.0f);
        const float mix = static_cast<float>(mixPercent.load(std::memory_order_relaxed)) / 100.0f;
        // Both glide linearly from the last block's values over this one.
        const float step = 1.0f / static_cast<float>(count);
        const dsp::ClipReport report = ProcessInFloatChunks(
            samples, count, [&](const float* dry, float* wet, int32_t n, int32_t done) {
                unit->Process(dry, wet, n);
                for (int32_t i = 0; i < n; ++i) {
                    const float t = static_cast<float>(done + i + 1) * step;
                    const float g = appliedLevel_ + (level - appliedLevel_) * t;
                    const float m = appliedMix_ + (mix - appliedMix_) * t;
                    wet[i] = g * (m * wet[i] + (1.0f - m) * dry[i]);
                }
            });
        appliedLevel_ = level;
        appliedMix_ = mix;
        HoldPeak(report);
    }
    slot_.Release();
}

}  // namespace ampliro
