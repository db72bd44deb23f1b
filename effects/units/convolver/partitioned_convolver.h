// A zero-latency convolver for cabinet impulse responses: the first samples
// of the response in direct form, the rest in FFT partitions that grow with
// their distance from the start, so an impulse in comes out at sample 0 at
// any block size and a one-second response costs little more than a short one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "effects/units/convolver/convolution_stage.h"

namespace ampliro::dsp {

class PartitionedConvolver {
  public:
    // The direct-form head, and the chunk in which the stream is worked:
    // every stage runs at the multiples of this many samples.
    static constexpr int32_t kHead = 64;
    // The stages: partition size P, starting 2P into the response (the first
    // one right after the head). Each period's work of a stage is spread
    // over the P / kHead chunks that follow it; the last stage takes the
    // rest of the response whatever its length.
    static constexpr int32_t kStageSizes[] = {64, 256, 1024, 4096};

    PartitionedConvolver();
    // Off the audio thread: frees the FFT buffers and plans.
    ~PartitionedConvolver();
    PartitionedConvolver(const PartitionedConvolver&) = delete;
    PartitionedConvolver& operator=(const PartitionedConvolver&) = delete;

    // Off the audio thread: takes the impulse response (any length; empty
    // gives silence), allocates and plans everything. False, leaving a
    // convolver that outputs silence, when the memory cannot be had.
    bool Init(std::span<const float> impulse);
    // Silences the state as if no input had been heard; no allocation.
    void Reset();
    // Any number of frames; `in` may be `out`. Never allocates or locks.
    void Process(const float* in, float* out, int32_t frames);

  private:
    void ProcessChunk(const float* in, float* out, int32_t count);

    int32_t length_ = 0;
    int32_t headLength_ = 0;
    float head_[kHead] = {};
    // The last kHead - 1 inputs, then the chunk being worked.
    float history_[2 * kHead - 1] = {};
    std::vector<std::unique_ptr<ConvolutionStage>> stages_;
    std::vector<float> ring_;
    OutputRing output_;
    int64_t now_ = 0;
};

}  // namespace ampliro::dsp
