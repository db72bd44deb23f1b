// Writes the default cabinet's impulse response (the closed-back 4x12 model
// of effects/units/cabinet_model) as a mono 32-bit float WAV, at build time.
//   cabinet_generator OUTPUT.wav [RATE]     (RATE in Hz, default 48000)
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "effects/units/cabinet_model/closed_back_cabinet.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav [RATE]\n", argv[0]);
        return 2;
    }
    const int rate = argc == 3 ? std::atoi(argv[2]) : 48000;
    if (rate < 8000 || rate > 192000) {
        std::fprintf(stderr, "%s: the rate must be 8000..192000 Hz\n", argv[0]);
        return 2;
    }
    const std::vector<float> ir = ampliro::dsp::ClosedBackCabinetImpulse(rate);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], sf_strerror(nullptr));
        return 1;
    }
    const auto frames = static_cast<sf_count_t>(ir.size());
    const bool written = sf_writef_float(file, ir.data(), frames) == frames;
    if (sf_close(file) != 0 || !written) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
