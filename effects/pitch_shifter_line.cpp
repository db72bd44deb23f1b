#include "effects/pitch_shifter_line.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "effects/dsp/vector_clones.h"
#include "effects/record_io.h"

namespace ampliro {

namespace {

// s = s * level >> 6 in place (unchanged at 64), and s / 32768 for SoundTouch.
AMPLIRO_VECTOR_CLONES
void LevelToFloat(int16_t* samples, float* out, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>((samples[i] * level) >> 6);
        out[i] = samples[i] * (1.0f / 32768.0f);
    }
}

void LevelInPlace(int16_t* samples, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>((samples[i] * level) >> 6);
}

// wet = saturate16(round(y x 32768)), rounding to nearest, ties to even;
// then out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits.
// Clamping before rounding gives the same samples as saturating after it
// (every value beyond 32767 rounds to 32767 or more), and keeps the
// conversion in range; a NaN, which SoundTouch never makes from finite
// input, is taken as silence. With |wet|, |dry| <= 32768 and mix in 0..64
// the sum stays within 2^22.
AMPLIRO_VECTOR_CLONES
void MixWet(int16_t* samples, const float* wetOut, int32_t count, int32_t wetShare) {
    for (int32_t i = 0; i < count; ++i) {
        float y = wetOut[i] * 32768.0f;
        y = y == y ? y : 0.0f;
        y = y > 32767.0f ? 32767.0f : (y < -32768.0f ? -32768.0f : y);
        const int32_t wet = static_cast<int32_t>(std::nearbyint(y));
        samples[i] = static_cast<int16_t>((wet * wetShare + samples[i] * (64 - wetShare)) >> 6);
    }
}

}  // namespace

PitchShifterLine::PitchShifterLine() : input_(kMaxBlock), output_(kMaxBlock) {
    name = "Pitch Shifter";
    imageIndex = 3;
}

int PitchShifterLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    HoldShifter();
    appliedSemitones_ = semitones;
    shifter.setSampleRate(static_cast<unsigned>(rate));
    shifter.setChannels(1);
    shifter.setTempoChange(0);
    shifter.setPitchSemiTones(appliedSemitones_);
    shifter.setRateChange(0);
    shifter.setSetting(SETTING_USE_QUICKSEEK, 1);
    shifter.setSetting(SETTING_USE_AA_FILTER, 0);
    PrimeShifter(rate);
    shifter.clear();
    configured_ = true;
    ReleaseShifter();
    BuildPanel();
    return 1;
}

// SoundTouch grows its buffers as they fill, and the audio thread must not
// allocate. Two seconds of silence at the lowest and at the highest shift, in
// the longest steps, grow them here to what any shift and block will need;
// clear() then empties them and keeps the memory.
void PitchShifterLine::PrimeShifter(int32_t rate) {
    std::fill(input_.begin(), input_.end(), 0.0f);
    for (int32_t shift : {-12, 12}) {
        shifter.setPitchSemiTones(shift);
        for (int32_t done = 0; done < 2 * rate; done += kMaxBlock) {
            shifter.putSamples(input_.data(), kMaxBlock);
            shifter.receiveSamples(output_.data(), kMaxBlock);
        }
    }
    shifter.setPitchSemiTones(appliedSemitones_);
}

void PitchShifterLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddFootSwitch();
    AddPeakLamp(20, 30);
    AddKnob(knobs[0], 2, 111, 113, kStrip125, 0, 24, semitones + 12);
    AddKnob(knobs[1], 3, 186, 113, kStrip125, 0, 64, mix);
}

void PitchShifterLine::HoldShifter() {
    while (shifterBusy_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
}

void PitchShifterLine::ReleaseShifter() {
    shifterBusy_.store(false, std::memory_order_release);
}

void PitchShifterLine::SetSemitones(int32_t value) {
    const int32_t shift = ClampInt(value, -12, 12);
    semitones = shift;
    HoldShifter();
    // Before the first Init SoundTouch is not set up; Init applies the shift.
    if (configured_ && shift != appliedSemitones_) {
        shifter.setPitchSemiTones(shift);
        appliedSemitones_ = shift;
    }
    ReleaseShifter();
}

void PitchShifterLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    if (shifterBusy_.exchange(true, std::memory_order_acquire)) {
        // The main thread is changing the pitch: this block passes dry.
        if (level < 64) LevelInPlace(samples, count, level);
        return;
    }
    for (int32_t done = 0; done < count; done += kMaxBlock) {
        ProcessStep(samples + done, std::min(kMaxBlock, count - done));
    }
    ReleaseShifter();
}

// SoundTouch works on floats in -1..1 here: 16-bit samples are scaled by
// 1/32768 on the way in and by 32768, saturated, on the way out.
void PitchShifterLine::ProcessStep(int16_t* samples, int32_t count) {
    LevelToFloat(samples, input_.data(), count, level);
    shifter.putSamples(input_.data(), static_cast<unsigned>(count));
    if (shifter.numSamples() < static_cast<unsigned>(count)) return;
    const int32_t n =
        static_cast<int32_t>(shifter.receiveSamples(output_.data(), static_cast<unsigned>(count)));
    MixWet(samples, output_.data(), n, mix);
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
