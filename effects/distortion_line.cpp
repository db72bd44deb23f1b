#include "effects/distortion_line.h"

#include <algorithm>
#include <cmath>

#include "effects/record_io.h"
#include "effects/vector_clones.h"

namespace ampliro {
namespace {

// Samples per pass of the block kernels; their buffers live on the stack.
constexpr int32_t kChunk = 256;

// Clip for drive in 0..64 and threshold t in 0..32767, in 32-bit lanes.
// Both gain stages are non-decreasing and never pull a value toward zero,
// so an input beyond the 16-bit range gives the same output as the range's
// end: after the drive it is still at or beyond +-32767 and the first
// k-stage clamps it to +-t either way. The same holds for the driven value
// a before the first k-stage. With x and a held to 16 bits, drive x < 2^21
// and k a, k b <= 2^30 (k = 32768 - t <= 32768).
AMPLIRO_VECTOR_CLONES
void ClipNarrow(const int32_t* in, int16_t* out, int32_t count, int32_t drive, int32_t t) {
    const int32_t k = 32768 - t;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = std::clamp(in[i], -32768, 32767);
        const int32_t a = std::clamp(x + ((drive * x) >> 6), -32768, 32767);
        const int32_t b = std::clamp(a + ((k * a) >> 15), -t, t);
        const int32_t c = b + ((k * b) >> 15);
        out[i] = static_cast<int16_t>(std::clamp(c, -32768, 32767));
    }
}

}  // namespace

DistortionLine::DistortionLine() {
    name = "Overdrive";
    imageIndex = 7;
    level = 64;
}

int DistortionLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    toneStack.Design(880, 5000, rate);
    WriteToneGains();
    BuildPanel();
    return 1;
}

// No level slider and no peak lamp: the clipper has neither.
void DistortionLine::BuildPanel() {
    AddPowerLamp();
    AddFootSwitch();
    static constexpr int32_t kCentre[5][2] = {
        {120, 41}, {188, 41}, {50, 113}, {120, 113}, {188, 113}};
    const int32_t values[5] = {drive, saturation, bass, middle, treble};
    for (int i = 0; i < 5; ++i) {
        const int32_t side = StripWidth(i < 2 ? kStrip131 : kStrip129);
        AddKnob(knobs[i], static_cast<uint16_t>(i + 1), kCentre[i][0], kCentre[i][1], kStrip131, 0,
                64, values[i], side);
    }
}

int32_t DistortionLine::ThresholdFor(int32_t saturationValue) {
    const float v = static_cast<float>(saturationValue) * (1.0f / 64);
    const float q = v * v;
    const int32_t t = TruncToInt32(std::pow(2.0, -8.0 * q) * -28672.0);
    // t lies in -28672..0, so only the upper clamp can act (saturation 0).
    return std::min(4096 - t, 32767);
}

void DistortionLine::SetSaturation(int32_t value) {
    saturation = ClampInt(value, 0, 64);
    threshold = ThresholdFor(saturation);
}

void DistortionLine::SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain) {
    bass = ClampInt(bassGain, 0, 64);
    middle = ClampInt(middleGain, 0, 64);
    treble = ClampInt(trebleGain, 0, 64);
    WriteToneGains();
}

void DistortionLine::WriteToneGains() {
    toneStack.lowGain = bass;
    toneStack.midGain = middle;
    toneStack.highGain = treble;
}

// Drive gives a gain of 1..2; each of the two k-stages a further 1..1.87,
// steeper as the threshold falls, so a lower threshold keeps the clipped
// output loud.
int32_t DistortionLine::Clip(int32_t x) const {
    const int64_t t = threshold;
    const int64_t k = 32768 - t;
    const int64_t a = x + ((drive * static_cast<int64_t>(x)) >> 6);
    int64_t b = a + ((k * a) >> 15);
    if (b > t) b = t;
    if (b < -t) b = -t;
    const int64_t c = b + ((k * b) >> 15);
    return Saturate16(c);
}

void DistortionLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    const int32_t gain = drive, clipLevel = threshold;
    // The setters keep drive in 0..64 and the threshold in 4096..32767.
    const bool narrow = gain >= 0 && gain <= 64 && clipLevel >= 0 && clipLevel <= 32767;
    const ToneStack::Gains toneGains = toneStack.LoadGains();
    int32_t toned[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        toneStack.Run(block, toned, n, toneGains);
        if (narrow) {
            ClipNarrow(toned, block, n, gain, clipLevel);
        } else {
            for (int32_t i = 0; i < n; ++i) block[i] = static_cast<int16_t>(Clip(toned[i]));
        }
    }
}

int DistortionLine::Load(std::FILE* file) {
    int32_t fields[8] = {level, mix, enabled, bass, middle, treble, saturation, drive};
    for (int32_t& f : fields) ReadInt32(file, f);
    level = ClampInt(fields[0], 0, 64);
    mix = ClampInt(fields[1], 0, 64);
    enabled = fields[2] != 0;
    SetTone(fields[3], fields[4], fields[5]);
    SetSaturation(fields[6]);
    SetDrive(fields[7]);
    return 1;
}

int DistortionLine::Save(std::FILE* file) {
    const int32_t fields[8] = {level, mix, enabled, bass, middle, treble, saturation, drive};
    for (int32_t f : fields) WriteInt32(file, f);
    return 1;
}

void DistortionLine::OnControl(int32_t id, int32_t value) {
    switch (id) {
        case 1:
            SetDrive(value);
            break;
        case 2:
            SetSaturation(value);
            break;
        case 3:
            SetTone(value, middle, treble);
            break;
        case 4:
            SetTone(bass, value, treble);
            break;
        case 5:
            SetTone(bass, middle, value);
            break;
        default:
            Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
