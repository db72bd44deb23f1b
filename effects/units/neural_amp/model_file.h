// Reads a Neural Amp Modeler file (.nam, JSON) from its text into a model
// ready to Prepare, or a message a player can read. Versions 0.5.x;
// architectures WaveNet, LSTM and Linear. Never throws.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "effects/units/neural_amp/neural_model.h"

namespace ampliro::dsp {

struct NeuralModelInfo {
    std::string architecture;
    double sampleRate = 48000.0;  // the file's, 48 kHz when it names none
    // From the file's metadata when present: the model's output loudness
    // (dB) on the trainer's standard signal, and the rig's levels in dBu.
    std::optional<double> loudness;
    std::optional<double> inputLevelDbu;
    std::optional<double> outputLevelDbu;
};

struct NeuralModelFile {
    std::unique_ptr<NeuralModel> model;  // null when the file is refused
    NeuralModelInfo info;
    std::string error;  // why it was refused; empty when it loaded
};

// Allocates: call it off the audio thread.
NeuralModelFile ReadNeuralModelFile(std::string_view text);

}  // namespace ampliro::dsp
