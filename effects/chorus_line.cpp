#include "effects/chorus_line.h"

#include <algorithm>
#include <new>

#include "effects/record_io.h"

namespace ampliro {

ChorusLine::ChorusLine() {
    name = "Chorus";
    imageIndex = 6;
}

int ChorusLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    buffer.reset();
    Effect::Init(rate, key);
    lfo.Create(rate, 256, false);
    bufferLength = kBufferLength;
    writePos = 0;
    clearPending = 0;
    buffer.reset(new (std::nothrow) int32_t[kBufferLength]);
    if (!buffer) return 0;
    std::fill_n(buffer.get(), kBufferLength, 0);
    SetChorus(speed, depth, feedback);
    BuildPanel();
    return 1;
}

void ChorusLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    const int32_t range[4][3] = {
        {1, 64, static_cast<int32_t>(speed)}, {0, 64, depth}, {0, 64, feedback}, {0, 64, mix}};
    for (int i = 0; i < 4; ++i) {
        AddKnob(knobs[i], static_cast<uint16_t>(i + 2), kKnobCentre[i][0], kKnobCentre[i][1],
                kStrip125, range[i][0], range[i][1], range[i][2]);
    }
}

void ChorusLine::SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue) {
    speed = ClampFloat(speedValue, 1.0f, 64.0f);
    // Depth 64 reaches 2 x 64 + 6 samples back; more would leave the line.
    depth = ClampInt(depthValue, 0, 64);
    feedback = ClampInt(feedbackValue, 0, 64);
    lfo.SetFrequency(speed * 0.03125f);
}

// out(i, chorused in(i)) for i = 0..count-1, in(i) before out(i, ..), with
// the write position, length and knobs in locals for the block.
template <typename In, typename Out>
void ChorusLine::Run(int32_t count, In in, Out out) {
    int32_t* line = buffer.get();
    if (line == nullptr) {
        for (int32_t i = 0; i < count; ++i) {
            in(i);
            out(i, ClipSample(0));
        }
        return;
    }
    const int32_t n = bufferLength;
    const int32_t d = depth;
    const int64_t fb = feedback;
    int32_t w = writePos;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = in(i);
        // m = v * D / 32768 in Q15: integer part mi (floor) and fraction.
        const int32_t m = lfo.Next() * d;
        const int32_t mi = m >> 15;
        const int64_t frac = m - (mi << 15);
        int32_t p = w - d + mi - 6;
        if (p < 0) p += n;
        int32_t q = p + 1;
        if (q >= n) q -= n;
        const int64_t delayed = (line[p] * (32768 - frac) + line[q] * frac) >> 15;
        const int64_t y = (x + delayed) >> 1;
        int64_t fed = x;
        if (fb != 0) fed += (fb * y) >> 6;
        line[w] = static_cast<int32_t>(fed);
        w = w + 1 >= n ? 0 : w + 1;
        out(i, ClipSample(static_cast<int>(y)));
    }
    writePos = w;
}

int32_t ChorusLine::Chorus(int32_t x) {
    int32_t y = 0;
    Run(
        1, [x](int32_t) { return x; }, [&y](int32_t, int32_t out) { y = out; });
    return y;
}

void ChorusLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (clearPending && buffer) {
        std::fill_n(buffer.get(), kBufferLength, 0);
        clearPending = 0;
    }
    if (Bypassed(count)) return;
    LevelMixAround(samples, count, [this](int32_t n, auto in, auto out) { Run(n, in, out); });
}

int ChorusLine::Load(std::FILE* file) {
    int32_t lvl = level, wet = mix, on = enabled, dep = depth, fb = feedback;
    float spd = speed;
    ReadInt32(file, lvl);
    ReadInt32(file, wet);
    ReadInt32(file, on);
    ReadInt32(file, dep);
    ReadFloat(file, spd);
    ReadInt32(file, fb);
    level = ClampInt(lvl, 0, 64);
    mix = ClampInt(wet, 0, 64);
    enabled = on != 0;
    // The sweep frequency follows at the next Init, which every load runs.
    speed = ClampFloat(spd, 1.0f, 64.0f);
    depth = ClampInt(dep, 0, 64);
    feedback = ClampInt(fb, 0, 64);
    return 1;
}

int ChorusLine::Save(std::FILE* file) {
    WriteInt32(file, level);
    WriteInt32(file, mix);
    WriteInt32(file, enabled);
    WriteInt32(file, depth);
    WriteFloat(file, speed);
    WriteInt32(file, feedback);
    return 1;
}

void ChorusLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case kLevelSliderId:
            SetLevelFromSlider(value);
            break;
        case 2:
            SetChorus(static_cast<float>(value), depth, feedback);
            break;
        case 3:
            SetChorus(speed, value, feedback);
            break;
        case 4:
            SetChorus(speed, depth, value);
            break;
        case 5:
            mix = value;
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
