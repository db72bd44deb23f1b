#include "effects/units/neural_amp/wavenet_model.h"

#include <algorithm>
#include <cstring>

namespace ampliro::dsp {
namespace {

// Every buffer is frame-major: frame t's channels are buf[t*C .. t*C + C).
// Matrices are column-major so that the innermost loop runs down one
// contiguous column (out channels) and vectorises.

struct Layer {
    int dilation = 1;
    std::vector<float> conv;      // tap k, in j, out r at ((k * C) + j) * R + r
    std::vector<float> convBias;  // R
    std::vector<float> mixin;     // R: the condition (the dry input) into each row
    std::vector<float> mix;       // 1x1, C x C: in j, out r at j * C + r
    std::vector<float> mixBias;   // C
};

namespace portable {
#include "effects/units/neural_amp/wavenet_kernels.inc"
}  // namespace portable
#pragma GCC push_options
#pragma GCC target("avx2,fma")
namespace avx2 {
#include "effects/units/neural_amp/wavenet_kernels.inc"
}  // namespace avx2
#pragma GCC pop_options

using ConvolveFunction = void (*)(const float*, const float*, const float*, int, int, int,
                                  const float*, const float*, float*, float*, int);
using MixFunction = void (*)(const float*, const float*, int, const float*, const float*, float*,
                             float*, int);

// Any channel count, one frame and one multiply-add at a time.
template <bool kGated>
void ConvolveAnyWidth(const float* conv, const float* bias, const float* mixin, int K, int d, int C,
                      const float* cond, const float* in, float* top, float* bottom, int frames) {
    const int R = kGated ? 2 * C : C;
    for (int t = 0; t < frames; ++t) {
        for (int r = 0; r < R; ++r) {
            float acc = bias[r] + mixin[r] * cond[t];
            for (int k = 0; k < K; ++k) {
                const float* x = in + (t - d * (K - 1 - k)) * C;
                for (int j = 0; j < C; ++j) acc += conv[(k * C + j) * R + r] * x[j];
            }
            (r < C ? top + t * C + r : bottom + t * C + r - C)[0] = acc;
        }
    }
}

void MixAnyWidth(const float* mix, const float* mixBias, int C, const float* a, const float* in,
                 float* out, float* head, int frames) {
    for (int t = 0; t < frames; ++t)
        for (int r = 0; r < C; ++r) {
            float acc = in[t * C + r] + mixBias[r];
            for (int j = 0; j < C; ++j) acc += mix[j * C + r] * a[t * C + j];
            out[t * C + r] = acc;
            head[t * C + r] += a[t * C + r];
        }
}

struct Kernels {
    ConvolveFunction convolve;
    MixFunction mix;
};

// AVX2 with FMA where the processor has it: eight lanes when the channels
// divide by eight, else four; the baseline build works in four lanes.
template <int kC, bool kGated>
Kernels FixedWidth(bool avx) {
    constexpr int kWide = kC % 8 == 0 ? 8 : 4;
    if (avx) return {avx2::ConvolveFrames<kC, kWide, kGated>, avx2::MixFrames<kC, kWide>};
    return {portable::ConvolveFrames<kC, 4, kGated>, portable::MixFrames<kC, 4>};
}

template <bool kGated>
Kernels PickKernels(int channels) {
    const bool avx = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    switch (channels) {
        case 4:
            return FixedWidth<4, kGated>(avx);
        case 8:
            return FixedWidth<8, kGated>(avx);
        case 12:
            return FixedWidth<12, kGated>(avx);
        case 16:
            return FixedWidth<16, kGated>(avx);
        case 20:
            return FixedWidth<20, kGated>(avx);
        case 24:
            return FixedWidth<24, kGated>(avx);
        case 32:
            return FixedWidth<32, kGated>(avx);
        default:
            return {ConvolveAnyWidth<kGated>, MixAnyWidth};
    }
}

// out (rows x n) = m (rows x cols, column-major) * in (cols x n) + bias.
void MatrixTimesFrames(const float* m, const float* bias, int rows, int cols, const float* in,
                       float* out, int frames) {
    for (int t = 0; t < frames; ++t) {
        float* o = out + t * rows;
        const float* x = in + t * cols;
        for (int r = 0; r < rows; ++r) o[r] = bias ? bias[r] : 0.0f;
        for (int j = 0; j < cols; ++j)
            for (int r = 0; r < rows; ++r) o[r] += m[j * rows + r] * x[j];
    }
}

struct LayerArray {
    WaveNetLayerArraySpec spec;
    std::vector<Layer> layers;
    std::vector<float> rechannel;  // C x inputSize
    std::vector<float> head;       // headSize x C
    std::vector<float> headBias;   // headSize, zero when the file has none
    Kernels kernels{};
    int lookback = 0;                         // the most history any layer reads
    int capacity = 0;                         // frames per layer buffer
    int position = 0;                         // the block's first frame in every layer buffer
    std::vector<std::vector<float>> buffers;  // layer i's input, C x capacity
    std::vector<float> output;                // the last layer's output, C x block
    std::vector<float> headSum;               // C x block
    std::vector<float> headOutput;            // headSize x block
    std::vector<float> top, bottom;           // C x block each: the convolution's rows
};

// Reads n floats from the flat list in the file's row-major (out, in) order
// into a column-major rows x cols matrix.
const float* ReadMatrix(const float* w, int rows, int cols, std::vector<float>& m) {
    m.assign(static_cast<size_t>(rows) * cols, 0.0f);
    for (int r = 0; r < rows; ++r)
        for (int j = 0; j < cols; ++j) m[static_cast<size_t>(j) * rows + r] = *w++;
    return w;
}

const float* ReadVector(const float* w, int n, std::vector<float>& v) {
    v.assign(w, w + n);
    return w + n;
}

class WaveNetModel final : public NeuralModel {
  public:
    WaveNetModel(const std::vector<WaveNetLayerArraySpec>& specs, const float* w)
        : receptiveField_(WaveNetReceptiveField(specs)) {
        for (const auto& spec : specs) {
            LayerArray a;
            a.spec = spec;
            const int C = spec.channels;
            const int R = spec.gated ? 2 * C : C;
            w = ReadMatrix(w, C, spec.inputSize, a.rechannel);
            for (int dilation : spec.dilations) {
                Layer l;
                l.dilation = dilation;
                // The file's order is (out r, in j, tap k); ours is tap-major.
                l.conv.assign(static_cast<size_t>(spec.kernelSize) * C * R, 0.0f);
                for (int r = 0; r < R; ++r)
                    for (int j = 0; j < C; ++j)
                        for (int k = 0; k < spec.kernelSize; ++k)
                            l.conv[(static_cast<size_t>(k) * C + j) * R + r] = *w++;
                w = ReadVector(w, R, l.convBias);
                w = ReadVector(w, R, l.mixin);  // R x 1, the condition is mono
                w = ReadMatrix(w, C, C, l.mix);
                w = ReadVector(w, C, l.mixBias);
                a.lookback = std::max(a.lookback, dilation * (spec.kernelSize - 1));
                a.layers.push_back(std::move(l));
            }
            w = ReadMatrix(w, spec.headSize, C, a.head);
            if (spec.headBias)
                w = ReadVector(w, spec.headSize, a.headBias);
            else
                a.headBias.assign(spec.headSize, 0.0f);
            a.kernels = spec.gated ? PickKernels<true>(C) : PickKernels<false>(C);
            arrays_.push_back(std::move(a));
        }
        headScale_ = *w;
    }

    int PrewarmFrames() const override { return receptiveField_; }

  protected:
    void Allocate(int maxBlock) override {
        for (auto& a : arrays_) {
            const int C = a.spec.channels;
            // Room for many blocks past the history, so that moving the
            // history back to the start happens once every few thousand frames.
            a.capacity = a.lookback + std::max(4096, 4 * maxBlock);
            a.buffers.assign(a.layers.size(), std::vector<float>(size_t(a.capacity) * C, 0.0f));
            a.output.assign(size_t(maxBlock) * C, 0.0f);
            a.headSum.assign(size_t(maxBlock) * C, 0.0f);
            a.headOutput.assign(size_t(maxBlock) * a.spec.headSize, 0.0f);
            a.top.assign(size_t(maxBlock) * C, 0.0f);
            a.bottom.assign(a.spec.gated ? size_t(maxBlock) * C : 0, 0.0f);
        }
    }

    void RestoreStartState() override {
        for (auto& a : arrays_) {
            for (auto& b : a.buffers) std::fill(b.begin(), b.end(), 0.0f);
            a.position = a.lookback;
        }
    }

    void Run(const float* in, float* out, int frames) override {
        const float* arrayInput = in;
        const float* headInput = nullptr;
        for (auto& a : arrays_) {
            const int C = a.spec.channels;
            if (a.position + frames > a.capacity) {
                const size_t keep = size_t(a.lookback) * C;
                for (auto& b : a.buffers)
                    std::memmove(b.data(), b.data() + (size_t(a.position) * C - keep),
                                 keep * sizeof(float));
                a.position = a.lookback;
            }
            const size_t at = size_t(a.position) * C;
            MatrixTimesFrames(a.rechannel.data(), nullptr, C, a.spec.inputSize, arrayInput,
                              a.buffers[0].data() + at, frames);
            if (headInput)
                std::copy_n(headInput, size_t(frames) * C, a.headSum.data());
            else
                std::fill_n(a.headSum.data(), size_t(frames) * C, 0.0f);
            for (size_t i = 0; i < a.layers.size(); ++i) {
                const Layer& l = a.layers[i];
                const float* src = a.buffers[i].data() + at;
                float* dst =
                    i + 1 < a.layers.size() ? a.buffers[i + 1].data() + at : a.output.data();
                a.kernels.convolve(l.conv.data(), l.convBias.data(), l.mixin.data(),
                                   a.spec.kernelSize, l.dilation, C, in, src, a.top.data(),
                                   a.bottom.data(), frames);
                const int n = C * frames;
                Activate(a.spec.activation, a.top.data(), n);
                if (a.spec.gated) {
                    Activate(Activation::kSigmoid, a.bottom.data(), n);
                    Eigen::Map<Eigen::ArrayXf>(a.top.data(), n) *=
                        Eigen::Map<const Eigen::ArrayXf>(a.bottom.data(), n);
                }
                a.kernels.mix(l.mix.data(), l.mixBias.data(), C, a.top.data(), src, dst,
                              a.headSum.data(), frames);
            }
            MatrixTimesFrames(a.head.data(), a.headBias.data(), a.spec.headSize, C,
                              a.headSum.data(), a.headOutput.data(), frames);
            a.position += frames;
            arrayInput = a.output.data();
            headInput = a.headOutput.data();
        }
        for (int t = 0; t < frames; ++t) out[t] = headScale_ * headInput[t];
    }

  private:
    std::vector<LayerArray> arrays_;
    float headScale_ = 1.0f;
    int receptiveField_ = 1;
};

}  // namespace

size_t WaveNetWeightCount(const std::vector<WaveNetLayerArraySpec>& arrays) {
    size_t n = 0;
    for (const auto& a : arrays) {
        const size_t C = a.channels;
        const size_t R = a.gated ? 2 * C : C;
        n += C * a.inputSize;
        n += a.dilations.size() * (a.kernelSize * C * R + R + R * a.conditionSize + C * C + C);
        n += size_t(a.headSize) * C + (a.headBias ? a.headSize : 0);
    }
    return n + 1;
}

int WaveNetReceptiveField(const std::vector<WaveNetLayerArraySpec>& arrays) {
    int field = 1;
    for (const auto& a : arrays)
        for (int d : a.dilations) field += d * (a.kernelSize - 1);
    return field;
}

std::unique_ptr<NeuralModel> MakeWaveNet(const std::vector<WaveNetLayerArraySpec>& arrays,
                                         const float* weights) {
    return std::make_unique<WaveNetModel>(arrays, weights);
}

}  // namespace ampliro::dsp
