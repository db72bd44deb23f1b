#include "effects/units/neural_amp/model_file.h"

#include <cmath>
#include <new>
#include <nlohmann/json.hpp>
#include <vector>

#include "effects/units/neural_amp/recurrent_models.h"
#include "effects/units/neural_amp/wavenet_model.h"

namespace ampliro::dsp {
namespace {

using Json = nlohmann::json;

// Limits far above any published model and far below what would exhaust
// memory: a standard WaveNet has 16 channels, dilations up to 512, 20 layers.
constexpr int kMostChannels = 64;
constexpr int kLongestKernel = 16;
constexpr int kLongestDilation = 32768;
constexpr int kMostLayersPerArray = 64;
constexpr int kMostLayerArrays = 8;
constexpr int kLongestReceptiveField = 1 << 18;
constexpr double kMostBufferBytes = 256.0 * 1024 * 1024;
constexpr int kMostLstmHidden = 256;
constexpr int kMostLstmLayers = 8;
constexpr int kLongestLinear = 1 << 16;

// The first problem found wins; later checks are skipped once it is set.
struct Reader {
    std::string error;

    bool Fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return false;
    }

    const Json* Field(const Json& object, const char* key) {
        auto it = object.find(key);
        if (it == object.end() || it->is_null()) {
            Fail(std::string("The model file is incomplete: it has no '") + key + "'.");
            return nullptr;
        }
        return &*it;
    }

    bool Int(const Json& object, const char* key, int low, int high, int& out) {
        const Json* v = Field(object, key);
        if (!v) return false;
        if (!v->is_number_integer())
            return Fail(std::string("The model file is damaged: '") + key +
                        "' is not a whole number.");
        const auto value = v->get<long long>();
        if (value < low || value > high)
            return Fail("The model is too large or malformed to play: '" + std::string(key) +
                        "' is " + std::to_string(value) + " (allowed " + std::to_string(low) +
                        " to " + std::to_string(high) + ").");
        out = static_cast<int>(value);
        return true;
    }

    bool Bool(const Json& object, const char* key, bool& out) {
        const Json* v = Field(object, key);
        if (!v) return false;
        if (!v->is_boolean())
            return Fail(std::string("The model file is damaged: '") + key +
                        "' is not true or false.");
        out = v->get<bool>();
        return true;
    }

    // A list of 1 to `most` entries, called `what` in the message.
    const Json* List(const Json& object, const char* key, int most, const char* what) {
        const Json* v = Field(object, key);
        if (!v) return nullptr;
        if (!v->is_array() || v->empty() || v->size() > size_t(most)) {
            Fail(std::string("The model file is damaged: '") + key + "' must list 1 to " +
                 std::to_string(most) + " " + what + ".");
            return nullptr;
        }
        return v;
    }
};

bool CheckVersion(Reader& rd, const Json& root) {
    const Json* v = rd.Field(root, "version");
    if (!v) return false;
    if (!v->is_string()) return rd.Fail("The model file is damaged: its 'version' is not text.");
    const std::string text = v->get<std::string>();
    int major = -1, minor = -1, patch = -1;
    char tail = 0;
    const int got = std::sscanf(text.c_str(), "%d.%d.%d%c", &major, &minor, &patch, &tail);
    if (got == 3 && major == 0 && minor == 5 && patch >= 0) return true;
    return rd.Fail("Unsupported model file version " + text);
}

std::optional<double> OptionalNumber(const Json& object, const char* key) {
    if (!object.is_object()) return std::nullopt;
    auto it = object.find(key);
    if (it == object.end() || !it->is_number()) return std::nullopt;
    const double v = it->get<double>();
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

bool ReadLayerArray(Reader& rd, const Json& j, WaveNetLayerArraySpec& a) {
    if (!j.is_object())
        return rd.Fail("The model file is damaged: a WaveNet layer array is not an object.");
    if (!rd.Int(j, "input_size", 1, kMostChannels, a.inputSize) ||
        !rd.Int(j, "condition_size", 1, 1, a.conditionSize) ||
        !rd.Int(j, "head_size", 1, kMostChannels, a.headSize) ||
        !rd.Int(j, "channels", 1, kMostChannels, a.channels) ||
        !rd.Int(j, "kernel_size", 1, kLongestKernel, a.kernelSize) ||
        !rd.Bool(j, "gated", a.gated) || !rd.Bool(j, "head_bias", a.headBias))
        return false;
    const Json* act = rd.Field(j, "activation");
    if (!act) return false;
    const std::string name = act->is_string() ? act->get<std::string>() : std::string("?");
    const auto kind = ActivationNamed(name);
    if (!kind) return rd.Fail("Unsupported activation '" + name + "' in this model.");
    a.activation = *kind;
    const Json* dil = rd.List(j, "dilations", kMostLayersPerArray, "layers");
    if (!dil) return false;
    for (const auto& d : *dil) {
        if (!d.is_number_integer() || d.get<long long>() < 1 ||
            d.get<long long>() > kLongestDilation)
            return rd.Fail(
                "The model is too large or malformed to play: a dilation is not a "
                "whole number from 1 to " +
                std::to_string(kLongestDilation) + ".");
        a.dilations.push_back(d.get<int>());
    }
    return true;
}

bool ReadWaveNet(Reader& rd, const Json& config, std::vector<WaveNetLayerArraySpec>& arrays) {
    const Json* head = config.find("head") != config.end() ? &config["head"] : nullptr;
    if (head && !head->is_null())
        return rd.Fail("This WaveNet has a separate output head, which is not supported.");
    const Json* layers = rd.List(config, "layers", kMostLayerArrays, "layer arrays");
    if (!layers) return false;
    for (const auto& j : *layers) {
        WaveNetLayerArraySpec a;
        if (!ReadLayerArray(rd, j, a)) return false;
        arrays.push_back(std::move(a));
    }
    // Array i feeds array i+1 its residual output (channels wide) and its
    // head (headSize wide, which becomes the next array's head sum); the
    // first takes the mono input and the last head gives the mono output.
    bool fits = arrays.front().inputSize == 1 && arrays.back().headSize == 1;
    for (size_t i = 1; i < arrays.size(); ++i)
        fits = fits && arrays[i].inputSize == arrays[i - 1].channels &&
               arrays[i - 1].headSize == arrays[i].channels;
    if (!fits) return rd.Fail("The model file is damaged: its WaveNet layers do not fit together.");
    if (WaveNetReceptiveField(arrays) > kLongestReceptiveField)
        return rd.Fail("The model is too large to play: it looks back more than " +
                       std::to_string(kLongestReceptiveField) + " samples.");
    double bytes = 0;
    for (const auto& a : arrays) {
        int lookback = 0;
        for (int d : a.dilations) lookback = std::max(lookback, d * (a.kernelSize - 1));
        bytes += 4.0 * a.channels * (lookback + 8192.0) * a.dilations.size();
    }
    if (bytes > kMostBufferBytes)
        return rd.Fail("The model is too large to play: it would need more than 256 MB.");
    return true;
}

// Checks the weights' count and values; on success `out` holds them.
bool ReadWeights(Reader& rd, const Json& root, size_t expected, std::vector<float>& out) {
    const Json* w = rd.Field(root, "weights");
    if (!w) return false;
    if (!w->is_array()) return rd.Fail("The model file is damaged: 'weights' is not a list.");
    if (w->size() != expected)
        return rd.Fail("The model file is damaged: it has " + std::to_string(w->size()) +
                       " weights where its layout needs " + std::to_string(expected) + ".");
    out.reserve(expected);
    for (const auto& v : *w) {
        const float f = v.is_number() ? static_cast<float>(v.get<double>()) : NAN;
        if (!std::isfinite(f))
            return rd.Fail("The model file is damaged: weight " + std::to_string(out.size() + 1) +
                           " is not a usable number.");
        out.push_back(f);
    }
    return true;
}

NeuralModelFile Read(std::string_view text) {
    NeuralModelFile file;
    Reader rd;
    const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded()) {
        file.error = "The model file is damaged or cut short: it is not valid JSON.";
        return file;
    }
    if (!root.is_object()) {
        file.error = "This is not a neural amp model file.";
        return file;
    }
    if (!CheckVersion(rd, root)) {
        file.error = rd.error;
        return file;
    }
    const Json* arch = rd.Field(root, "architecture");
    const Json* config = arch ? rd.Field(root, "config") : nullptr;
    if (!config) {
        file.error = rd.error;
        return file;
    }
    file.info.architecture = arch->is_string() ? arch->get<std::string>() : std::string("?");
    if (!config->is_object()) {
        file.error = "The model file is damaged: its 'config' is not an object.";
        return file;
    }
    if (auto rate = root.find("sample_rate"); rate != root.end() && !rate->is_null()) {
        const double r = rate->is_number() ? rate->get<double>() : 0.0;
        if (!(r >= 8000.0 && r <= 384000.0)) {
            file.error = "The model's sample rate is not usable (it must be 8 to 384 kHz).";
            return file;
        }
        file.info.sampleRate = r;
    }
    if (auto meta = root.find("metadata"); meta != root.end()) {
        file.info.loudness = OptionalNumber(*meta, "loudness");
        file.info.inputLevelDbu = OptionalNumber(*meta, "input_level_dbu");
        file.info.outputLevelDbu = OptionalNumber(*meta, "output_level_dbu");
    }

    std::vector<float> weights;
    const std::string& name = file.info.architecture;
    if (name == "WaveNet") {
        std::vector<WaveNetLayerArraySpec> arrays;
        if (ReadWaveNet(rd, *config, arrays) &&
            ReadWeights(rd, root, WaveNetWeightCount(arrays), weights))
            file.model = MakeWaveNet(arrays, weights.data());
    } else if (name == "LSTM") {
        int inputs = 0, hidden = 0, layers = 0;
        if (rd.Int(*config, "input_size", 1, 1, inputs) &&
            rd.Int(*config, "hidden_size", 1, kMostLstmHidden, hidden) &&
            rd.Int(*config, "num_layers", 1, kMostLstmLayers, layers) &&
            ReadWeights(rd, root, LstmWeightCount(layers, hidden), weights))
            file.model = MakeLstm(layers, hidden, file.info.sampleRate, weights.data());
    } else if (name == "Linear") {
        int length = 0;
        bool bias = false;
        if (rd.Int(*config, "receptive_field", 1, kLongestLinear, length) &&
            rd.Bool(*config, "bias", bias) &&
            ReadWeights(rd, root, LinearWeightCount(length, bias), weights))
            file.model = MakeLinear(length, bias, weights.data());
    } else {
        rd.Fail("Unsupported model architecture '" + name + "'");
    }
    file.error = rd.error;
    return file;
}

}  // namespace

NeuralModelFile ReadNeuralModelFile(std::string_view text) {
    try {
        return Read(text);
    } catch (const std::bad_alloc&) {
        NeuralModelFile file;
        file.error = "The model is too large to load into memory.";
        return file;
    } catch (...) {
        NeuralModelFile file;
        file.error = "The model file is damaged: it could not be read.";
        return file;
    }
}

}  // namespace ampliro::dsp
