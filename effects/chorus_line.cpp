#include "effects/chorus_line.h"

#include <algorithm>
#include <new>

#include "effects/block_kernels.h"
#include "effects/record_io.h"
#include "effects/vector_clones.h"

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

namespace {

// v -> p in place, with frac[i] beside it: m = v depth in Q15 (|m| <= 32767
// x 64), its floor mi and fraction, and the tap p = w - depth + mi - 6 for the
// write position w = start + i, both wrapped into the line. The sweep stays
// within 6 to 2 depth + 6 samples back, far less than the line, so one wrap
// each is enough; count is at most one LFO chunk, shorter than the line too.
AMPLIRO_VECTOR_CLONES
void Taps(int32_t* __restrict taps, int32_t* __restrict fracs, int32_t count, int32_t depth,
          int32_t start, int32_t length) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t m = taps[i] * depth;
        const int32_t mi = m >> 15;
        fracs[i] = m & 0x7FFF;
        int32_t w = start + i;
        w = w >= length ? w - length : w;
        const int32_t p = w - depth + mi - 6;
        taps[i] = p < 0 ? p + length : p;
    }
}

}  // namespace

// wet[i] = (x + delayed) >> 1 for x = dry[i], truncated to int; the line
// takes x plus feedback x that average. The taps come first for the chunk:
// they depend on the LFO only.
void ChorusLine::Run(const int32_t* dry, int32_t* wet, int32_t count, int32_t d, int64_t fb) {
    int32_t* line = buffer.get();
    if (line == nullptr) {
        for (int32_t i = 0; i < count; ++i) wet[i] = 0;
        return;
    }
    // The line's length is a power of two, so stepping on wraps by a mask.
    static_assert((kBufferLength & (kBufferLength - 1)) == 0);
    constexpr int32_t kWrap = kBufferLength - 1;
    int32_t taps[WavetableLfo::kChunk], fracs[WavetableLfo::kChunk];
    lfo.Fill(taps, count);
    Taps(taps, fracs, count, d, writePos, kBufferLength);
    int32_t w = writePos;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = dry[i];
        const int32_t p = taps[i];
        const int32_t q = (p + 1) & kWrap;
        const int64_t frac = fracs[i];
        const int64_t delayed = (line[p] * (32768 - frac) + line[q] * frac) >> 15;
        const int64_t y = (x + delayed) >> 1;
        line[w] = static_cast<int32_t>(x + ((fb * y) >> 6));
        w = (w + 1) & kWrap;
        wet[i] = static_cast<int32_t>(y);
    }
    writePos = w;
}

int32_t ChorusLine::Chorus(int32_t x) {
    int32_t wet = 0;
    Run(&x, &wet, 1, depth, feedback);
    return ClipSample(wet);
}

void ChorusLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (clearPending && buffer) {
        std::fill_n(buffer.get(), kBufferLength, 0);
        clearPending = 0;
    }
    if (Bypassed(count)) return;
    const int32_t lvl = level, wetShare = mix, d = depth;
    const int64_t fb = feedback;
    int32_t dry[WavetableLfo::kChunk], wet[WavetableLfo::kChunk];
    int16_t clipped[WavetableLfo::kChunk];
    for (int32_t done = 0; done < count; done += WavetableLfo::kChunk) {
        const int32_t n = std::min(count - done, WavetableLfo::kChunk);
        ScaleLevel(samples + done, dry, n, lvl);
        Run(dry, wet, n, d, fb);
        ClipBlock(*this, wet, clipped, n);
        MixWetDry(samples + done, clipped, dry, n, wetShare);
    }
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
