#include "effects/delay_line.h"

#include <algorithm>
#include <new>

#include "effects/record_io.h"

namespace ampliro {

DelayLine::DelayLine() {
    name = "Digital Delay";
    imageIndex = 2;
}

int DelayLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    buffer.reset();
    bufferLength = 0;
    Effect::Init(rate, key);
    clearPending = 0;
    // The new buffer may be shorter than the old one (a lower rate): a write
    // position left from before could lie past its end.
    writePos = 0;
    const int64_t length = static_cast<int64_t>(rate) * kMaxDelayMs / 1000;
    if (length < 1) return 0;
    buffer.reset(new (std::nothrow) int32_t[length]);
    if (!buffer) return 0;
    bufferLength = static_cast<int32_t>(length);
    std::fill_n(buffer.get(), bufferLength, 0);
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

void DelayLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (clearPending && buffer) {
        std::fill_n(buffer.get(), std::min<int32_t>(delaySamples, bufferLength), 0);
        clearPending = 0;
    }
    if (Bypassed(count)) return;
    const int64_t lvl = level;
    const int64_t wetShare = mix;
    const int64_t coef = toneCoef;
    int32_t tone = toneState;
    int32_t dry = 0;
    Run(
        count,
        [&](int32_t i) {
            dry = static_cast<int32_t>((samples[i] * lvl) >> 6);
            return dry;
        },
        [&](int32_t i, int32_t echo) {
            int64_t wet = echo;
            // Cutoff 64 (coefficient 16384) switches the damping off.
            if (coef < 16384) {
                tone = static_cast<int32_t>(tone + (((wet - tone) * coef) >> 15));
                wet = tone;
            }
            const int64_t out = (wet * wetShare + dry * (64 - wetShare)) >> 6;
            samples[i] = static_cast<int16_t>(static_cast<uint16_t>(out));
        });
    toneState = tone;
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
