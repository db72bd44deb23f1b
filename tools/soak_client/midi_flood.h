// MidiFlood: what the soak's foot controller plays, one event at a time,
// drawn at random by weight: mostly pedal switches, a program change a
// second across the preset list (and past its end), metronome and recorder
// commands, notes and bends the map ignores, and broken and random bytes
// for the parser. Pure and seeded, so a run can be repeated.
#pragma once

#include <cstdint>

namespace ampliro {

// Longer than any message the flood sends: a cut sysex of up to seven bytes.
inline constexpr int kFloodEventBytes = 8;

struct FloodEvent {
    uint8_t bytes[kFloodEventBytes] = {};
    uint8_t size = 0;
};

class MidiFlood {
  public:
    explicit MidiFlood(uint32_t seed) : state_(seed ? seed : 1) {}

    // Program changes pick among this many presets (one in eight goes past
    // the end of the list, which must do nothing).
    void SetPresetCount(int32_t count) { presets_ = count > 0 ? count : 1; }
    // Record, Play, Stop and Pause among the events, or not: then the
    // broken and random bytes stay out too, as they can make one.
    void SetRecorderCommands(bool on) { recorder_ = on; }

    FloodEvent Next();
    // The next preset of the list in turn, as a program change.
    FloodEvent NextPreset();

  private:
    uint32_t Random();
    uint32_t Below(uint32_t n) { return Random() % n; }

    uint32_t state_;
    int32_t presets_ = 1;
    int32_t presetTurn_ = 0;
    bool recorder_ = true;
};

}  // namespace ampliro
