#include "effects/pedals/reverb_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, time (ms), decay, LP gain, HP
// gain; the Filter knob edits one of the two gains and has no word itself.
constexpr PedalParam<ReverbPedal> kParams[] = {
    LevelParam<ReverbPedal>(),
    MixParam<ReverbPedal>(ReverbPedal::kMixKnob, 186, 113, kBlackSilverCapKnob),
    EnabledParam<ReverbPedal>(),
    KnobParam<&ReverbPedal::delayMs>(
        {ReverbPedal::kTimeKnob, 111, 41, kBlackSilverCapKnob}, 32,
        [](ReverbPedal& r, int32_t v) { r.SetReverb(v, r.decayAmount); }, 1, 250),
    KnobParam<&ReverbPedal::decayAmount>(
        {ReverbPedal::kDecayKnob, 186, 41, kBlackSilverCapKnob}, 32,
        [](ReverbPedal& r, int32_t v) { r.SetReverb(r.delayMs, v); }),
    {.get = [](const ReverbPedal& r) { return r.lpGain; },
     .set = [](ReverbPedal& r, int32_t v) { r.SetFilterGains(v, r.hpGain); },
     .defaultValue = 32},
    {.get = [](const ReverbPedal& r) { return r.hpGain; },
     .set = [](ReverbPedal& r, int32_t v) { r.SetFilterGains(r.lpGain, v); },
     .defaultValue = 32},
    {.get = [](const ReverbPedal& r) { return r.filterIsLow ? r.lpGain : r.hpGain; },
     .set =
         [](ReverbPedal& r, int32_t v) {
             if (r.filterIsLow) {
                 r.SetFilterGains(v, r.hpGain);
             } else {
                 r.SetFilterGains(r.lpGain, v);
             }
         },
     .defaultValue = 32,
     .knobId = ReverbPedal::kFilterKnob,
     .cx = 111,
     .cy = 113,
     .strip = kBlackSilverCapKnob,
     .stored = false},
};

}  // namespace

std::span<const PedalParam<ReverbPedal>> ReverbPedal::Params() {
    return kParams;
}

ReverbPedal::ReverbPedal() {
    name = "Digital Reverb";
    imageIndex = kReverbPicture;
    RestoreDefaults();
}

int ReverbPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    const bool ready = unit_.Init(rate);
    SetFilterGains(lpGain, hpGain);
    if (!ready) return 0;
    SetReverb(delayMs, decayAmount);
    filterIsLow = 0;
    BuildPanel();
    return 1;
}

void ReverbPedal::BuildPanel() {
    BuildStandardPanel(levelSlider, knobs);
    filterSelector.Configure(kFilterSelectorId, "#FFFFFFHP", 65, 138, 18, 14,
                             kButtonFramed | kButtonOutline, 0xBE9E);
    AddChild(&filterSelector);
}

void ReverbPedal::SetReverb(int32_t ms, int32_t decay) {
    delayMs = dsp::ClampInt(ms, 1, 250);
    decayAmount = dsp::ClampInt(decay, 0, 64);
    unit_.SetReverb(delayMs, decayAmount);
}

void ReverbPedal::SetFilterGains(int32_t lp, int32_t hp) {
    lpGain = dsp::ClampInt(lp, 0, 64);
    hpGain = dsp::ClampInt(hp, 0, 64);
    unit_.SetFilterGains(lpGain, hpGain);
}

int32_t ReverbPedal::ToggleFilterSelector() {
    filterIsLow = filterIsLow ? 0 : 1;
    return filterIsLow ? lpGain : hpGain;
}

void ReverbPedal::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

bool ReverbPedal::OnOwnControl(int32_t id, int32_t) {
    if (id != kFilterSelectorId) return false;
    knobs[2].SetValue(ToggleFilterSelector());
    filterSelector.SetCaption(kFilterSelectorId, filterIsLow ? "#FFFFFFLP" : "#FFFFFFHP",
                              kPlaceInside);
    return true;
}

}  // namespace ampliro
