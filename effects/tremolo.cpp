#include "effects/tremolo.h"

#include "effects/record_io.h"

namespace ampliro {

Tremolo::Tremolo() {
    name = "Tremolo";
    imageIndex = 8;
}

int Tremolo::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    lfo.Create(rate, 256, true);
    SetTremolo(tremoloRate, mix);
    BuildPanel();
    return 1;
}

void Tremolo::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddKnob(knobs[0], 2, 111, 113, kStrip131, 1, 64, tremoloRate);
    AddKnob(knobs[1], 3, 186, 113, kStrip131, 0, 64, mix);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
}

void Tremolo::SetTremolo(int32_t rateKnob, int32_t depth) {
    tremoloRate = ClampInt(rateKnob, 1, 64);
    mix = ClampInt(depth, 0, 64);
    lfo.SetFrequency(static_cast<float>(tremoloRate) * 0.25f);
}

void Tremolo::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    const int64_t lvl = level;
    const int64_t depth = mix;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t dry = static_cast<int32_t>((samples[i] * lvl) >> 6);
        const int64_t wet = Modulate(dry);
        const int64_t out = (wet * depth + dry * (64 - depth)) >> 6;
        samples[i] = static_cast<int16_t>(ClipSample(static_cast<int>(out)));
    }
}

int Tremolo::Load(std::FILE* file) {
    int32_t fields[4] = {level, enabled, mix, tremoloRate};
    for (int32_t& f : fields) ReadInt32(file, f);
    level = ClampInt(fields[0], 0, 64);
    enabled = fields[1] != 0;
    SetTremolo(fields[3], fields[2]);
    return 1;
}

int Tremolo::Save(std::FILE* file) {
    const int32_t fields[4] = {level, enabled, mix, tremoloRate};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void Tremolo::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetTremolo(value, mix);
            break;
        case 3:
            SetTremolo(tremoloRate, value);
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
