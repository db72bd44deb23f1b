// The 16-bit chain meets the float units here: a sample s becomes s / 32768
// (full scale is 1.0) and comes back as y x 32768 rounded and saturated, with
// the clips reported for the Peak lamp.
#pragma once

#include <cmath>
#include <cstdint>

#include "effects/units/dsp/peak_hold.h"

namespace ampliro {

// The pedals hand their float units blocks of at most this many frames: the
// chain's blocks are cut into pieces on the stack.
inline constexpr int32_t kFloatChunk = 256;

inline void ToFloat(const int16_t* in, float* out, int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = static_cast<float>(in[i]) * (1.0f / 32768.0f);
}

// `report` counts these calls after the ones before (offset: the frames of
// the block already converted).
inline void FromFloat(const float* in, int16_t* out, int32_t count, int32_t offset,
                      dsp::ClipReport& report) {
    for (int32_t i = 0; i < count; ++i) {
        float y = in[i] * 32768.0f;
        // NaN compares false both ways and lands on 0 below, not on a clip.
        if (y > 32767.0f) {
            y = 32767.0f;
            report.lastClip = offset + i;
        } else if (y < -32768.0f) {
            y = -32768.0f;
            report.lastClip = offset + i;
        } else if (!(y == y)) {
            y = 0.0f;
        }
        out[i] = static_cast<int16_t>(std::lrint(y));
    }
    report.calls = offset + count;
}

// Runs a float unit over a 16-bit block in pieces of at most kFloatChunk
// frames: process(in, out, n, done) turns the n frames that start at frame
// `done` of the block, in `in`, into `out`. Returns the block's clips.
template <typename Process>
dsp::ClipReport ProcessInFloatChunks(int16_t* samples, int32_t count, Process&& process) {
    float in[kFloatChunk], out[kFloatChunk];
    dsp::ClipReport report;
    for (int32_t done = 0; done < count; done += kFloatChunk) {
        const int32_t n = count - done < kFloatChunk ? count - done : kFloatChunk;
        ToFloat(samples + done, in, n);
        process(in, out, n, done);
        FromFloat(out, samples + done, n, done, report);
    }
    return report;
}

}  // namespace ampliro
