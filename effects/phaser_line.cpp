#include "effects/phaser_line.h"

#include <algorithm>

#include "effects/block_kernels.h"
#include "effects/record_io.h"

namespace ampliro {

PhaserLine::PhaserLine() {
    name = "Phase Shifter";
    imageIndex = 0;
}

int PhaserLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    lfo.Create(rate, 1024, true);
    phaserRate = rate;
    lastAllpass = 0;
    halfRate = rate >> 1;
    sweepLow = kSweepLow;
    sweepHigh = kSweepHigh;
    // Every sweep value's coefficient, worked out once per rate rather than
    // with two divisions per sample.
    for (int32_t k = 0; k <= sweepHigh - sweepLow; ++k) {
        sweepCoefficients[k] = AllpassCoefficient(TuningWord(sweepLow + k));
    }
    SetRate(rateKnob);
    BuildPanel();
    return 1;
}

void PhaserLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    const int32_t range[4][3] = {
        {1, 64, rateKnob}, {0, 64, depth}, {0, 64, feedback}, {0, 64, mix}};
    for (int i = 0; i < 4; ++i) {
        AddKnob(knobs[i], static_cast<uint16_t>(i + 2), kKnobCentre[i][0], kKnobCentre[i][1],
                kStrip129, range[i][0], range[i][1], range[i][2]);
    }
}

void PhaserLine::SetRate(int32_t k) {
    rateKnob = ClampInt(k, 1, 64);
    lfo.SetFrequency(static_cast<float>(rateKnob) * 0.015625f);
}

// At 44100 and 22050 Hz the sweep value is used directly (doubled at 22050);
// every other rate scales it by 32768 / (fs / 2). The two rules place the
// sweep differently, by design of the original tuning.
int32_t PhaserLine::TuningWord(int32_t sweep) const {
    if (phaserRate == 44100) return sweep;
    if (phaserRate == 22050) return 2 * sweep;
    // The sweep stays within 440..1600, so sweep x 32768 fits in 32 bits.
    return (sweep * 32768) / (halfRate > 0 ? halfRate : 1);
}

// Tuning words are positive and below 2^17 at every supported rate, so the
// 32-bit product and the divisor stay in range; 32-bit division is the cheap
// one on the audio thread.
int32_t PhaserLine::AllpassCoefficient(int32_t w) {
    if (w <= -16384 || w >= (1 << 17)) return 0;
    return ((16384 - w) * 16384) / (w + 16384);
}

// The sweep of LFO value v is low + (high - low) v >> 15; the unipolar LFO
// keeps v in 0..32767, so the offset (high - low) v >> 15 stays below
// high - low and indexes the table Init made.
void PhaserLine::Coefficients(int32_t* values, int32_t count) {
    lfo.Fill(values, count);
    const int32_t range = sweepHigh - sweepLow;
    for (int32_t i = 0; i < count; ++i) values[i] = sweepCoefficients[(range * values[i]) >> 15];
}

// wet[i] = x + (depth y3 >> 6) for x = dry[i] and coefficient a = coef[i],
// truncated to int. The four all-pass stages share one coefficient a:
// y = s - a u, s' = u + a y (Q14), fed by u = saturate16(x + (feedback last
// >> 6)). Their states and the fed-back output are held in locals for the
// chunk; each stage keeps the last coefficient.
void PhaserLine::Allpass(const int32_t* dry, const int32_t* coef, int32_t* wet, int32_t count,
                         int64_t fb, int64_t dp) {
    int32_t s0 = stages[0].state, s1 = stages[1].state, s2 = stages[2].state, s3 = stages[3].state;
    int32_t last = lastAllpass;
    int64_t a = stages[0].coefficient;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = dry[i];
        a = coef[i];
        // The chain from one stage's y to the next is the recursion that
        // sets the speed. Left to itself the compiler forms a y once and
        // negates it on that chain; with -a opaque it multiplies by -a there
        // and the extra product for the state runs alongside.
        int64_t na = -a;
        asm("" : "+r"(na));
        const int64_t u = Saturate16(x + ((static_cast<int64_t>(last) * fb) >> 6));
        const int64_t y0 = s0 + ((na * u) >> 14);
        s0 = static_cast<int32_t>(u + ((a * y0) >> 14));
        const int64_t y1 = s1 + ((na * y0) >> 14);
        s1 = static_cast<int32_t>(y0 + ((a * y1) >> 14));
        const int64_t y2 = s2 + ((na * y1) >> 14);
        s2 = static_cast<int32_t>(y1 + ((a * y2) >> 14));
        const int64_t y3 = s3 + ((na * y2) >> 14);
        s3 = static_cast<int32_t>(y2 + ((a * y3) >> 14));
        last = static_cast<int32_t>(y3);
        wet[i] = static_cast<int32_t>(x + ((dp * y3) >> 6));
    }
    const int32_t states[4] = {s0, s1, s2, s3};
    for (int k = 0; k < 4; ++k) stages[k] = {static_cast<int32_t>(a), states[k]};
    lastAllpass = last;
}

int32_t PhaserLine::Phase(int32_t x) {
    const int32_t in = ClipSample(x);
    int32_t coef = 0, wet = 0;
    Coefficients(&coef, 1);
    Allpass(&in, &coef, &wet, 1, feedback, depth);
    return ClipSample(wet);
}

// Each sample passes ClipSample twice, on the way in and out; the levelled
// input (level 0..64) never clips, so only the outputs can light the lamp.
void PhaserLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    const int32_t lvl = level, wetShare = mix;
    const int64_t fb = feedback, dp = depth;
    int32_t dry[WavetableLfo::kChunk], coef[WavetableLfo::kChunk], wet[WavetableLfo::kChunk];
    int16_t clipped[WavetableLfo::kChunk];
    for (int32_t done = 0; done < count; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(count - done, WavetableLfo::kChunk);
        ScaleLevel(samples + done, dry, n, lvl);
        Coefficients(coef, n);
        Allpass(dry, coef, wet, n, fb, dp);
        const int32_t last = SaturateBlock(wet, clipped, n);
        PeakAfterCalls(*this, last < 0 ? -1 : 2 * last + 1, 2 * n);
        MixWetDry(samples + done, clipped, dry, n, wetShare);
    }
}

int PhaserLine::Load(std::FILE* file) {
    int32_t fields[6] = {level, mix, enabled, rateKnob, feedback, depth};
    for (int32_t& f : fields) ReadInt32(file, f);
    level = ClampInt(fields[0], 0, 64);
    mix = ClampInt(fields[1], 0, 64);
    enabled = fields[2] != 0;
    feedback = ClampInt(fields[4], 0, 64);
    depth = ClampInt(fields[5], 0, 64);
    SetRate(fields[3]);
    return 1;
}

int PhaserLine::Save(std::FILE* file) {
    const int32_t fields[6] = {level, mix, enabled, rateKnob, feedback, depth};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void PhaserLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetRate(value);
            break;
        case 3:
            depth = value;
            break;
        case 4:
            feedback = value;
            break;
        case 5:
            mix = value;
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
