#include "effects/reverb_line.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effects/record_io.h"
#include "effects/vector_clones.h"

namespace ampliro {

ReverbLine::ReverbLine() {
    name = "Digital Reverb";
    imageIndex = 5;
}

int ReverbLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    buffersReady_ = false;
    for (auto& b : combBuffer) b.reset();
    Effect::Init(rate, key);
    clearPending = 0;
    toneStack.Design(880, 5000, rate);
    SetFilterGains(lpGain, hpGain);
    spanSamples = static_cast<int32_t>(static_cast<int64_t>(rate) * 250 / 1000);
    capacity_ = 0;
    if (spanSamples < 1) return 0;
    for (auto& b : combBuffer) {
        b.reset(new (std::nothrow) int32_t[spanSamples]);
        if (!b) return 0;
        std::fill_n(b.get(), spanSamples, 0);
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

// dry = s * level >> 6 as an int32, for any level: with level = 64 h + l
// (l in 0..63), s * level >> 6 = s h + (s l >> 6) exactly, s l fits in 32
// bits, and only the low 32 bits of s h matter.
AMPLIRO_VECTOR_CLONES
void ScaleByLevel(const int16_t* samples, int32_t* dry, int32_t count, int32_t level) {
    const uint32_t whole = static_cast<uint32_t>(level >> 6);
    const int32_t part = level & 63;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t coarse = static_cast<uint32_t>(samples[i]) * whole;
        dry[i] = static_cast<int32_t>(coarse + static_cast<uint32_t>((samples[i] * part) >> 6));
    }
}

// One contiguous run of a comb: e = line[k], line[k] = x[k] + (gain e >> 12)
// kept to 32 bits, sums[k] += e. No position repeats within a run, so each
// echo is the value written one comb length earlier and the loop carries
// nothing from one sample to the next. The low 32 bits of gain e >> 12 are
// the same for a logical shift, which vectors have.
AMPLIRO_VECTOR_CLONES
void RunCombSpan(int32_t* __restrict line, const int32_t* __restrict x, int64_t* __restrict sums,
                 int32_t count, int32_t gain) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t e = line[k];
        const uint64_t product = static_cast<uint64_t>(static_cast<int64_t>(gain) * e);
        line[k] = static_cast<int32_t>(static_cast<uint32_t>(x[k]) +
                                       static_cast<uint32_t>(product >> 12));
        sums[k] += e;
    }
}

// wet = the 16-bit saturation of (int32)(sum >> 3); returns the index of the
// last sample that saturated, or -1.
AMPLIRO_VECTOR_CLONES
int32_t ClipEchoes(const int64_t* sums, int16_t* wet, int32_t count) {
    int32_t lastClipped = -1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = static_cast<int32_t>(static_cast<uint64_t>(sums[i]) >> 3);
        const int32_t clipped = std::clamp(v, -32768, 32767);
        wet[i] = static_cast<int16_t>(clipped);
        lastClipped = std::max(lastClipped, clipped != v ? i : -1);
    }
    return lastClipped;
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

// Each comb depends only on the input sequence, so the combs run one after
// another over the block; sums[n] gathers the eight echoes of sample n. A
// comb's block splits where its position wraps and wherever a run would
// reach a position twice, so that each run is one pass of RunCombSpan. A
// length beyond the buffer (left from an earlier rate when the delay
// rounds to no samples) is held to the buffer; 0 acts as 1.
void ReverbLine::RunCombs(const int32_t* x, int64_t* sums, int32_t count) {
    for (int32_t n = 0; n < count; ++n) sums[n] = 0;
    for (int i = 0; i < kCombs; ++i) {
        const int32_t length = std::clamp<int32_t>(combLength[i], 1, capacity_);
        const int32_t gain = combGain[i];
        int32_t* line = combBuffer[i].get();
        int32_t pos = combPos[i] + 1 >= length ? 0 : combPos[i] + 1;
        for (int32_t done = 0; done < count;) {
            const int32_t run = std::min(count - done, length - pos);
            RunCombSpan(line + pos, x + done, sums + done, run, gain);
            done += run;
            pos += run;
            if (pos >= length) pos = 0;
        }
        combPos[i] = (pos == 0 ? length : pos) - 1;
    }
}

// ClipSample over a chunk whose last saturated sample is lastClipped (-1 for
// none): the lamp lights there and holds for sampleRate calls after it.
void ReverbLine::HoldPeak(int32_t lastClipped, int32_t count) {
    int32_t callsAfter = count;
    if (lastClipped >= 0) {
        peakHold = sampleRate.load(std::memory_order_relaxed);
        peakIndicator.store(1, std::memory_order_relaxed);
        callsAfter = count - 1 - lastClipped;
    }
    if (peakHold <= 0 || callsAfter == 0) return;
    if (peakHold > callsAfter) {
        peakHold -= callsAfter;
    } else {
        peakHold = 0;
        peakIndicator.store(0, std::memory_order_relaxed);
    }
}

int32_t ReverbLine::Reverberate(int32_t x) {
    if (!buffersReady_) return 0;
    int64_t sum = 0;
    RunCombs(&x, &sum, 1);
    return ClipSample(static_cast<int>(sum >> 3));
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
    int32_t dry[kChunk];
    int64_t sums[kChunk];
    int16_t echoes[kChunk];
    int32_t wet[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        ScaleByLevel(block, dry, n, lvl);
        if (buffersReady_) {
            RunCombs(dry, sums, n);
            HoldPeak(ClipEchoes(sums, echoes, n), n);
        } else {
            std::fill_n(echoes, n, 0);
        }
        toneStack.Run(echoes, wet, n);
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
