// SeamFade: hides the seam where a dropped or repeated block joins the audio
// around it. Over F = 32 samples the output moves in a straight line from
// what would have played to what plays: sample i is
// (old_i (F - i) + new_i i) / F.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ampliro {

class SeamFade {
  public:
    static constexpr uint32_t kSamples = 32;

    // The samples that would have played next; fewer than F fade from
    // silence for the rest.
    void Begin(const int16_t* from, uint32_t available) {
        left_ = kSamples;
        const uint32_t n = std::min(kSamples, available);
        std::memcpy(from_, from, n * sizeof(int16_t));
        std::fill(from_ + n, from_ + kSamples, int16_t{0});
    }
    void Cancel() { left_ = 0; }
    // Fades the next n output samples in place.
    void Apply(int16_t* samples, uint32_t n) {
        for (uint32_t i = 0; i < n && left_ > 0; ++i, --left_) {
            const auto step = static_cast<int32_t>(kSamples - left_);
            const int32_t old = from_[step];
            samples[i] = static_cast<int16_t>(
                (old * (static_cast<int32_t>(kSamples) - step) + samples[i] * step) /
                static_cast<int32_t>(kSamples));
        }
    }

  private:
    int16_t from_[kSamples] = {};
    uint32_t left_ = 0;
};

}  // namespace ampliro
