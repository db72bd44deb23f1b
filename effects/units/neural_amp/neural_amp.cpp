#include "effects/units/neural_amp/neural_amp.h"

#include <algorithm>
#include <cmath>

namespace ampliro::dsp {
namespace {

// g advances from `from` to `to` in equal steps over the run, ending on `to`.
void Glide(const float* in, float* out, int frames, float from, float to) {
    const float step = (to - from) / float(frames);
    for (int i = 0; i < frames; ++i) out[i] = in[i] * (from + step * float(i + 1));
}

}  // namespace

float NeuralAmp::DbToGain(float db) {
    return std::pow(10.0f, db / 20.0f);
}

bool NeuralAmp::Init(NeuralModelFile file, double sessionRate, int maxBlockFrames) {
    if (!file.model) return false;
    model_ = std::move(file.model);
    info_ = std::move(file.info);
    maxBlock_ = std::clamp(maxBlockFrames, 1, NeuralModel::kLargestBlock);
    scratch_.assign(size_t(maxBlock_), 0.0f);
    normalisationGain_ =
        info_.loudness ? float(std::pow(10.0, (kTargetLoudnessDb - *info_.loudness) / 20.0)) : 1.0f;
    appliedInput_ = inputGain_.load(std::memory_order_relaxed);
    appliedOutput_ = outputGain_.load(std::memory_order_relaxed) *
                     (normalised_.load(std::memory_order_relaxed) ? normalisationGain_ : 1.0f);
    resampler_.reset();
    if (std::abs(sessionRate - info_.sampleRate) < 1e-6) {
        model_->Prepare(maxBlock_);
        return true;
    }
    resampler_ = std::make_unique<ModelResampler>();
    return resampler_->Init(model_.get(), info_.sampleRate, sessionRate, maxBlock_);
}

void NeuralAmp::Process(const float* in, float* out, int frames) {
    if (!model_) {
        std::copy_n(in, std::max(frames, 0), out);
        return;
    }
    while (frames > 0) {
        const int n = std::min(frames, maxBlock_);
        RunBlock(in, out, n);
        in += n;
        out += n;
        frames -= n;
    }
}

void NeuralAmp::RunBlock(const float* in, float* out, int frames) {
    const float input = inputGain_.load(std::memory_order_relaxed);
    const float output = outputGain_.load(std::memory_order_relaxed) *
                         (normalised_.load(std::memory_order_relaxed) ? normalisationGain_ : 1.0f);
    Glide(in, scratch_.data(), frames, appliedInput_, input);
    if (resampler_)
        resampler_->Process(scratch_.data(), out, frames);
    else
        model_->Process(scratch_.data(), out, frames);
    Glide(out, out, frames, appliedOutput_, output);
    appliedInput_ = input;
    appliedOutput_ = output;
}

}  // namespace ampliro::dsp
