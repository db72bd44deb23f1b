#include "effects/units/neural_amp/recurrent_models.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ampliro::dsp {
namespace {

float Sigmoid(float x) {
    return 1.0f / (1.0f + std::exp(-x));
}

// Per sample and layer, with x the layer's input and h, c its states:
//   [i f g o] = W [x; h] + b
//   c = sigmoid(f) c + sigmoid(i) tanh(g),   h = sigmoid(o) tanh(c)
// and the output is head . h(top layer) + headBias.
class LstmModel final : public NeuralModel {
  public:
    LstmModel(int layers, int hidden, double sampleRate, const float* w)
        : hidden_(hidden), prewarm_(static_cast<int>(std::lround(0.5 * sampleRate))) {
        for (int l = 0; l < layers; ++l) {
            Cell cell;
            cell.inputs = l == 0 ? 1 : hidden;
            const int cols = cell.inputs + hidden;
            // Stored transposed (column-major) so a gate update is a run of
            // contiguous multiply-adds down one column.
            cell.weights.assign(size_t(4) * hidden * cols, 0.0f);
            for (int r = 0; r < 4 * hidden; ++r)
                for (int j = 0; j < cols; ++j) cell.weights[size_t(j) * 4 * hidden + r] = *w++;
            cell.bias.assign(w, w + 4 * hidden);
            w += 4 * hidden;
            cell.startHidden.assign(w, w + hidden);
            w += hidden;
            cell.startCell.assign(w, w + hidden);
            w += hidden;
            cell.hidden = cell.startHidden;
            cell.cell = cell.startCell;
            cells_.push_back(std::move(cell));
        }
        head_.assign(w, w + hidden);
        headBias_ = w[hidden];
        gates_.assign(size_t(4) * hidden, 0.0f);
    }

    int PrewarmFrames() const override { return prewarm_; }

  protected:
    void Allocate(int) override {}

    void RestoreStartState() override {
        for (auto& cell : cells_) {
            cell.hidden = cell.startHidden;
            cell.cell = cell.startCell;
        }
    }

    void Run(const float* in, float* out, int frames) override {
        const int H = hidden_;
        float* g = gates_.data();
        for (int t = 0; t < frames; ++t) {
            const float* x = in + t;
            for (auto& cell : cells_) {
                std::copy(cell.bias.begin(), cell.bias.end(), g);
                const float* w = cell.weights.data();
                for (int j = 0; j < cell.inputs + H; ++j, w += 4 * H) {
                    const float v = j < cell.inputs ? x[j] : cell.hidden[j - cell.inputs];
                    for (int r = 0; r < 4 * H; ++r) g[r] += w[r] * v;
                }
                for (int i = 0; i < H; ++i) {
                    cell.cell[i] =
                        Sigmoid(g[H + i]) * cell.cell[i] + Sigmoid(g[i]) * std::tanh(g[2 * H + i]);
                    cell.hidden[i] = Sigmoid(g[3 * H + i]) * std::tanh(cell.cell[i]);
                }
                x = cell.hidden.data();
            }
            float y = headBias_;
            for (int i = 0; i < H; ++i) y += head_[i] * x[i];
            out[t] = y;
        }
    }

  private:
    struct Cell {
        int inputs = 1;
        std::vector<float> weights, bias, startHidden, startCell, hidden, cell;
    };
    std::vector<Cell> cells_;
    std::vector<float> head_;
    std::vector<float> gates_;
    float headBias_ = 0.0f;
    int hidden_ = 1;
    int prewarm_ = 0;
};

// The input history is a line of length + block frames; the newest `length
// - 1` frames move back to its start once the block is done.
class LinearModel final : public NeuralModel {
  public:
    LinearModel(int length, bool bias, const float* w)
        : taps_(w, w + length), bias_(bias ? w[length] : 0.0f) {}

    int PrewarmFrames() const override { return 0; }

  protected:
    void Allocate(int maxBlock) override {
        line_.assign(taps_.size() - 1 + size_t(maxBlock), 0.0f);
    }
    void RestoreStartState() override { std::fill(line_.begin(), line_.end(), 0.0f); }

    void Run(const float* in, float* out, int frames) override {
        const size_t history = taps_.size() - 1;
        std::copy_n(in, frames, line_.data() + history);
        for (int t = 0; t < frames; ++t) {
            const float* newest = line_.data() + history + t;
            float y = bias_;
            for (size_t i = 0; i < taps_.size(); ++i) y += taps_[i] * newest[-std::ptrdiff_t(i)];
            out[t] = y;
        }
        std::copy_n(line_.data() + frames, history, line_.data());
    }

  private:
    std::vector<float> taps_;
    std::vector<float> line_;
    float bias_;
};

}  // namespace

size_t LstmWeightCount(int layers, int hidden) {
    size_t n = 0;
    for (int l = 0; l < layers; ++l) {
        const size_t inputs = l == 0 ? 1 : hidden;
        n += size_t(4) * hidden * (inputs + hidden) + size_t(4) * hidden + 2 * size_t(hidden);
    }
    return n + hidden + 1;
}

std::unique_ptr<NeuralModel> MakeLstm(int layers, int hidden, double sampleRate,
                                      const float* weights) {
    return std::make_unique<LstmModel>(layers, hidden, sampleRate, weights);
}

size_t LinearWeightCount(int length, bool bias) {
    return size_t(length) + (bias ? 1 : 0);
}

std::unique_ptr<NeuralModel> MakeLinear(int length, bool bias, const float* weights) {
    return std::make_unique<LinearModel>(length, bias, weights);
}

}  // namespace ampliro::dsp
