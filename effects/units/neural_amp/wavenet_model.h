// WaveNet amp models: stacks ("layer arrays") of dilated causal
// convolutions with residual paths, each array summing its layers'
// activations into a head that feeds the next array's head.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "effects/units/neural_amp/activation.h"
#include "effects/units/neural_amp/neural_model.h"

namespace ampliro::dsp {

struct WaveNetLayerArraySpec {
    int inputSize = 1;
    int conditionSize = 1;
    int headSize = 1;
    int channels = 1;
    int kernelSize = 1;
    std::vector<int> dilations;
    Activation activation = Activation::kTanh;
    bool gated = false;
    bool headBias = false;
};

// The flat weight list's length for these arrays, head scale included.
size_t WaveNetWeightCount(const std::vector<WaveNetLayerArraySpec>& arrays);
// The samples one output depends on: 1 + the sum of (kernel - 1) x dilation.
int WaveNetReceptiveField(const std::vector<WaveNetLayerArraySpec>& arrays);

// weights holds exactly WaveNetWeightCount(arrays) finite values, in the
// order of the file: per array the input rechannel, per layer the dilated
// convolution (out, in, tap) and its bias, the input mix-in, the 1x1 and
// its bias, then the head rechannel (and bias); last the head scale.
std::unique_ptr<NeuralModel> MakeWaveNet(const std::vector<WaveNetLayerArraySpec>& arrays,
                                         const float* weights);

}  // namespace ampliro::dsp
