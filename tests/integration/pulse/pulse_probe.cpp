#include "pulse_probe.h"

#include <pulse/simple.h>

#include <thread>

namespace ampliro {
namespace {

constexpr uint32_t kRate = 44100;

pa_simple* Connect(pa_stream_direction_t direction, const char* device) {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = kRate;
    spec.channels = 1;
    return pa_simple_new(nullptr, "ampliro-test-probe", direction, device, "probe", &spec, nullptr,
                         nullptr, nullptr);
}

}  // namespace

std::vector<int16_t> PlayAndRecord(const std::vector<int16_t>& signal, double seconds) {
    std::vector<int16_t> recording(static_cast<size_t>(seconds * kRate));
    pa_simple* listener = Connect(PA_STREAM_RECORD, "amp.monitor");
    pa_simple* guitar = Connect(PA_STREAM_PLAYBACK, "guitar");
    if (listener == nullptr || guitar == nullptr) {
        if (listener != nullptr) pa_simple_free(listener);
        if (guitar != nullptr) pa_simple_free(guitar);
        return {};
    }
    std::thread player([&] {
        pa_simple_write(guitar, signal.data(), signal.size() * 2, nullptr);
        pa_simple_drain(guitar, nullptr);
    });
    pa_simple_read(listener, recording.data(), recording.size() * 2, nullptr);
    player.join();
    pa_simple_free(guitar);
    pa_simple_free(listener);
    return recording;
}

int64_t FindWhole(const std::vector<int16_t>& expected, const std::vector<int16_t>& recording,
                  size_t compared) {
    if (expected.empty() || compared > expected.size()) return -1;
    for (size_t start = 0; start + compared <= recording.size(); ++start) {
        if (recording[start] != expected[0]) continue;
        size_t i = 1;
        while (i < compared && recording[start + i] == expected[i]) ++i;
        if (i == compared) return static_cast<int64_t>(start);
    }
    return -1;
}

}  // namespace ampliro
