#include "effects/reverb_line.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effects/record_io.h"

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

// Each comb depends only on the input sequence, so the combs run one after
// another over the block, each with its position, length and gain in
// registers; sums[n] gathers the eight echoes of sample n.
void ReverbLine::RunCombs(const int32_t* x, int64_t* sums, int32_t count) {
    for (int32_t n = 0; n < count; ++n) sums[n] = 0;
    for (int i = 0; i < kCombs; ++i) {
        const int32_t length = combLength[i];
        const int64_t gain = combGain[i];
        int32_t* line = combBuffer[i].get();
        int32_t pos = combPos[i];
        for (int32_t n = 0; n < count; ++n) {
            if (++pos >= length) pos = 0;
            const int32_t e = line[pos];
            line[pos] = static_cast<int32_t>(x[n] + ((gain * e) >> 12));
            sums[n] += e;
        }
        combPos[i] = pos;
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
    const int64_t lvl = level.load(std::memory_order_relaxed);
    const int64_t wetShare = mix.load(std::memory_order_relaxed);
    constexpr int32_t kChunk = 256;
    int32_t dry[kChunk];
    int64_t sums[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        for (int32_t i = 0; i < n; ++i) dry[i] = static_cast<int32_t>((block[i] * lvl) >> 6);
        if (buffersReady_) RunCombs(dry, sums, n);
        toneStack.Run(
            n,
            [&](int32_t i) {
                return buffersReady_ ? ClipSample(static_cast<int>(sums[i] >> 3)) : 0;
            },
            [&](int32_t i, int32_t wet) {
                const int64_t out = (wet * wetShare + dry[i] * (64 - wetShare)) >> 6;
                block[i] = static_cast<int16_t>(static_cast<uint16_t>(out));
            });
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
