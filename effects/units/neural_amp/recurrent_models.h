// The two models that are not WaveNets: an LSTM stack with a linear head,
// and a plain FIR ("Linear").
#pragma once

#include <cstddef>
#include <memory>

#include "effects/units/neural_amp/neural_model.h"

namespace ampliro::dsp {

// Per layer: the (4H) x (in + H) gate matrix row-major (input, forget,
// cell, output gate rows; input columns then hidden ones), the 4H summed
// biases, the start hidden state (H) and cell state (H); then the head's H
// weights and its bias. Layer 0 takes the mono input, the others the
// hidden state below.
size_t LstmWeightCount(int layers, int hidden);
// The model starts from the stored states and then hears silence for half a
// second at its own rate, the start the format's reference player gives it.
std::unique_ptr<NeuralModel> MakeLstm(int layers, int hidden, double sampleRate,
                                      const float* weights);

// y[n] = bias + sum over i of weights[i] x[n - i], i < length.
size_t LinearWeightCount(int length, bool bias);
std::unique_ptr<NeuralModel> MakeLinear(int length, bool bias, const float* weights);

}  // namespace ampliro::dsp
