#include "effects/units/reverb/reverb.h"

#include <algorithm>
#include <cmath>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/sample_buffer.h"
#include "effects/units/dsp/saturate.h"
#include "effects/units/reverb/comb_kernels.h"

namespace ampliro::dsp {
namespace {

// Samples per pass of the block kernels; their buffers live on the stack.
constexpr int32_t kChunk = 256;

}  // namespace

bool Reverb::Init(int32_t sampleRate) {
    ready_ = false;
    rate_ = sampleRate;
    clearPending_ = 0;
    // Designing clears the tone stack; its filter gains are written back.
    const ToneStack::Gains gains = tone_.LoadGains();
    tone_.Design(880, 5000, sampleRate);
    SetFilterGains(gains.low, gains.high);
    spanSamples_ = static_cast<int32_t>(static_cast<int64_t>(sampleRate) * 250 / 1000);
    // Every comb held capacity_ samples after the last Init that succeeded.
    const int32_t held = capacity_;
    capacity_ = 0;
    for (auto& b : combBuffer_) {
        int32_t length = held;
        if (!ClearedBuffer(b, length, spanSamples_)) return false;
    }
    capacity_ = spanSamples_;
    ready_ = true;
    return true;
}

void Reverb::SetReverb(int32_t ms, int32_t decay) {
    // At least 1 ms: L = 0 would divide by zero below.
    ms = ClampInt(ms, 1, 250);
    decay = ClampInt(decay, 0, 64);
    const int32_t base = static_cast<int32_t>(static_cast<int64_t>(rate_) * ms / 1000);
    spanSamples_ = base;
    if (base < 1) return;
    const float g = 0.68f + static_cast<float>(decay) * (1.0f / 256);
    // k = log10(g) / (-3 L): the decay per sample, in the units of -3 x
    // length, so that 10^(-3 len k) = g^(len / L).
    const float k = 1.0f / static_cast<float>((-3.0 * base) / std::log10(static_cast<double>(g)));
    for (int i = 0; i < kCombs; ++i) {
        const int32_t len = TruncToInt32(static_cast<float>(base) / std::pow(2.0, i * 0.125));
        combLength_[i] = std::max(len, 1);
        const float exponent = static_cast<float>(-(3 * len)) * k;
        combGain_[i] = TruncToInt32(std::pow(10.0, exponent) * 4096.0);
    }
}

void Reverb::SetFilterGains(int32_t lp, int32_t hp) {
    tone_.lowGain = lp;
    tone_.highGain = hp;
}

void Reverb::ApplyPendingClear() {
    if (clearPending_ && ready_) {
        const int32_t span = std::min<int32_t>(spanSamples_, capacity_);
        for (auto& b : combBuffer_) std::fill_n(b.get(), span, 0);
        clearPending_ = 0;
    }
}

// Each comb depends only on the input sequence, so the combs run over the
// block in pairs, one pair after another (one by one when a gain is too
// large for CombEntry). The eight echoes e of sample n are summed in two
// 32-bit parts that cannot overflow, highs[n] of e >> 16 and lows[n] of
// e & 0xFFFF: their sum is 65536 highs[n] + lows[n]. The block splits
// wherever a comb's position wraps, so that each run is contiguous in its
// buffers. A length beyond the buffer (left from an earlier rate when the
// delay rounds to no samples at this one) is held to the buffer; 0 acts
// as 1.
void Reverb::RunCombs(const int32_t* x, int32_t* highs, int32_t* lows, int32_t count) {
    std::fill_n(highs, count, 0);
    std::fill_n(lows, count, 0);
    int32_t length[kCombs], gain[kCombs], next[kCombs];
    bool paired = true;
    for (int i = 0; i < kCombs; ++i) {
        length[i] = std::clamp<int32_t>(combLength_[i], 1, capacity_);
        gain[i] = combGain_[i];
        next[i] = combPos_[i] + 1 >= length[i] ? 0 : combPos_[i] + 1;
        paired = paired && gain[i] > -32768 && gain[i] < 32768;
    }
    const auto advance = [&](int c, int32_t run) {
        next[c] += run;
        if (next[c] >= length[c]) next[c] = 0;
    };
    const int step = paired ? 2 : 1;
    for (int a = 0; a < kCombs; a += step) {
        const int b = a + step - 1;
        int32_t* lineA = combBuffer_[a].get();
        int32_t* lineB = combBuffer_[b].get();
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
    for (int i = 0; i < kCombs; ++i) combPos_[i] = (next[i] == 0 ? length[i] : next[i]) - 1;
}

int32_t Reverb::Step(int32_t x, ClipReport& report) {
    if (!ready_) return 0;
    int32_t high = 0, low = 0;
    RunCombs(&x, &high, &low, 1);
    const int32_t sum = EchoSumOver8(high, low);
    const int32_t y = Saturate16(sum);
    report = {y != sum ? 0 : -1, 1};
    return y;
}

ClipReport Reverb::Process(int16_t* samples, size_t total) {
    const int32_t count = static_cast<int32_t>(total);
    ClipReport report{-1, 0};
    // The level/mix block around the combs and the tone stack, in chunks:
    // dry = s * level >> 6, wet = tone(clip(sum of echoes / 8)),
    // out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits.
    const int32_t lvl = level_;
    const int32_t wetShare = mix_;
    const ToneStack::Gains toneGains = tone_.LoadGains();
    int32_t dry[kChunk];
    int32_t highs[kChunk], lows[kChunk];
    int32_t echoes[kChunk];
    int16_t clipped[kChunk];
    int32_t wet[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        ScaleLevel(block, dry, n, lvl);
        if (ready_) {
            RunCombs(dry, highs, lows, n);
            EchoesOver8(highs, lows, echoes, n);
            const int32_t last = SaturateBlock(echoes, clipped, n);
            if (last >= 0) report.lastClip = report.calls + last;
            report.calls += n;
        } else {
            std::fill_n(clipped, n, 0);
        }
        tone_.Run(clipped, wet, n, toneGains);
        MixWetDry(block, wet, dry, n, wetShare);
    }
    return report;
}

}  // namespace ampliro::dsp
