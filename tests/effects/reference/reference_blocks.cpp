#include "reference_blocks.h"

#include <cmath>
#include <cstring>

namespace ampliro::reference {

void ToneStack::Design(double lowHz, double highHz, int32_t rate) {
    *this = ToneStack{};
    const double pi = 3.1415927410125732;  // pi in single precision
    lowCoef = static_cast<int32_t>(std::sin(pi * lowHz / rate) * 65536.0);
    highCoef = static_cast<int32_t>(std::sin(pi * highHz / rate) * 65536.0);
}

int32_t ToneStack::Process(int32_t x) {
    int64_t s = x;
    for (int32_t& stage : highState) {
        stage = Wrap32(stage + (((s - stage) * highCoef) >> 15));
        s = stage;
    }
    const int64_t lp2 = s;
    s = x;
    for (int32_t& stage : lowState) {
        stage = Wrap32(stage + (((s - stage) * lowCoef) >> 15));
        s = stage;
    }
    const int64_t lp1 = s;
    const int64_t high = history[2] - lp2;
    const int64_t low = lp1;
    const int64_t mid = lp2 - lp1;
    const int64_t y = ((highGain * high) >> 5) + ((lowGain * low) >> 5) + ((midGain * mid) >> 5);
    history[2] = history[1];
    history[1] = history[0];
    history[0] = x;
    return Wrap32(y);
}

void WavetableLfo::Create(int32_t sampleRate, int32_t length, bool unipolar) {
    rate = sampleRate;
    phase = 0;
    increment = 0;
    span = length << 15;
    table.assign(length, 0);
    const double twoPi = 6.2831854820251465;  // 2 pi in single precision
    for (int32_t i = 0; i < length; ++i) {
        const double w = twoPi * i / length;
        table[i] = unipolar ? static_cast<int32_t>(std::sin(w) * 16383.0 + 16384.0)
                            : static_cast<int32_t>(std::sin(w) * 32767.0);
    }
}

void WavetableLfo::SetFrequency(float hz) {
    if (hz < 0.0f) hz = 0.0f;
    increment = static_cast<int32_t>(static_cast<float>(span) * hz / static_cast<float>(rate));
}

int32_t WavetableLfo::Next() {
    const int32_t length = static_cast<int32_t>(table.size());
    const int32_t i = phase >> 15;
    const int64_t frac = phase & 0x7FFF;
    const int32_t j = i + 1 >= length ? 0 : i + 1;
    const int64_t v = (table[i] * (32768 - frac) + table[j] * frac) >> 15;
    phase += increment;
    if (phase >= span) phase -= span;
    return static_cast<int32_t>(v);
}

float FloatWord(int32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace ampliro::reference
