#include "effects/units/phaser/phaser.h"

#include <algorithm>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {

void Phaser::Init(int32_t sampleRate) {
    lfo_.Create(sampleRate, 1024, true);
    rate_ = sampleRate;
    lastAllpass_ = 0;
}

// At 44100 and 22050 Hz the sweep value is used directly (doubled at 22050);
// every other rate scales it by 32768 / (fs / 2). The two rules place the
// sweep differently, by design of the original tuning.
int32_t Phaser::TuningWord(int32_t sweep) const {
    if (rate_ == 44100) return sweep;
    if (rate_ == 22050) return 2 * sweep;
    // The sweep stays within 440..1600, so sweep x 32768 fits in 32 bits.
    const int32_t halfRate = rate_ >> 1;
    return (sweep * 32768) / (halfRate > 0 ? halfRate : 1);
}

// Tuning words are positive and below 2^17 at every supported rate, so the
// 32-bit product and the divisor stay in range; 32-bit division is the cheap
// one on the audio thread.
int32_t Phaser::AllpassCoefficient(int32_t w) {
    if (w <= -16384 || w >= (1 << 17)) return 0;
    return ((16384 - w) * 16384) / (w + 16384);
}

// The sweep of LFO value v is low + (high - low) v >> 15, retuned every
// sample with two divisions. A table of the coefficients made at Init saved
// 7 to 8% of the whole chain's time (effects_bench), short of what a table
// must earn here, so the divisions stay.
void Phaser::Coefficients(int32_t* values, int32_t count) {
    lfo_.Fill(values, count);
    constexpr int32_t kRange = kSweepHigh - kSweepLow;
    for (int32_t i = 0; i < count; ++i) {
        values[i] = AllpassCoefficient(TuningWord(kSweepLow + ((kRange * values[i]) >> 15)));
    }
}

// wet[i] = x + (depth y3 >> 6) for x = dry[i] and coefficient a = coef[i],
// truncated to int. The four all-pass stages share one coefficient a:
// y = s - a u, s' = u + a y (Q14), fed by u = saturate16(x + (feedback last
// >> 6)), each shift carrying its remainder. Their states, remainders and
// the fed-back output are held in locals for the chunk; each stage keeps the
// last coefficient.
//
// Floored alone, every shift lost half an LSB on average; the loop gave that
// bias back with a DC gain of 64 / (64 - feedback), and a state of -1 times
// a coefficient below 1 floored back to -1, so after a note the output held
// a constant: -34 at feedback 0, -2480 at 63, and -32768 at 64. With the
// remainders carried, every feedback below 64 decays to 0; at 64 the loop's
// gain at DC is 1 and it holds what it has.
void Phaser::Allpass(const int32_t* dry, const int32_t* coef, int32_t* wet, int32_t count,
                     int64_t feedback, int64_t depth) {
    int32_t s0 = stages_[0].state, s1 = stages_[1].state;
    int32_t s2 = stages_[2].state, s3 = stages_[3].state;
    int64_t ef = feedbackError_;
    int64_t e[8];
    for (int k = 0; k < 8; ++k) e[k] = stageErrors_[k];
    int32_t last = lastAllpass_;
    int64_t a = stages_[0].coefficient;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = dry[i];
        a = coef[i];
        // The chain from one stage's y to the next is the recursion that
        // sets the speed. Left to itself the compiler forms a y once and
        // negates it on that chain; with -a opaque it multiplies by -a there
        // and the extra product for the state runs alongside.
        int64_t na = -a;
        asm("" : "+r"(na));
        const int64_t u =
            Saturate16(x + ShiftCarrying<6>(static_cast<int64_t>(last) * feedback, ef));
        const int64_t y0 = s0 + ShiftCarrying<14>(na * u, e[0]);
        s0 = static_cast<int32_t>(u + ShiftCarrying<14>(a * y0, e[1]));
        const int64_t y1 = s1 + ShiftCarrying<14>(na * y0, e[2]);
        s1 = static_cast<int32_t>(y0 + ShiftCarrying<14>(a * y1, e[3]));
        const int64_t y2 = s2 + ShiftCarrying<14>(na * y1, e[4]);
        s2 = static_cast<int32_t>(y1 + ShiftCarrying<14>(a * y2, e[5]));
        const int64_t y3 = s3 + ShiftCarrying<14>(na * y2, e[6]);
        s3 = static_cast<int32_t>(y2 + ShiftCarrying<14>(a * y3, e[7]));
        last = static_cast<int32_t>(y3);
        wet[i] = static_cast<int32_t>(x + ((depth * y3) >> 6));
    }
    const int32_t states[4] = {s0, s1, s2, s3};
    for (int k = 0; k < 4; ++k) stages_[k] = {static_cast<int32_t>(a), states[k]};
    for (int k = 0; k < 8; ++k) stageErrors_[k] = static_cast<int32_t>(e[k]);
    feedbackError_ = static_cast<int32_t>(ef);
    lastAllpass_ = last;
}

int32_t Phaser::Step(int32_t x) {
    int32_t coef = 0, wet = 0;
    Coefficients(&coef, 1);
    Allpass(&x, &coef, &wet, 1, feedback_, depth_);
    return wet;
}

// The levelled input (level 0..64) never clips, so only the outputs, the
// second clip step of each sample, can light the lamp.
ClipReport Phaser::Process(int16_t* block, size_t count) {
    const int32_t level = level_, mix = mix_;
    const int64_t feedback = feedback_, depth = depth_;
    const int32_t total = static_cast<int32_t>(count);
    ClipReport report{-1, 2 * total};
    int32_t dry[WavetableLfo::kChunk], coef[WavetableLfo::kChunk], wet[WavetableLfo::kChunk];
    int16_t clipped[WavetableLfo::kChunk];
    for (int32_t done = 0; done < total; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(total - done, WavetableLfo::kChunk);
        ScaleLevel(block + done, dry, n, level);
        Coefficients(coef, n);
        Allpass(dry, coef, wet, n, feedback, depth);
        const int32_t last = SaturateBlock(wet, clipped, n);
        if (last >= 0) report.lastClip = 2 * (done + last) + 1;
        MixWetDry(block + done, clipped, dry, n, mix);
    }
    return report;
}

}  // namespace ampliro::dsp
