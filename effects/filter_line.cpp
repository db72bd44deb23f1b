#include "effects/filter_line.h"

#include <algorithm>
#include <cmath>

#include "effects/block_kernels.h"
#include "effects/dsp/level_mix.h"
#include "effects/dsp/saturate.h"
#include "effects/dsp/vector_clones.h"
#include "effects/record_io.h"

namespace ampliro {

namespace {

AMPLIRO_VECTOR_CLONES
void Boost(int32_t* v, int32_t count, int64_t boost) {
    for (int32_t i = 0; i < count; ++i) {
        v[i] = static_cast<int32_t>(std::clamp<int64_t>((boost * v[i]) >> 6, INT32_MIN, INT32_MAX));
    }
}

// The output the mode picks from the four states.
template <int32_t Mode, typename T>
constexpr T Selected(T notch, T low, T high, T band) {
    if constexpr (Mode == FilterLine::kNotch) return notch;
    if constexpr (Mode == FilterLine::kLowPass) return low;
    if constexpr (Mode == FilterLine::kHighPass) return high;
    return band;
}

}  // namespace

FilterLine::FilterLine() {
    name = "Parametric EQ";
    imageIndex = 1;
}

int FilterLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    filterRate = rate;
    omegaScale = (1.0f / (static_cast<float>(rate) * 2.0f)) * 3.1415927f;
    UpdateCoefficients(resonance, frequency);
    BuildPanel();
    return 1;
}

void FilterLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    const int32_t range[4][3] = {{200, 5000, static_cast<int32_t>(frequency)},
                                 {0, 64, static_cast<int32_t>(resonance)},
                                 {0, 64, gain},
                                 {0, 64, mix}};
    for (int i = 0; i < 4; ++i) {
        AddKnob(knobs[i], static_cast<uint16_t>(i + 2), kKnobCentre[i][0], kKnobCentre[i][1],
                kStrip125, range[i][0], range[i][1], range[i][2]);
    }
}

void FilterLine::UpdateCoefficients(float resonanceValue, float frequencyHz) {
    resonance = resonanceValue;
    frequency = frequencyHz;
    const double s = 2.0 * std::sin(static_cast<double>(omegaScale * frequencyHz));
    // The cap keeps the discrete filter far from its stability limit; it
    // tops the tuning out near 0.08 fs.
    const float f = static_cast<float>(std::min(0.25, s));
    const double qmax = std::min(2.0, 2.0 / f - f * 0.5);
    const double q =
        (1.0 - std::pow(static_cast<double>(resonanceValue * (1.0f / 64)), 0.25)) * 2.0;
    dampCoef = TruncToInt32(std::min(q, qmax) * 1024.0);
    freqCoef = TruncToInt32(f * 1024.0f);
}

// The states stay 32-bit as designed and wrap on overflow; the products are
// 64-bit so that an undamped filter (resonance 64) growing past the 32-bit
// range stays defined. Below that range the results are the 32-bit ones.
// sel[i] is the chosen output for input in[i]; the mode is a template
// parameter so that the loop carries no switch.
template <int32_t Mode>
void FilterLine::Run(const int32_t* in, int32_t* sel, int32_t count) {
    const int64_t fc = freqCoef, dc = dampCoef;
    int32_t lo = low, hi = high, bp = band, no = notch;
    for (int32_t i = 0; i < count; ++i) {
        no = static_cast<int32_t>(in[i] - ((static_cast<int64_t>(bp) * dc) >> 10));
        lo = static_cast<int32_t>(lo + ((fc * bp) >> 10));
        hi = static_cast<int32_t>(static_cast<int64_t>(no) - lo);
        bp = static_cast<int32_t>(bp + ((static_cast<int64_t>(hi) * fc) >> 10));
        sel[i] = Selected<Mode>(no, lo, hi, bp);
    }
    low = lo, high = hi, band = bp, notch = no;
}

// The same filter while every value stays within 32 bits, which is what it
// does unless it is growing without bound: no wrap happens, so 64-bit states
// give the same values without narrowing them each step. The band-pass
// update is also rearranged to wait on less: with A = bp dc >> 10 and B = fc
// bp >> 10 the new high-pass is (in - lo) - (A + B), and since bp is whole,
// bp + (hi fc >> 10) = (1024 bp + (in - lo) fc - (A + B) fc) >> 10, where
// only (A + B) fc waits on bp's products. It stops, returning false and
// leaving the states as they were, at the first value outside 32 bits;
// until then every product stays below 2^44.
template <int32_t Mode>
bool FilterLine::RunInRange(const int32_t* in, int32_t* sel, int32_t count) {
    const int64_t fc = freqCoef, dc = dampCoef;
    int64_t lo = low, hi = high, bp = band, no = notch;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t x = in[i];
        const int64_t a = (bp * dc) >> 10;
        const int64_t b = (fc * bp) >> 10;
        const int64_t nextBand = (bp * 1024 + (x - lo) * fc - (a + b) * fc) >> 10;
        no = x - a;
        lo += b;
        hi = no - lo;
        bp = nextBand;
        // v ^ (v >> 63) is v, or -v - 1 when negative: below 2^31 for all
        // four exactly when all four fit in 32 bits.
        const uint64_t reach = static_cast<uint64_t>((no ^ (no >> 63)) | (lo ^ (lo >> 63)) |
                                                     (hi ^ (hi >> 63)) | (bp ^ (bp >> 63)));
        if (reach >> 31 != 0) return false;
        sel[i] = static_cast<int32_t>(Selected<Mode>(no, lo, hi, bp));
    }
    low = static_cast<int32_t>(lo), high = static_cast<int32_t>(hi);
    band = static_cast<int32_t>(bp), notch = static_cast<int32_t>(no);
    return true;
}

template <int32_t Mode>
void FilterLine::RunMode(const int32_t* in, int32_t* sel, int32_t count) {
    if (!RunInRange<Mode>(in, sel, count)) Run<Mode>(in, sel, count);
}

// The boost, (gain + 64) x sel >> 6, held to the 32-bit range, in place;
// lastOut keeps the last one as computed, before that hold.
void FilterLine::RunBlock(const int32_t* in, int32_t* out, int32_t count) {
    switch (static_cast<int32_t>(mode)) {
        case kNotch:
            RunMode<kNotch>(in, out, count);
            break;
        case kLowPass:
            RunMode<kLowPass>(in, out, count);
            break;
        case kHighPass:
            RunMode<kHighPass>(in, out, count);
            break;
        default:
            RunMode<kBandPass>(in, out, count);
    }
    const int64_t boost = gain + 64;
    lastOut = static_cast<int32_t>((boost * out[count - 1]) >> 6);
    Boost(out, count, boost);
}

int32_t FilterLine::Filter(int32_t x) {
    int32_t y = 0;
    RunBlock(&x, &y, 1);
    return ClipSample(y);
}

// dry = s x level >> 6, wet = clip(boost(filter(dry))), then the mix, each a
// pass over a chunk; only the filter itself is a recursion.
void FilterLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    constexpr int32_t kChunk = 256;
    int32_t dry[kChunk];
    int32_t boosted[kChunk];
    int16_t wet[kChunk];
    const int32_t lvl = level, wetShare = mix;
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        dsp::ScaleLevel(block, dry, n, lvl);
        RunBlock(dry, boosted, n);
        ClipBlock(*this, boosted, wet, n);
        dsp::MixWetDry(block, wet, dry, n, wetShare);
    }
}

int FilterLine::Load(std::FILE* file) {
    int32_t lvl = level, wet = mix, on = enabled, m = mode, g = gain;
    float r = resonance, f = frequency;
    ReadInt32(file, lvl);
    ReadInt32(file, wet);
    ReadInt32(file, on);
    ReadFloat(file, r);
    ReadFloat(file, f);
    ReadInt32(file, m);
    ReadInt32(file, g);
    level = ClampInt(lvl, 0, 64);
    mix = ClampInt(wet, 0, 64);
    enabled = on != 0;
    mode = m >= kNotch && m <= kBandPass ? m : kBandPass;
    gain = ClampInt(g, 0, 64);
    UpdateCoefficients(ClampFloat(r, 0.0f, 64.0f), ClampFloat(f, 200.0f, 5000.0f));
    return 1;
}

int FilterLine::Save(std::FILE* file) {
    WriteInt32(file, level);
    WriteInt32(file, mix);
    WriteInt32(file, enabled);
    WriteFloat(file, resonance);
    WriteFloat(file, frequency);
    WriteInt32(file, mode);
    WriteInt32(file, gain);
    return 1;
}

void FilterLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            UpdateCoefficients(resonance, static_cast<float>(value));
            break;
        case 3:
            UpdateCoefficients(static_cast<float>(value), frequency);
            break;
        case 4:
            gain = value;
            break;
        case 5:
            mix = value;
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
