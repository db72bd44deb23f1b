#include "effects/units/chorus/chorus.h"

#include <algorithm>
#include <new>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {
namespace {

// v -> p in place, with frac[i] beside it: m = v depth in Q15 (|m| <= 32767
// x 64), its floor mi and fraction, and the tap p = w - depth + mi - 6 for the
// write position w = start + i, both wrapped into the line. The sweep stays
// within 6 to 2 depth + 6 samples back, far less than the line, so one wrap
// each is enough; count is at most one LFO chunk, shorter than the line too.
void Taps(int32_t* __restrict taps, int32_t* __restrict fracs, int32_t count, int32_t depth,
          int32_t start, int32_t length) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t m = taps[i] * depth;
        const int32_t mi = m >> 15;
        fracs[i] = m & 0x7FFF;
        int32_t w = start + i;
        w = w >= length ? w - length : w;
        const int32_t p = w - depth + mi - 6;
        taps[i] = p < 0 ? p + length : p;
    }
}

}  // namespace

bool Chorus::Init(int32_t sampleRate) {
    line_.reset();
    lfo_.Create(sampleRate, 256, false);
    writePos_ = 0;
    clearPending_ = 0;
    line_.reset(new (std::nothrow) int32_t[kLineLength]);
    if (!line_) return false;
    std::fill_n(line_.get(), kLineLength, 0);
    return true;
}

void Chorus::ApplyPendingClear() {
    if (clearPending_ && line_) {
        std::fill_n(line_.get(), kLineLength, 0);
        clearPending_ = 0;
    }
}

// wet[i] = (x + delayed) >> 1 for x = dry[i], truncated to int; the line
// takes x plus feedback x that average. The taps come first for the chunk:
// they depend on the LFO only.
void Chorus::Run(const int32_t* dry, int32_t* wet, int32_t count, int32_t depth, int64_t feedback) {
    int32_t* line = line_.get();
    if (line == nullptr) {
        for (int32_t i = 0; i < count; ++i) wet[i] = 0;
        return;
    }
    // The line's length is a power of two, so stepping on wraps by a mask.
    static_assert((kLineLength & (kLineLength - 1)) == 0);
    constexpr int32_t kWrap = kLineLength - 1;
    int32_t taps[WavetableLfo::kChunk], fracs[WavetableLfo::kChunk];
    lfo_.Fill(taps, count);
    Taps(taps, fracs, count, depth, writePos_, kLineLength);
    int32_t w = writePos_;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = dry[i];
        const int32_t p = taps[i];
        const int32_t q = (p + 1) & kWrap;
        const int64_t frac = fracs[i];
        const int64_t delayed = (line[p] * (32768 - frac) + line[q] * frac) >> 15;
        const int64_t y = (x + delayed) >> 1;
        line[w] = static_cast<int32_t>(x + ((feedback * y) >> 6));
        w = (w + 1) & kWrap;
        wet[i] = static_cast<int32_t>(y);
    }
    writePos_ = w;
}

int32_t Chorus::Step(int32_t x) {
    int32_t wet = 0;
    Run(&x, &wet, 1, depth_, feedback_);
    return wet;
}

ClipReport Chorus::Process(int16_t* block, size_t count) {
    const int32_t level = level_, mix = mix_, depth = depth_;
    const int64_t feedback = feedback_;
    const int32_t total = static_cast<int32_t>(count);
    ClipReport report{-1, total};
    int32_t dry[WavetableLfo::kChunk], wet[WavetableLfo::kChunk];
    int16_t clipped[WavetableLfo::kChunk];
    for (int32_t done = 0; done < total; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(total - done, WavetableLfo::kChunk);
        ScaleLevel(block + done, dry, n, level);
        Run(dry, wet, n, depth, feedback);
        const int32_t last = SaturateBlock(wet, clipped, n);
        if (last >= 0) report.lastClip = done + last;
        MixWetDry(block + done, clipped, dry, n, mix);
    }
    return report;
}

}  // namespace ampliro::dsp
