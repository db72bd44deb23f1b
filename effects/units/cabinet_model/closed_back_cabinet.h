// The default cabinet: the impulse response of a model of a closed-back
// 4x12 guitar cabinet with 12-inch guitar speakers, close-miked, so the
// cabinet pedal sounds like one before the player owns a capture.
#pragma once

#include <cstdint>
#include <vector>

namespace ampliro::dsp {

// The response at `sampleRate` (8000..192000 Hz), 100 ms long, scaled to unit
// energy like a loaded file. Pure and deterministic: the same rate gives the
// same samples, bit for bit.
std::vector<float> ClosedBackCabinetImpulse(int32_t sampleRate);

}  // namespace ampliro::dsp
