// DriftJudge: tells when two clocks have drifted a block apart. A playback
// queue fed by one device's clock and drained by another's holds, on
// average, as much as it held at the start while the two run at one rate;
// its mean level in each two-second window is compared with the first
// window's. When it has grown by three quarters of a block, one block is to
// be dropped; when it has shrunk by as much, one is to be played again. So
// the latency stays within a block of where it began, however long the
// audio runs.
#pragma once

#include <cstdint>

namespace ampliro {

class DriftJudge {
  public:
    // The block in samples and the window in samples (two seconds).
    void Start(uint32_t blockSamples, uint32_t windowSamples) {
        block_ = blockSamples;
        window_ = windowSamples;
        reference_ = kNoReference;
        Restart();
    }
    // Forgets the window in progress (the queue was refilled after an
    // under-run); the reference stays.
    void Restart() {
        sum_ = 0;
        count_ = 0;
        run_ = 0;
    }
    // The level is meant to stand higher from now on by this many samples
    // (a longer cushion): the reference moves with it.
    void Raise(uint32_t samples) {
        if (reference_ != kNoReference) reference_ += samples;
    }
    // One reading of the level, after `samples` more have played. At the end
    // of a window: +1 when a block is to be dropped, -1 when one is to be
    // repeated; 0 otherwise.
    int32_t Add(uint32_t level, uint32_t samples) {
        sum_ += level;
        ++count_;
        run_ += samples;
        if (run_ < window_) return 0;
        const auto mean = static_cast<uint32_t>(sum_ / count_);
        Restart();
        const uint32_t margin = block_ * 3 / 4;
        if (reference_ == kNoReference) {
            reference_ = mean;
        } else if (mean >= reference_ + margin) {
            return 1;
        } else if (mean + margin <= reference_) {
            return -1;
        }
        return 0;
    }

  private:
    static constexpr uint32_t kNoReference = UINT32_MAX;
    uint32_t block_ = 0;
    uint32_t window_ = 0;
    uint32_t reference_ = kNoReference;
    uint64_t sum_ = 0;
    uint32_t count_ = 0;
    uint32_t run_ = 0;
};

}  // namespace ampliro
