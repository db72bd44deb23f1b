#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/units/convolver/partitioned_convolver.h"

namespace ampliro::dsp {
namespace {

// A deterministic noise in [-1, 1): the input and responses of the tests.
std::vector<float> Noise(int32_t length, uint32_t seed) {
    std::vector<float> v(static_cast<size_t>(length));
    for (float& s : v) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<float>(static_cast<int32_t>(seed >> 8) - (1 << 23)) / (1 << 23);
    }
    return v;
}

// A decaying noise, shaped like a cabinet's response.
std::vector<float> Response(int32_t length) {
    std::vector<float> h = Noise(length, 7);
    for (int32_t i = 0; i < length; ++i) h[i] *= std::exp(-4.0f * i / length);
    return h;
}

std::vector<double> DirectConvolution(const std::vector<float>& x, const std::vector<float>& h) {
    std::vector<double> y(x.size(), 0.0);
    for (size_t n = 0; n < x.size(); ++n)
        for (size_t t = 0; t < h.size() && t <= n; ++t) y[n] += double{h[t]} * x[n - t];
    return y;
}

std::vector<float> Convolve(const std::vector<float>& x, const std::vector<float>& h,
                            int32_t block) {
    PartitionedConvolver conv;
    EXPECT_TRUE(conv.Init(h));
    std::vector<float> y(x.size());
    for (size_t at = 0; at < x.size(); at += static_cast<size_t>(block)) {
        const auto count = static_cast<int32_t>(std::min<size_t>(block, x.size() - at));
        conv.Process(x.data() + at, y.data() + at, count);
    }
    return y;
}

// Against a plain convolution in double: every block size the audio side
// meets, responses that end in the head, in each stage and well into the
// last one. Float rounding bounds the error by a few ulps of the sum of
// |h[t] x[n - t]|, which is at most sum |h| for inputs in [-1, 1).
TEST(PartitionedConvolverTest, AgreesWithDirectConvolutionAtEveryBlockSize) {
    const int32_t lengths[] = {1, 64, 65, 700, 3000, 8192, 20000};
    const int32_t blocks[] = {1, 63, 64, 96, 448, 1000, 4096};
    const std::vector<float> x = Noise(30000, 3);
    for (int32_t length : lengths) {
        const std::vector<float> h = Response(length);
        const std::vector<double> want = DirectConvolution(x, h);
        double l1 = 0;
        for (float v : h) l1 += std::fabs(v);
        const std::vector<float> at64 = Convolve(x, h, 64);
        for (int32_t block : blocks) {
            const std::vector<float> got = Convolve(x, h, block);
            // The work is cut at the same points of the stream whatever the
            // block size, so the output is the same to the bit.
            EXPECT_EQ(got, at64) << "length " << length << " block " << block;
            double worst = 0;
            for (size_t n = 0; n < x.size(); ++n)
                worst = std::max(worst, std::fabs(got[n] - want[n]));
            EXPECT_LT(worst, 2e-6 * l1) << "length " << length << " block " << block;
        }
    }
}

// A unit impulse at any point of the stream, at any block size, gives the
// response back from that very sample on: no latency.
TEST(PartitionedConvolverTest, ImpulseComesOutAtItsOwnSample) {
    const std::vector<float> h = Response(5000);
    for (int32_t block : {1, 63, 64, 96, 448, 1000}) {
        for (int32_t at : {0, 1, 63, 64, 4095, 4097}) {
            std::vector<float> x(12000, 0.0f);
            x[static_cast<size_t>(at)] = 1.0f;
            const std::vector<float> y = Convolve(x, h, block);
            for (int32_t n = 0; n < at; ++n) ASSERT_EQ(y[n], 0.0f) << block << " " << at;
            EXPECT_FLOAT_EQ(y[at], h[0]) << block << " " << at;
            for (int32_t t = 1; t < 5000; t += 499)
                EXPECT_NEAR(y[at + t], h[t], 1e-6) << block << " " << at << " " << t;
            EXPECT_NEAR(y[at + 5000], 0.0f, 1e-6) << block << " " << at;
        }
    }
}

// In place, after Reset, and with no response at all.
TEST(PartitionedConvolverTest, InPlaceResetAndEmptyResponse) {
    const std::vector<float> h = Response(3000);
    const std::vector<float> x = Noise(5000, 11);
    const std::vector<float> want = Convolve(x, h, 96);
    PartitionedConvolver conv;
    ASSERT_TRUE(conv.Init(h));
    std::vector<float> y = Noise(777, 5);
    conv.Process(y.data(), y.data(), 777);
    conv.Reset();
    y = x;
    for (size_t at = 0; at < y.size(); at += 96)
        conv.Process(y.data() + at, y.data() + at,
                     static_cast<int32_t>(std::min<size_t>(96, y.size() - at)));
    EXPECT_EQ(y, want);

    PartitionedConvolver empty;
    ASSERT_TRUE(empty.Init({}));
    y = x;
    empty.Process(y.data(), y.data(), 5000);
    EXPECT_EQ(y, std::vector<float>(5000, 0.0f));
}

}  // namespace
}  // namespace ampliro::dsp
