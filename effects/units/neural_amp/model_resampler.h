// Plays a model at its own rate inside a session at another: the block is
// resampled to the model's rate, run through the model and resampled back,
// with a short FIFO so that every block gives exactly as many frames as it
// took. The FIFO's start-up fill is the latency this adds.
#pragma once

#include <vector>

#include "effects/units/neural_amp/neural_model.h"

typedef struct SRC_STATE_tag SRC_STATE;

namespace ampliro::dsp {

class ModelResampler {
  public:
    ModelResampler() = default;
    ModelResampler(const ModelResampler&) = delete;
    ModelResampler& operator=(const ModelResampler&) = delete;
    ~ModelResampler();

    // Sets up both converters for session blocks of up to maxBlockFrames and
    // prepares the model for the blocks it will then see. Allocates and
    // measures: off the audio thread. False when the converters cannot be made.
    bool Init(NeuralModel* model, double modelRate, double sessionRate, int maxBlockFrames);
    // frames <= maxBlockFrames. No allocation, no lock.
    void Process(const float* in, float* out, int frames);
    // Session frames by which the output trails the input.
    int LatencyFrames() const { return latency_; }
    // Back to the state right after Init (the model too). Off the audio thread.
    void Reset();

  private:
    void Convert(SRC_STATE* state, double ratio, const float* in, long frames, float* out,
                 long capacity, bool throughModel);
    void Push(const float* in, long frames);

    NeuralModel* model_ = nullptr;
    SRC_STATE* up_ = nullptr;
    SRC_STATE* down_ = nullptr;
    double upRatio_ = 1.0;
    std::vector<float> modelIn_, modelOut_, back_;
    std::vector<float> fifo_;
    size_t fifoRead_ = 0;
    size_t fifoCount_ = 0;
    int latency_ = 0;
};

}  // namespace ampliro::dsp
