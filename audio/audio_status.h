// What the window title tells while the audio runs: the latency the player
// hears from the stream and the devices, and the dropouts since power-on.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

struct AudioStatus {
    uint32_t rate = 0;          // samples per second
    uint32_t blockSamples = 0;  // the stream's block
    uint32_t deviceFrames = 0;  // what the back end adds beyond it
    uint32_t dropouts = 0;      // lost blocks and under-runs since power-on
    bool powered = false;
    uint32_t chainFrames = 0;  // what the pedals add (the amp's resampling)

    bool operator==(const AudioStatus&) const = default;
};

// The stream's figures; powered as the caller says.
AudioStatus CurrentAudioStatus(bool powered);

// "Ampliro - 31 ms, 2 dropouts" while the audio runs, the program's name
// alone while it is off. The milliseconds are (block + device + chain) x 1000
// / rate, rounded to the nearest.
std::string AudioStatusTitle(const std::string& program, const AudioStatus& status);

}  // namespace ampliro
