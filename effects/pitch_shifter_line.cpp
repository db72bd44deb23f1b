#include "effects/pitch_shifter_line.h"

#include <algorithm>
#include <cmath>

#include "effects/record_io.h"

namespace ampliro {

PitchShifterLine::PitchShifterLine() : input_(kMaxBlock), output_(kMaxBlock) {
    name = "Pitch Shifter";
    imageIndex = 3;
}

int PitchShifterLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    appliedSemitones_ = semitones;
    shifter.setSampleRate(static_cast<unsigned>(rate));
    shifter.setChannels(1);
    shifter.setTempoChange(0);
    shifter.setPitchSemiTones(appliedSemitones_);
    shifter.setRateChange(0);
    shifter.setSetting(SETTING_USE_QUICKSEEK, 1);
    shifter.setSetting(SETTING_USE_AA_FILTER, 0);
    shifter.clear();
    BuildPanel();
    return 1;
}

void PitchShifterLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddFootSwitch();
    AddPeakLamp(20, 30);
    AddKnob(knobs[0], 2, 111, 113, kStrip125, 0, 24, semitones + 12);
    AddKnob(knobs[1], 3, 186, 113, kStrip125, 0, 64, mix);
}

void PitchShifterLine::SetSemitones(int32_t value) {
    semitones = ClampInt(value, -12, 12);
}

void PitchShifterLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    for (int32_t done = 0; done < count; done += kMaxBlock) {
        ProcessStep(samples + done, std::min(kMaxBlock, count - done));
    }
}

// SoundTouch works on floats in -1..1 here: 16-bit samples are scaled by
// 1/32768 on the way in and by 32768, saturated, on the way out.
void PitchShifterLine::ProcessStep(int16_t* samples, int32_t count) {
    const int32_t lvl = level;
    if (lvl < 64) {
        for (int32_t i = 0; i < count; ++i)
            samples[i] = static_cast<int16_t>((samples[i] * lvl) >> 6);
    }
    const int32_t wanted = semitones;
    if (wanted != appliedSemitones_) {
        shifter.setPitchSemiTones(wanted);
        appliedSemitones_ = wanted;
    }
    for (int32_t i = 0; i < count; ++i) input_[i] = samples[i] * (1.0f / 32768.0f);
    shifter.putSamples(input_.data(), static_cast<unsigned>(count));
    if (shifter.numSamples() < static_cast<unsigned>(count)) return;
    const int32_t n =
        static_cast<int32_t>(shifter.receiveSamples(output_.data(), static_cast<unsigned>(count)));
    const int32_t wetShare = mix;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t wet = Saturate16(std::lrint(output_[i] * 32768.0f));
        samples[i] = static_cast<int16_t>((wet * wetShare + samples[i] * (64 - wetShare)) >> 6);
    }
}

int PitchShifterLine::Load(std::FILE* file) {
    int32_t lvl = level, wet = mix, on = enabled, shift = semitones;
    ReadInt32(file, lvl);
    ReadInt32(file, wet);
    ReadInt32(file, on);
    // The fourth word repeats the level; when present it is the one that counts.
    ReadInt32(file, lvl);
    ReadInt32(file, shift);
    level = ClampInt(lvl, 0, 64);
    mix = ClampInt(wet, 0, 64);
    enabled = on != 0;
    SetSemitones(shift);
    return 1;
}

int PitchShifterLine::Save(std::FILE* file) {
    const int32_t fields[5] = {level, mix, enabled, level, semitones};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void PitchShifterLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetSemitones(value - 12);
            break;
        case 3:
            mix = value;
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
