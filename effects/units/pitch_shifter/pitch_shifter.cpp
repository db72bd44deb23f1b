#include "effects/units/pitch_shifter/pitch_shifter.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "effects/units/dsp/level_mix.h"

namespace ampliro::dsp {
namespace {

// s = s * level >> 6 in place (unchanged at 64), and s / 32768 for SoundTouch.
void LevelToFloat(int16_t* samples, float* out, int32_t count, int32_t level) {
    for (int32_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(Level(samples[i], level));
        out[i] = samples[i] * (1.0f / 32768.0f);
    }
}

// wet = saturate16(round(y x 32768)), rounding to nearest, ties to even;
// then out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits.
// Clamping before rounding gives the same samples as saturating after it
// (every value beyond 32767 rounds to 32767 or more), and keeps the
// conversion in range; a NaN, which SoundTouch never makes from finite
// input, is taken as silence. With |wet|, |dry| <= 32768 and mix in 0..64
// the sum stays within 2^22.
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

void PitchShifter::Init(int32_t sampleRate, int32_t semitones) {
    Hold();
    appliedSemitones_ = semitones;
    shifter_.setSampleRate(static_cast<unsigned>(sampleRate));
    shifter_.setChannels(1);
    shifter_.setTempoChange(0);
    shifter_.setPitchSemiTones(appliedSemitones_);
    shifter_.setRateChange(0);
    shifter_.setSetting(SETTING_USE_QUICKSEEK, 1);
    shifter_.setSetting(SETTING_USE_AA_FILTER, 0);
    Prime(sampleRate);
    shifter_.clear();
    configured_ = true;
    Release();
}

// SoundTouch grows its buffers as they fill, and the audio thread must not
// allocate. Two seconds of silence at the lowest and at the highest shift, in
// the longest steps, grow them here to what any shift and block will need;
// clear() then empties them and keeps the memory.
void PitchShifter::Prime(int32_t sampleRate) {
    std::fill(input_.begin(), input_.end(), 0.0f);
    for (int32_t shift : {-12, 12}) {
        shifter_.setPitchSemiTones(shift);
        for (int32_t done = 0; done < 2 * sampleRate; done += kMaxBlock) {
            shifter_.putSamples(input_.data(), kMaxBlock);
            shifter_.receiveSamples(output_.data(), kMaxBlock);
        }
    }
    shifter_.setPitchSemiTones(appliedSemitones_);
}

void PitchShifter::Hold() {
    while (busy_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
}

void PitchShifter::Release() {
    busy_.store(false, std::memory_order_release);
}

void PitchShifter::SetSemitones(int32_t semitones) {
    Hold();
    // Before the first Init SoundTouch is not set up; Init applies the shift.
    if (configured_ && semitones != appliedSemitones_) {
        shifter_.setPitchSemiTones(semitones);
        appliedSemitones_ = semitones;
    }
    Release();
}

void PitchShifter::Process(int16_t* samples, size_t total) {
    const int32_t count = static_cast<int32_t>(total);
    if (busy_.exchange(true, std::memory_order_acquire)) {
        // The main thread is changing the pitch: this block passes dry.
        const int32_t level = level_;
        if (level < 64) {
            for (int32_t i = 0; i < count; ++i) {
                samples[i] = static_cast<int16_t>(Level(samples[i], level));
            }
        }
        return;
    }
    for (int32_t done = 0; done < count; done += kMaxBlock) {
        ProcessStep(samples + done, std::min(kMaxBlock, count - done));
    }
    Release();
}

// SoundTouch works on floats in -1..1 here: 16-bit samples are scaled by
// 1/32768 on the way in and by 32768, saturated, on the way out.
void PitchShifter::ProcessStep(int16_t* samples, int32_t count) {
    LevelToFloat(samples, input_.data(), count, level_);
    shifter_.putSamples(input_.data(), static_cast<unsigned>(count));
    if (shifter_.numSamples() < static_cast<unsigned>(count)) return;
    const int32_t n =
        static_cast<int32_t>(shifter_.receiveSamples(output_.data(), static_cast<unsigned>(count)));
    MixWet(samples, output_.data(), n, mix_);
}

}  // namespace ampliro::dsp
