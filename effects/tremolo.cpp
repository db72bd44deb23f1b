#include "effects/tremolo.h"

#include <algorithm>

#include "effects/block_kernels.h"
#include "effects/record_io.h"
#include "effects/vector_clones.h"

namespace ampliro {
namespace {

// out[i] = (wet x depth + dry x (64 - depth)) >> 6 with dry = s[i] x level
// >> 6 and wet = v[i] x dry >> 15. In 32 bits: level 0..64 keeps |dry| <=
// 32768, the LFO keeps |v| <= 32767, so |v x dry| < 2^30, |wet| <= 32767 and,
// with depth 0..64, the mix stays within 2^22.
AMPLIRO_VECTOR_CLONES
void Modulated(const int16_t* samples, const int32_t* lfoValues, int32_t* out, int32_t count,
               int32_t level, int32_t depth) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t dry = (samples[i] * level) >> 6;
        const int32_t wet = (lfoValues[i] * dry) >> 15;
        out[i] = (wet * depth + dry * (64 - depth)) >> 6;
    }
}

}  // namespace

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
    const int32_t lvl = level;
    const int32_t depth = mix;
    int32_t values[WavetableLfo::kChunk], out[WavetableLfo::kChunk];
    for (int32_t done = 0; done < count; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(count - done, WavetableLfo::kChunk);
        lfo.Fill(values, n);
        Modulated(samples + done, values, out, n, lvl, depth);
        ClipBlock(*this, out, samples + done, n);
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
