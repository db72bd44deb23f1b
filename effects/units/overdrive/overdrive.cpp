#include "effects/units/overdrive/overdrive.h"

#include <algorithm>
#include <cmath>

#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {
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

void Overdrive::Init(int32_t sampleRate) {
    const ToneStack::Gains gains = tone_.LoadGains();
    tone_.Design(880, 5000, sampleRate);
    SetTone(gains.low, gains.mid, gains.high);
}

void Overdrive::SetTone(int32_t bass, int32_t middle, int32_t treble) {
    tone_.lowGain = bass;
    tone_.midGain = middle;
    tone_.highGain = treble;
}

int32_t Overdrive::ThresholdFor(int32_t saturation) {
    const float v = static_cast<float>(saturation) * (1.0f / 64);
    const float q = v * v;
    const int32_t t = TruncToInt32(std::pow(2.0, -8.0 * q) * -28672.0);
    // t lies in -28672..0, so only the upper clamp can act (saturation 0).
    return std::min(4096 - t, 32767);
}

// Drive gives a gain of 1..2; each of the two k-stages a further 1..1.87,
// steeper as the threshold falls, so a lower threshold keeps the clipped
// output loud.
int32_t Overdrive::Clip(int32_t x) const {
    const int64_t t = threshold_;
    const int64_t k = 32768 - t;
    const int64_t a = x + ((drive_ * static_cast<int64_t>(x)) >> 6);
    const int64_t b = std::clamp(a + ((k * a) >> 15), -t, t);
    const int64_t c = b + ((k * b) >> 15);
    return Saturate16(c);
}

void Overdrive::Process(int16_t* block, size_t count) {
    const int32_t drive = drive_, t = threshold_;
    const ToneStack::Gains gains = tone_.LoadGains();
    const int32_t total = static_cast<int32_t>(count);
    int32_t toned[kChunk];
    for (int32_t start = 0; start < total; start += kChunk) {
        const int32_t n = std::min(kChunk, total - start);
        tone_.Run(block + start, toned, n, gains);
        ClipNarrow(toned, block + start, n, drive, t);
    }
}

}  // namespace ampliro::dsp
