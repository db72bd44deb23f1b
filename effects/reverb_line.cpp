#include "effects/reverb_line.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effects/block_kernels.h"
#include "effects/dsp/level_mix.h"
#include "effects/dsp/sample_buffer.h"
#include "effects/dsp/saturate.h"
#include "effects/dsp/vector_clones.h"
#include "effects/record_io.h"

namespace ampliro {

ReverbLine::ReverbLine() {
    name = "Digital Reverb";
    imageIndex = 5;
}

int ReverbLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    buffersReady_ = false;
    Effect::Init(rate, key);
    clearPending = 0;
    toneStack.Design(880, 5000, rate);
    SetFilterGains(lpGain, hpGain);
    spanSamples = static_cast<int32_t>(static_cast<int64_t>(rate) * 250 / 1000);
    // Every comb held capacity_ samples after the last Init that succeeded.
    const int32_t held = capacity_;
    capacity_ = 0;
    for (auto& b : combBuffer) {
        int32_t length = held;
        if (!ClearedBuffer(b, length, spanSamples)) return 0;
    }
    capacity_ = spanSamples;
    buffersReady_ = true;
    SetReverb(delayMs, decayAmount);
    filterIsLow = 0;
    BuildPanel();
    return 1;
}

void ReverbLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    const int32_t range[4][3] = {
        {1, 250, delayMs}, {0, 64, decayAmount}, {0, 64, hpGain}, {0, 64, mix}};
    for (int i = 0; i < 4; ++i) {
        AddKnob(knobs[i], static_cast<uint16_t>(i + 2), kKnobCentre[i][0], kKnobCentre[i][1],
                kStrip125, range[i][0], range[i][1], range[i][2]);
    }
    filterSelector.faceColour = 0xBE9E;
    filterSelector.SetBounds(65, 138, 18, 14);
    filterSelector.SetFlags(5);
    filterSelector.SetCaption(kFilterSelectorId, "#FFFFFFHP", 16);
    filterSelector.SetStyle(kButtonFramed | kButtonOutline);
    filterSelector.borderColour = 0x0000;
    AddChild(&filterSelector);
}

void ReverbLine::SetReverb(int32_t ms, int32_t decay) {
    // At least 1 ms: L = 0 would divide by zero below.
    delayMs = ClampInt(ms, 1, 250);
    decayAmount = ClampInt(decay, 0, 64);
    const int32_t base = static_cast<int32_t>(static_cast<int64_t>(sampleRate) * delayMs / 1000);
    spanSamples = base;
    if (base < 1) return;
    const float g = 0.68f + static_cast<float>(decayAmount) * (1.0f / 256);
    // k = log10(g) / (-3 L): the decay per sample, in the units of -3 x
    // length, so that 10^(-3 len k) = g^(len / L).
    const float k = 1.0f / static_cast<float>((-3.0 * base) / std::log10(static_cast<double>(g)));
    for (int i = 0; i < kCombs; ++i) {
        const int32_t len = TruncToInt32(static_cast<float>(base) / std::pow(2.0, i * 0.125));
        combLength[i] = std::max(len, 1);
        const float exponent = static_cast<float>(-(3 * len)) * k;
        combGain[i] = TruncToInt32(std::pow(10.0, exponent) * 4096.0);
    }
}

void ReverbLine::SetFilterGains(int32_t lp, int32_t hp) {
    lpGain = ClampInt(lp, 0, 64);
    hpGain = ClampInt(hp, 0, 64);
    toneStack.lowGain = lpGain;
    toneStack.highGain = hpGain;
}

int32_t ReverbLine::ToggleFilterSelector() {
    filterIsLow = filterIsLow ? 0 : 1;
    return filterIsLow ? lpGain : hpGain;
}

namespace {

// Samples per pass of the block kernels; their buffers live on the stack.
constexpr int32_t kChunk = 256;

// A comb's new entry x + (gain e >> 12), kept to 32 bits, for an echo e and
// |gain| < 2^15 (SetReverb gives 0..4096). With e = 65536 h + l (l the low
// 16 bits), gain e >> 12 = 16 gain h + (gain l >> 12) exactly; gain l fits
// in 32 bits, and only the low 32 bits of 16 gain h matter.
inline int32_t CombEntry(int32_t x, int32_t e, int32_t gain) {
    const uint32_t high = static_cast<uint32_t>(e >> 16) * (static_cast<uint32_t>(gain) * 16u);
    const uint32_t low = static_cast<uint32_t>((gain * (e & 0xFFFF)) >> 12);
    return static_cast<int32_t>(static_cast<uint32_t>(x) + high + low);
}

// Two combs over one run that neither wraps within: e = line[k],
// line[k] = CombEntry(x[k], e, gain) for each, and both echoes join the
// sums of sample k. No position repeats within a run, so each echo is the
// value written one comb length earlier and the loop carries nothing from
// one sample to the next.
AMPLIRO_VECTOR_CLONES
void RunCombPairSpan(int32_t* __restrict lineA, int32_t* __restrict lineB,
                     const int32_t* __restrict x, int32_t* __restrict highs,
                     int32_t* __restrict lows, int32_t count, int32_t gainA, int32_t gainB) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t a = lineA[k];
        const int32_t b = lineB[k];
        lineA[k] = CombEntry(x[k], a, gainA);
        lineB[k] = CombEntry(x[k], b, gainB);
        highs[k] += (a >> 16) + (b >> 16);
        lows[k] += (a & 0xFFFF) + (b & 0xFFFF);
    }
}

// One comb over such a run, for any gain, with a 64-bit product.
void RunCombSpanWide(int32_t* line, const int32_t* x, int32_t* highs, int32_t* lows, int32_t count,
                     int32_t gain) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t e = line[k];
        line[k] = static_cast<int32_t>(x[k] + ((static_cast<int64_t>(gain) * e) >> 12));
        highs[k] += e >> 16;
        lows[k] += e & 0xFFFF;
    }
}

// sum >> 3 for a sum of eight echoes given as its two parts: 8 divides
// 65536, so it is 8192 high + (low >> 3). With high in -2^18..2^18 - 8 and
// low >> 3 in 0..65535 that lies within the int32 range, as any int32 sum
// of eight int32 values over 8 does.
constexpr int32_t EchoSumOver8(int32_t high, int32_t low) {
    return high * 8192 + (low >> 3);
}

// The echo sums of a chunk over 8.
AMPLIRO_VECTOR_CLONES
void EchoesOver8(const int32_t* highs, const int32_t* lows, int32_t* echoes, int32_t count) {
    for (int32_t i = 0; i < count; ++i) echoes[i] = EchoSumOver8(highs[i], lows[i]);
}

// out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits: bits
// 6..21 of the sum, which arithmetic modulo 2^32 gives exactly.
AMPLIRO_VECTOR_CLONES
void MixWithDry(int16_t* samples, const int32_t* wet, const int32_t* dry, int32_t count,
                int32_t wetShare) {
    const uint32_t wetGain = static_cast<uint32_t>(wetShare);
    const uint32_t dryGain = 64u - wetGain;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t sum =
            static_cast<uint32_t>(wet[i]) * wetGain + static_cast<uint32_t>(dry[i]) * dryGain;
        samples[i] = static_cast<int16_t>(sum >> 6);
    }
}

}  // namespace

// Each comb depends only on the input sequence, so the combs run over the
// block in pairs, one pair after another (one by one when a gain is too
// large for CombEntry). The eight echoes e of sample n are summed in two
// 32-bit parts that cannot overflow, highs[n] of e >> 16 and lows[n] of
// e & 0xFFFF: their sum is 65536 highs[n] + lows[n]. The block splits
// wherever a comb's position wraps, so that each run is contiguous in its
// buffers. A length beyond the buffer (left from an earlier rate when the
// delay rounds to no samples at this one) is held to the buffer; 0 acts
// as 1.
void ReverbLine::RunCombs(const int32_t* x, int32_t* highs, int32_t* lows, int32_t count) {
    std::fill_n(highs, count, 0);
    std::fill_n(lows, count, 0);
    int32_t length[kCombs], gain[kCombs], next[kCombs];
    bool paired = true;
    for (int i = 0; i < kCombs; ++i) {
        length[i] = std::clamp<int32_t>(combLength[i], 1, capacity_);
        gain[i] = combGain[i];
        next[i] = combPos[i] + 1 >= length[i] ? 0 : combPos[i] + 1;
        paired = paired && gain[i] > -32768 && gain[i] < 32768;
    }
    const auto advance = [&](int c, int32_t run) {
        next[c] += run;
        if (next[c] >= length[c]) next[c] = 0;
    };
    const int step = paired ? 2 : 1;
    for (int a = 0; a < kCombs; a += step) {
        const int b = a + step - 1;
        int32_t* lineA = combBuffer[a].get();
        int32_t* lineB = combBuffer[b].get();
        for (int32_t done = 0; done < count;) {
            const int32_t run = std::min({count - done, length[a] - next[a], length[b] - next[b]});
            if (paired) {
                RunCombPairSpan(lineA + next[a], lineB + next[b], x + done, highs + done,
                                lows + done, run, gain[a], gain[b]);
                advance(b, run);
            } else {
                RunCombSpanWide(lineA + next[a], x + done, highs + done, lows + done, run, gain[a]);
            }
            advance(a, run);
            done += run;
        }
    }
    for (int i = 0; i < kCombs; ++i) combPos[i] = (next[i] == 0 ? length[i] : next[i]) - 1;
}

int32_t ReverbLine::Reverberate(int32_t x) {
    if (!buffersReady_) return 0;
    int32_t high = 0, low = 0;
    RunCombs(&x, &high, &low, 1);
    return ClipSample(EchoSumOver8(high, low));
}

void ReverbLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (clearPending && buffersReady_) {
        const int32_t span = std::min(spanSamples, capacity_);
        for (auto& b : combBuffer) std::fill_n(b.get(), span, 0);
        clearPending = 0;
    }
    if (Bypassed(count)) return;
    // The level/mix block around the combs and the tone stack, in chunks:
    // dry = s * level >> 6, wet = tone(clip(sum of echoes / 8)),
    // out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits.
    const int32_t lvl = level.load(std::memory_order_relaxed);
    const int32_t wetShare = mix.load(std::memory_order_relaxed);
    const ToneStack::Gains toneGains = toneStack.LoadGains();
    int32_t dry[kChunk];
    int32_t highs[kChunk], lows[kChunk];
    int32_t echoes[kChunk];
    int16_t clipped[kChunk];
    int32_t wet[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        dsp::ScaleLevel(block, dry, n, lvl);
        if (buffersReady_) {
            RunCombs(dry, highs, lows, n);
            EchoesOver8(highs, lows, echoes, n);
            ClipBlock(*this, echoes, clipped, n);
        } else {
            std::fill_n(clipped, n, 0);
        }
        toneStack.Run(clipped, wet, n, toneGains);
        MixWithDry(block, wet, dry, n, wetShare);
    }
}

int ReverbLine::Load(std::FILE* file) {
    int32_t fields[7] = {level, mix, enabled, delayMs, decayAmount, lpGain, hpGain};
    for (int32_t& f : fields) ReadInt32(file, f);
    level = ClampInt(fields[0], 0, 64);
    mix = ClampInt(fields[1], 0, 64);
    enabled = fields[2] != 0;
    SetReverb(fields[3], fields[4]);
    SetFilterGains(fields[5], fields[6]);
    return 1;
}

int ReverbLine::Save(std::FILE* file) {
    const int32_t fields[7] = {level, mix, enabled, delayMs, decayAmount, lpGain, hpGain};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void ReverbLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetReverb(value, decayAmount);
            break;
        case 3:
            SetReverb(delayMs, value);
            break;
        case 4:
            if (filterIsLow)
                SetFilterGains(value, hpGain);
            else
                SetFilterGains(lpGain, value);
            break;
        case 5:
            mix = value;
            break;
        case kFilterSelectorId:
            knobs[2].SetValue(ToggleFilterSelector());
            filterSelector.SetCaption(kFilterSelectorId, filterIsLow ? "#FFFFFFLP" : "#FFFFFFHP",
                                      16);
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
