#include "effects/units/delay/delay.h"

#include <algorithm>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/sample_buffer.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {
namespace {

// fed[i] = dry[i] + (line[i] * fb >> 6), kept to 32 bits before the clip.
void FeedBack(const int32_t* dry, const int32_t* line, int32_t* fed, int32_t n, int64_t fb) {
    for (int32_t i = 0; i < n; ++i) fed[i] = static_cast<int32_t>(dry[i] + ((line[i] * fb) >> 6));
}

// Appends `calls` clip steps, the last clipping one at lastClip (-1: none).
void Append(ClipReport& report, int32_t lastClip, int32_t calls) {
    if (lastClip >= 0) report.lastClip = report.calls + lastClip;
    report.calls += calls;
}

}  // namespace

bool Delay::Init(int32_t sampleRate) {
    rate_ = sampleRate;
    clearPending_ = 0;
    // The new line may be shorter than the old one (a lower rate): a write
    // position left from before could lie past its end.
    writePos_ = 0;
    const int64_t length = static_cast<int64_t>(sampleRate) * kMaxDelayMs / 1000;
    return ClearedBuffer(line_, lineLength_,
                         static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX)));
}

void Delay::SetDelayMs(int32_t ms) {
    delaySamples_ = static_cast<int32_t>(static_cast<int64_t>(rate_) * ms / 1000);
}

void Delay::ApplyPendingClear() {
    if (clearPending_ && line_) {
        std::fill_n(line_.get(), std::min<int32_t>(delaySamples_, lineLength_), 0);
        clearPending_ = 0;
    }
}

// The entry after the write position is the oldest, L - 1 samples old; the
// entry at the write position, L samples old, feeds back. When the length
// shrinks under a running write position, the next step wraps it to 0, and
// every index used on the way stays below the full three-second line.
int32_t Delay::Step(int32_t x, ClipReport& report) {
    int32_t* line = line_.get();
    const int32_t len = delaySamples_;
    if (line == nullptr || len < 1) return 0;
    const int64_t fb = decay_;
    const int32_t w = writePos_;
    const int32_t r = w + 1 >= len ? w + 1 - len : w + 1;
    if (fb != 0) {
        const int64_t fed = x + ((line[w] * fb) >> 6);
        x = Saturate16(fed);
        Append(report, x != fed ? 0 : -1, 1);
    }
    const int32_t echo = Saturate16(line[r]);
    Append(report, echo != line[r] ? 0 : -1, 1);
    line[w] = x;
    writePos_ = w + 1 >= len ? 0 : w + 1;
    return echo;
}

// A run of steps whose positions w..w+n all lie below the length: each
// step reads the entry after it (the echo) and the entry at it (the
// feedback) before writing there, and no step reads an entry an earlier
// step of the run wrote, so the run splits into passes over arrays. Each
// sample makes two clip steps, feedback first, when there is feedback.
void Delay::EchoRun(const int32_t* dry, int16_t* echo, int32_t n, ClipReport& report) {
    int32_t* at = line_.get() + writePos_;
    const int64_t fb = decay_;
    int32_t fed[kChunk];
    const int32_t lastEcho = SaturateBlock(at + 1, echo, n);
    if (fb == 0) {
        std::copy_n(dry, n, at);
        Append(report, lastEcho, n);
    } else {
        FeedBack(dry, at, fed, n, fb);
        const int32_t lastFed = SaturateBlock(fed, at, n);
        Append(report, std::max(2 * lastFed, lastEcho < 0 ? -1 : 2 * lastEcho + 1), 2 * n);
    }
    writePos_ += n;
}

// The echoes of a chunk; steps at the end of the line, where the positions
// wrap, go one by one.
void Delay::EchoBlock(const int32_t* dry, int16_t* echo, int32_t count, ClipReport& report) {
    const int32_t len = delaySamples_;
    if (!line_ || len < 1) {
        std::fill_n(echo, count, 0);
        return;
    }
    for (int32_t i = 0; i < count;) {
        if (writePos_ + 1 >= len) {
            echo[i] = static_cast<int16_t>(Step(dry[i], report));
            ++i;
            continue;
        }
        const int32_t n = std::min(count - i, len - 1 - writePos_);
        EchoRun(dry + i, echo + i, n, report);
        i += n;
    }
}

ClipReport Delay::Process(int16_t* block, size_t count) {
    const int32_t level = level_, mix = mix_;
    const int64_t coef = toneCoef_;
    const int32_t total = static_cast<int32_t>(count);
    ClipReport report{-1, 0};
    int32_t dry[kChunk];
    int16_t wet[kChunk];
    for (int32_t start = 0; start < total; start += kChunk) {
        const int32_t n = std::min(kChunk, total - start);
        int16_t* samples = block + start;
        ScaleLevel(samples, dry, n, level);
        EchoBlock(dry, wet, n, report);
        // Cutoff 64 (coefficient 16384) switches the damping off. Below it the
        // one-pole step moves the state part of the way toward the echo
        // (0 <= coef < 32768, and the floor of the step lies between 0 and the
        // difference), so it stays between 16-bit values.
        if (coef < 16384) {
            int32_t tone = toneState_;
            for (int32_t i = 0; i < n; ++i) {
                tone = static_cast<int32_t>(tone + (((wet[i] - int64_t(tone)) * coef) >> 15));
                wet[i] = static_cast<int16_t>(tone);
            }
            toneState_ = tone;
        }
        MixWetDry(samples, wet, dry, n, mix);
    }
    return report;
}

}  // namespace ampliro::dsp
