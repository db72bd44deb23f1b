#include "effects/delay_line.h"

#include <algorithm>
#include <new>

#include "effects/block_kernels.h"
#include "effects/record_io.h"
#include "effects/sample_buffer.h"
#include "effects/vector_clones.h"

namespace ampliro {

namespace {

// fed[i] = dry[i] + (line[i] * fb >> 6), kept to 32 bits before the clip.
AMPLIRO_VECTOR_CLONES
void FeedBack(const int32_t* dry, const int32_t* line, int32_t* fed, int32_t n, int64_t fb) {
    for (int32_t i = 0; i < n; ++i) fed[i] = static_cast<int32_t>(dry[i] + ((line[i] * fb) >> 6));
}

}  // namespace

DelayLine::DelayLine() {
    name = "Digital Delay";
    imageIndex = 2;
}

int DelayLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    clearPending = 0;
    // The new buffer may be shorter than the old one (a lower rate): a write
    // position left from before could lie past its end.
    writePos = 0;
    const int64_t length = static_cast<int64_t>(rate) * kMaxDelayMs / 1000;
    if (!ClearedBuffer(buffer, bufferLength,
                       static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX))))
        return 0;
    SetDelay(delayMs, decay);
    BuildPanel();
    return 1;
}

void DelayLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    const int32_t range[4][3] = {
        {1, kMaxDelayMs, delayMs}, {0, 64, decay}, {0, 64, cutoff}, {0, 64, mix}};
    for (int i = 0; i < 4; ++i) {
        AddKnob(knobs[i], static_cast<uint16_t>(i + 2), kKnobCentre[i][0], kKnobCentre[i][1],
                kStrip127, range[i][0], range[i][1], range[i][2]);
    }
}

void DelayLine::SetDelay(int32_t ms, int32_t decayValue) {
    // At least 1 ms: a zero length would leave no entry to read or write.
    delayMs = ClampInt(ms, 1, kMaxDelayMs);
    decay = ClampInt(decayValue, 0, 64);
    delaySamples = static_cast<int32_t>(static_cast<int64_t>(sampleRate) * delayMs / 1000);
}

void DelayLine::SetCutoff(int32_t value) {
    cutoff = ClampInt(value, 0, 64);
    toneCoef = cutoff * 256;
}

// The entry after the write position is the oldest, L - 1 samples old; the
// entry at the write position, L samples old, feeds back. When the length
// shrinks under a running write position, the next step wraps it to 0, and
// every index used on the way stays below the full three-second buffer.
template <typename In, typename Out>
void DelayLine::Run(int32_t count, In in, Out out) {
    int32_t* line = buffer.get();
    const int32_t len = delaySamples;
    if (line == nullptr || len < 1) {
        for (int32_t i = 0; i < count; ++i) {
            in(i);
            out(i, 0);
        }
        return;
    }
    const int64_t fb = decay;
    int32_t w = writePos;
    for (int32_t i = 0; i < count; ++i) {
        int32_t x = in(i);
        const int32_t r = w + 1 >= len ? w + 1 - len : w + 1;
        const int32_t echo = line[r];
        if (fb != 0) x = ClipSample(static_cast<int>(x + ((line[w] * fb) >> 6)));
        line[w] = x;
        w = w + 1 >= len ? 0 : w + 1;
        out(i, ClipSample(echo));
    }
    writePos = w;
}

int32_t DelayLine::Echo(int32_t x) {
    int32_t y = 0;
    Run(
        1, [x](int32_t) { return x; }, [&y](int32_t, int32_t out) { y = out; });
    return y;
}

// A run of steps whose positions w..w+n all lie below the length: each
// step reads the entry after it (the echo) and the entry at it (the
// feedback) before writing there, and no step reads an entry an earlier
// step of the run wrote, so the run splits into passes over arrays. Each
// sample makes two ClipSample calls, feedback first, when there is feedback.
void DelayLine::EchoRun(const int32_t* dry, int16_t* echo, int32_t n) {
    int32_t* at = buffer.get() + writePos;
    const int64_t fb = decay;
    int32_t fed[kChunk];
    const int32_t lastEcho = SaturateBlock(at + 1, echo, n);
    if (fb == 0) {
        std::copy_n(dry, n, at);
        PeakAfterCalls(*this, lastEcho, n);
    } else {
        FeedBack(dry, at, fed, n, fb);
        const int32_t lastFed = SaturateBlock(fed, at, n);
        PeakAfterCalls(*this, std::max(2 * lastFed, lastEcho < 0 ? -1 : 2 * lastEcho + 1), 2 * n);
    }
    writePos += n;
}

// The echoes of a chunk; steps at the end of the line, where the positions
// wrap, go one by one.
void DelayLine::EchoBlock(const int32_t* dry, int16_t* echo, int32_t count) {
    const int32_t len = delaySamples;
    if (!buffer || len < 1) {
        std::fill_n(echo, count, 0);
        return;
    }
    for (int32_t i = 0; i < count;) {
        if (writePos + 1 >= len) {
            int32_t out = 0;
            Run(
                1, [&](int32_t) { return dry[i]; }, [&](int32_t, int32_t e) { out = e; });
            echo[i++] = static_cast<int16_t>(out);
            continue;
        }
        const int32_t n = std::min(count - i, len - 1 - writePos);
        EchoRun(dry + i, echo + i, n);
        i += n;
    }
}

void DelayLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (clearPending && buffer) {
        std::fill_n(buffer.get(), std::min<int32_t>(delaySamples, bufferLength), 0);
        clearPending = 0;
    }
    if (Bypassed(count)) return;
    const int32_t lvl = level;
    const int32_t wetShare = mix;
    const int64_t coef = toneCoef;
    int32_t dry[kChunk];
    int16_t wet[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        ScaleLevel(block, dry, n, lvl);
        EchoBlock(dry, wet, n);
        // Cutoff 64 (coefficient 16384) switches the damping off. Below it the
        // one-pole step moves the state part of the way toward the echo
        // (0 <= coef < 32768, and the floor of the step lies between 0 and the
        // difference), so it stays between 16-bit values.
        if (coef < 16384) {
            int32_t tone = toneState;
            for (int32_t i = 0; i < n; ++i) {
                tone = static_cast<int32_t>(tone + (((wet[i] - int64_t(tone)) * coef) >> 15));
                wet[i] = static_cast<int16_t>(tone);
            }
            toneState = tone;
        }
        MixWetDry(block, wet, dry, n, wetShare);
    }
}

int DelayLine::Load(std::FILE* file) {
    int32_t fields[6] = {level, mix, enabled, delayMs, decay, cutoff};
    for (int32_t& f : fields) ReadInt32(file, f);
    level = ClampInt(fields[0], 0, 64);
    mix = ClampInt(fields[1], 0, 64);
    enabled = fields[2] != 0;
    SetCutoff(fields[5]);
    SetDelay(fields[3], fields[4]);
    return 1;
}

int DelayLine::Save(std::FILE* file) {
    const int32_t fields[6] = {level, mix, enabled, delayMs, decay, cutoff};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void DelayLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetDelay(value, decay);
            break;
        case 3:
            SetDelay(delayMs, value);
            break;
        case 4:
            SetCutoff(value);
            break;
        case 5:
            mix = value;
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
