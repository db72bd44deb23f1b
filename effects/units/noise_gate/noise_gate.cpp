#include "effects/units/noise_gate/noise_gate.h"

#include <algorithm>
#include <cmath>

namespace ampliro::dsp {
namespace {

// g(p) = p^2 (3 - 2p): 0 and 1 at the ends with zero slope there, rising
// all the way, steepest (1.5) in the middle. The gain leaves and reaches
// its ends gently, and one sample moves it by at most 1.5 x the phase step.
float SmoothStep(float p) {
    return p * p * (3.0f - 2.0f * p);
}

float Level(float db) {
    return std::pow(10.0f, db / 20.0f);
}

}  // namespace

void NoiseGate::Init(int32_t sampleRate) {
    sampleRate_ = static_cast<float>(sampleRate);
    thresholdDb_ = -60.0f;
    hysteresisDb_ = 6.0f;
    attackMs_ = 0.5f;
    holdMs_ = 50.0f;
    releaseMs_ = 100.0f;
    phase_ = 0.0f;
    open_ = false;
    holdLeft_ = 0;
}

void NoiseGate::Store(std::atomic<float>& knob, float value, float low, float high) {
    knob.store(std::clamp(value, low, high), std::memory_order_relaxed);
}

NoiseGate::Settings NoiseGate::Read() const {
    const float threshold = thresholdDb_.load(std::memory_order_relaxed);
    const float perMs = sampleRate_ / 1000.0f;
    Settings s;
    s.open = Level(threshold);
    s.close = Level(threshold - hysteresisDb_.load(std::memory_order_relaxed));
    s.attackStep = 1.0f / std::max(1.0f, attackMs_.load(std::memory_order_relaxed) * perMs);
    s.releaseStep = 1.0f / std::max(1.0f, releaseMs_.load(std::memory_order_relaxed) * perMs);
    s.holdSamples =
        static_cast<int32_t>(std::lround(holdMs_.load(std::memory_order_relaxed) * perMs));
    return s;
}

// Open on the sample that reaches the open threshold: the first peak of a
// pick stroke is never waited for. While open, every sample at or above the
// close threshold restarts the hold; once the hold runs out the gate closes
// and only the open threshold opens it again. So the gain starts falling
// hold + 1 samples after the last sample above the close threshold and is
// 0 a release time later.
float NoiseGate::Advance(float magnitude, const Settings& s) {
    if (magnitude >= s.open || (open_ && magnitude >= s.close)) {
        open_ = true;
        holdLeft_ = s.holdSamples;
    } else if (holdLeft_ > 0) {
        --holdLeft_;
    } else {
        open_ = false;
    }
    phase_ = open_ ? std::min(1.0f, phase_ + s.attackStep) : std::max(0.0f, phase_ - s.releaseStep);
    return SmoothStep(phase_);
}

void NoiseGate::Process(float* block, size_t count) {
    const Settings s = Read();
    for (size_t i = 0; i < count; ++i) block[i] *= Advance(std::fabs(block[i]), s);
}

// The same on 16-bit samples, 32768 being full scale; the gain is at most 1,
// so the rounded product always fits.
void NoiseGate::Process(int16_t* block, size_t count) {
    const Settings s = Read();
    constexpr float kScale = 1.0f / 32768.0f;
    for (size_t i = 0; i < count; ++i) {
        const float x = block[i];
        block[i] = static_cast<int16_t>(std::lrint(x * Advance(std::fabs(x) * kScale, s)));
    }
}

float NoiseGate::gain() const {
    return SmoothStep(phase_);
}

}  // namespace ampliro::dsp
