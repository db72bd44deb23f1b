// The metronome's click: a short wood-block knock.
#pragma once

#include <cstdint>
#include <vector>

namespace ampliro::art {

inline constexpr uint32_t kClickRate = 44100;
inline constexpr int kClickSamples = 3252;

std::vector<int16_t> SynthesiseClick();

}  // namespace ampliro::art
