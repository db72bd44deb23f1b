#include "effects/units/convolver/partitioned_convolver.h"

#include <algorithm>
#include <new>

namespace ampliro::dsp {

PartitionedConvolver::PartitionedConvolver() = default;
PartitionedConvolver::~PartitionedConvolver() = default;

bool PartitionedConvolver::Init(std::span<const float> impulse) {
    stages_.clear();
    ring_.clear();
    output_ = {};
    length_ = headLength_ = 0;
    std::fill_n(head_, kHead, 0.0f);
    const auto length = static_cast<int32_t>(impulse.size());
    try {
        int32_t start = kHead;
        int32_t largest = kHead;
        for (size_t s = 0; s < std::size(kStageSizes) && start < length; ++s) {
            const bool lastStage = s + 1 == std::size(kStageSizes);
            const int32_t end = lastStage ? length : std::min(length, 2 * kStageSizes[s + 1]);
            auto stage = std::make_unique<ConvolutionStage>();
            if (!stage->Init(impulse.data() + start, end - start, start, kStageSizes[s], kHead))
                throw std::bad_alloc();
            stages_.push_back(std::move(stage));
            largest = kStageSizes[s];
            start = end;
        }
        // A stage adds its P outputs at most kHead samples ahead of the
        // present: twice the largest partition is room enough.
        int32_t ringLength = 1;
        while (ringLength < 2 * (largest + kHead)) ringLength *= 2;
        ring_.assign(static_cast<size_t>(ringLength), 0.0f);
        output_ = {ring_.data(), ringLength - 1};
    } catch (const std::bad_alloc&) {
        stages_.clear();
        ring_.clear();
        output_ = {};
        return false;
    }
    headLength_ = std::min(length, kHead);
    std::copy_n(impulse.data(), headLength_, head_);
    length_ = length;
    Reset();
    return true;
}

void PartitionedConvolver::Reset() {
    std::fill_n(history_, std::size(history_), 0.0f);
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    for (auto& stage : stages_) stage->Reset();
    now_ = 0;
}

void PartitionedConvolver::Process(const float* in, float* out, int32_t frames) {
    // Chunks end at the multiples of kHead in the stream, whatever the
    // block size: that is when the stages run.
    while (frames > 0) {
        const auto count =
            static_cast<int32_t>(std::min<int64_t>(frames, kHead - (now_ & (kHead - 1))));
        ProcessChunk(in, out, count);
        in += count;
        out += count;
        frames -= count;
    }
}

// y[n] = sum_{t < 64} h[t] x[n - t] directly, plus what the stages put in
// the ring for time n earlier on: their part of the response starts at
// least 64 samples in, so it only needs inputs from before this chunk.
// Then the chunk joins the stages' inputs, and at a multiple of kHead each
// stage does its share of work.
void PartitionedConvolver::ProcessChunk(const float* in, float* out, int32_t count) {
    if (length_ == 0) {
        std::fill_n(out, count, 0.0f);
        return;
    }
    constexpr int32_t past = kHead - 1;
    std::copy_n(in, count, history_ + past);
    float y[kHead];
    for (int32_t i = 0; i < count; ++i) {
        float& slot = ring_[static_cast<size_t>((now_ + i) & output_.mask)];
        y[i] = slot;
        slot = 0.0f;
    }
    // Loop order t outside, i inside: every step is an independent
    // multiply-add across the chunk, which vectorises without reordering sums.
    for (int32_t t = 0; t < headLength_; ++t) {
        const float h = head_[t];
        const float* x = history_ + past - t;
        for (int32_t i = 0; i < count; ++i) y[i] += h * x[i];
    }
    for (auto& stage : stages_) stage->Push(history_ + past, count);
    std::copy_n(y, count, out);
    std::copy(history_ + count, history_ + count + past, history_);
    now_ += count;
    if ((now_ & (kHead - 1)) == 0)
        for (auto& stage : stages_) stage->Run(now_, output_);
}

}  // namespace ampliro::dsp
