#include "effects/units/graphic_eq/graphic_eq.h"

#include <algorithm>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {

bool GraphicEq::Init(int32_t sampleRate) {
    if (!bank_.Setup(sampleRate)) return false;
    for (int i = 0; i < kGraphicBands; ++i) bank_.SetBand(i, gains_[i]);
    return true;
}

void GraphicEq::SetBand(int band, int32_t dB) {
    gains_[band] = ClampInt(dB, -10, 10);
    bank_.SetBand(band, gains_[band]);
}

ClipReport GraphicEq::Process(int16_t* samples, size_t total) {
    const int32_t count = static_cast<int32_t>(total);
    const int32_t level = level_;  // 0..64: s * level fits in 22 bits
    ClipReport report{-1, count};
    // The bank runs band by band over chunks of the block; its outputs pass
    // 16 bits before the clip, hence the 32-bit scratch on the stack.
    constexpr int32_t kChunk = 512;
    int32_t scratch[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        ScaleLevel(block, scratch, n, level);
        bank_.ProcessBlock(scratch, n);
        const int32_t last = SaturateBlock(scratch, block, n);
        if (last >= 0) report.lastClip = start + last;
    }
    return report;
}

}  // namespace ampliro::dsp
