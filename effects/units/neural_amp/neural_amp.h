// The amp unit: a neural amp model between an input gain and an output
// level, both in dB, with loudness normalisation and, when the session runs
// at another rate than the model, resampling around it.
//
// Normalisation: a model file's metadata may give `loudness`, the level in
// dB of the model's output on the trainer's standard test signal. The unit
// then scales the output by 10^((kTargetLoudnessDb - loudness) / 20), so
// every such model plays that signal at -18 dB and switching models moves
// the level only by what the loudness figure misses (well under 1 dB).
// Files without the figure play at their own level.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "effects/units/neural_amp/model_file.h"
#include "effects/units/neural_amp/model_resampler.h"

namespace ampliro::dsp {

class NeuralAmp {
  public:
    static constexpr double kTargetLoudnessDb = -18.0;

    // Takes a model the file reader made (file.model non-null) and readies it
    // for blocks of up to maxBlockFrames at sessionRate. Allocates and
    // prewarms: off the audio thread, and once per unit (a new model means a
    // new unit, swapped in whole). False, with the unit unchanged, when the
    // file was refused; false when resampling cannot be set up.
    bool Init(NeuralModelFile file, double sessionRate, int maxBlockFrames);

    // From any thread; the audio thread glides to a new value over one block.
    void SetInputGainDb(float db) { inputGain_.store(DbToGain(db), std::memory_order_relaxed); }
    void SetOutputLevelDb(float db) { outputGain_.store(DbToGain(db), std::memory_order_relaxed); }
    void SetLoudnessNormalised(bool on) { normalised_.store(on, std::memory_order_relaxed); }

    // Any number of frames; in and out may be the same buffer. No
    // allocation, no lock.
    void Process(const float* in, float* out, int frames);

    double ModelSampleRate() const { return info_.sampleRate; }
    // Session frames the resampling adds; the model itself adds none.
    int LatencyFrames() const { return resampler_ ? resampler_->LatencyFrames() : 0; }

  private:
    static float DbToGain(float db);
    void RunBlock(const float* in, float* out, int frames);

    std::unique_ptr<NeuralModel> model_;
    std::unique_ptr<ModelResampler> resampler_;
    NeuralModelInfo info_;
    std::vector<float> scratch_;
    int maxBlock_ = 0;
    float normalisationGain_ = 1.0f;
    std::atomic<float> inputGain_{1.0f};
    std::atomic<float> outputGain_{1.0f};
    std::atomic<bool> normalised_{true};
    float appliedInput_ = 1.0f;  // the gains the last block ended on
    float appliedOutput_ = 1.0f;
};

}  // namespace ampliro::dsp
