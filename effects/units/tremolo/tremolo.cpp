#include "effects/units/tremolo/tremolo.h"

#include <algorithm>

#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {
namespace {

// out[i] = (wet x depth + dry x (64 - depth)) >> 6 with dry = s[i] x level
// >> 6 and wet = v[i] x dry >> 15. In 32 bits: level 0..64 keeps |dry| <=
// 32768, the LFO keeps |v| <= 32767, so |v x dry| < 2^30, |wet| <= 32767 and,
// with depth 0..64, the mix stays within 2^22.
void Modulated(const int16_t* samples, const int32_t* lfoValues, int32_t* out, int32_t count,
               int32_t level, int32_t depth) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t dry = (samples[i] * level) >> 6;
        const int32_t wet = (lfoValues[i] * dry) >> 15;
        out[i] = (wet * depth + dry * (64 - depth)) >> 6;
    }
}

}  // namespace

bool Tremolo::Init(int32_t sampleRate) {
    return lfo_.Create(sampleRate, 256, true);
}

ClipReport Tremolo::Process(int16_t* block, size_t count) {
    const int32_t level = level_, depth = depth_;
    const int32_t total = static_cast<int32_t>(count);
    ClipReport report{-1, total};
    int32_t values[WavetableLfo::kChunk], out[WavetableLfo::kChunk];
    for (int32_t done = 0; done < total; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(total - done, WavetableLfo::kChunk);
        lfo_.Fill(values, n);
        Modulated(block + done, values, out, n, level, depth);
        const int32_t last = SaturateBlock(out, block + done, n);
        if (last >= 0) report.lastClip = done + last;
    }
    return report;
}

}  // namespace ampliro::dsp
