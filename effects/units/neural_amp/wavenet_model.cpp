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

// One dilated layer over n frames, at compile-time channel count kC when
// kC > 0 (the common sizes) or the run-time one otherwise. R = 2C rows when
// gated: the top half through the activation times the sigmoid of the
// bottom half.
//   z = conv(in) + bias + mixin * cond;  a = act(z) (gated: act(top) * sig(bottom))
//   head += a;  out = in + mix * a + mixBias
struct LayerRun {
    const Layer* layer;
    int channels;
    int kernel;
    Activation activation;
    const float* cond;
    const float* in;  // frame 0 of the block; history lies before it
    float* out;
    float* z;
    float* head;
    int frames;
};

template <int kC, bool kGated>
void RunLayer(const LayerRun& run) {
    const int C = kC > 0 ? kC : run.channels;
    const int R = kGated ? 2 * C : C;
    const int K = run.kernel;
    const int d = run.layer->dilation;
    const float* __restrict conv = run.layer->conv.data();
    const float* __restrict bias = run.layer->convBias.data();
    const float* __restrict mixin = run.layer->mixin.data();
    for (int t = 0; t < run.frames; ++t) {
        float* __restrict zt = run.z + t * R;
        const float c = run.cond[t];
        for (int r = 0; r < R; ++r) zt[r] = bias[r] + mixin[r] * c;
        for (int k = 0; k < K; ++k) {
            const float* __restrict x = run.in + (t - d * (K - 1 - k)) * C;
            const float* __restrict wk = conv + k * C * R;
            for (int j = 0; j < C; ++j) {
                const float xj = x[j];
                const float* __restrict w = wk + j * R;
                for (int r = 0; r < R; ++r) zt[r] += w[r] * xj;
            }
        }
    }
    if (!kGated) {
        Activate(run.activation, run.z, R * run.frames);
    } else {
        for (int t = 0; t < run.frames; ++t) {
            float* zt = run.z + t * R;
            Activate(run.activation, zt, C);
            Activate(Activation::kSigmoid, zt + C, C);
            for (int r = 0; r < C; ++r) zt[r] *= zt[C + r];
        }
    }
    const float* __restrict mix = run.layer->mix.data();
    const float* __restrict mixBias = run.layer->mixBias.data();
    for (int t = 0; t < run.frames; ++t) {
        const float* __restrict zt = run.z + t * R;
        const float* __restrict xt = run.in + t * C;
        float* __restrict ot = run.out + t * C;
        float* __restrict ht = run.head + t * C;
        for (int r = 0; r < C; ++r) {
            ot[r] = xt[r] + mixBias[r];
            ht[r] += zt[r];
        }
        for (int j = 0; j < C; ++j) {
            const float zj = zt[j];
            const float* __restrict w = mix + j * C;
            for (int r = 0; r < C; ++r) ot[r] += w[r] * zj;
        }
    }
}

using LayerFunction = void (*)(const LayerRun&);

template <bool kGated>
LayerFunction PickLayerFunction(int channels) {
    switch (channels) {
        case 1:
            return RunLayer<1, kGated>;
        case 2:
            return RunLayer<2, kGated>;
        case 3:
            return RunLayer<3, kGated>;
        case 4:
            return RunLayer<4, kGated>;
        case 6:
            return RunLayer<6, kGated>;
        case 8:
            return RunLayer<8, kGated>;
        case 12:
            return RunLayer<12, kGated>;
        case 16:
            return RunLayer<16, kGated>;
        case 20:
            return RunLayer<20, kGated>;
        case 24:
            return RunLayer<24, kGated>;
        case 32:
            return RunLayer<32, kGated>;
        default:
            return RunLayer<0, kGated>;
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
    LayerFunction runLayer = nullptr;
    int lookback = 0;                         // the most history any layer reads
    int capacity = 0;                         // frames per layer buffer
    int position = 0;                         // the block's first frame in every layer buffer
    std::vector<std::vector<float>> buffers;  // layer i's input, C x capacity
    std::vector<float> output;                // the last layer's output, C x block
    std::vector<float> headSum;               // C x block
    std::vector<float> headOutput;            // headSize x block
    std::vector<float> z;                     // R x block
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
            a.runLayer = spec.gated ? PickLayerFunction<true>(C) : PickLayerFunction<false>(C);
            arrays_.push_back(std::move(a));
        }
        headScale_ = *w;
    }

    int PrewarmFrames() const override { return receptiveField_; }

  protected:
    void Allocate(int maxBlock) override {
        for (auto& a : arrays_) {
            const int C = a.spec.channels;
            const size_t R = a.spec.gated ? 2 * C : C;
            // Room for many blocks past the history, so that moving the
            // history back to the start happens once every few thousand frames.
            a.capacity = a.lookback + std::max(4096, 4 * maxBlock);
            a.buffers.assign(a.layers.size(), std::vector<float>(size_t(a.capacity) * C, 0.0f));
            a.output.assign(size_t(maxBlock) * C, 0.0f);
            a.headSum.assign(size_t(maxBlock) * C, 0.0f);
            a.headOutput.assign(size_t(maxBlock) * a.spec.headSize, 0.0f);
            a.z.assign(size_t(maxBlock) * R, 0.0f);
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
                float* dst =
                    i + 1 < a.layers.size() ? a.buffers[i + 1].data() + at : a.output.data();
                a.runLayer({&a.layers[i], C, a.spec.kernelSize, a.spec.activation, in,
                            a.buffers[i].data() + at, dst, a.z.data(), a.headSum.data(), frames});
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
