#include "effects/pedals/delay_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, delay (ms), decay, cutoff.
constexpr PedalParam<DelayPedal> kParams[] = {
    LevelParam<DelayPedal>(),
    MixParam<DelayPedal>(DelayPedal::kMixKnob, 186, 113, kAluminiumKnob),
    EnabledParam<DelayPedal>(),
    KnobParam<&DelayPedal::delayMs>(
        {DelayPedal::kDelayKnob, 111, 41, kAluminiumKnob}, 500,
        [](DelayPedal& d, int32_t v) { d.SetDelay(v, d.decay); }, 1, DelayPedal::kMaxDelayMs),
    KnobParam<&DelayPedal::decay>({DelayPedal::kDecayKnob, 186, 41, kAluminiumKnob}, 32,
                                  [](DelayPedal& d, int32_t v) { d.SetDelay(d.delayMs, v); }),
    KnobParam<&DelayPedal::cutoff>({DelayPedal::kCutoffKnob, 111, 113, kAluminiumKnob}, 64,
                                   CallSetter<&DelayPedal::SetCutoff>),
};

}  // namespace

std::span<const PedalParam<DelayPedal>> DelayPedal::Params() {
    return kParams;
}

DelayPedal::DelayPedal() {
    name = "Digital Delay";
    imageIndex = kDelayPicture;
    RestoreDefaults();
}

int DelayPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetDelay(delayMs, decay);
    BuildStandardPanel(levelSlider, knobs);
    return 1;
}

void DelayPedal::SetDelay(int32_t ms, int32_t decayValue) {
    // At least 1 ms: a zero length would leave no entry to read or write.
    delayMs = dsp::ClampInt(ms, 1, kMaxDelayMs);
    decay = dsp::ClampInt(decayValue, 0, 64);
    unit_.SetDelayMs(delayMs);
    unit_.SetDecay(decay);
}

void DelayPedal::SetCutoff(int32_t value) {
    cutoff = dsp::ClampInt(value, 0, 64);
    unit_.SetCutoff(cutoff);
}

void DelayPedal::SyncUnit() {
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

void DelayPedal::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
