// The default MIDI map: what each message from a foot controller does. Every
// channel is heard (omni), so a controller works whatever channel it sends on.
//
//   Program Change n        load the (n + 1)-th preset of the preset list
//   CC 80..88               one pedal each, in the default chain order:
//                           Overdrive, Parametric EQ, Pitch Shifter, Phaser,
//                           Chorus, Delay, Reverb, Tremolo, Graphic EQ;
//                           value 64..127 on, 0..63 off
//   CC 89                   metronome: 64..127 start, 0..63 stop
//   CC 102, 103, 104, 105   loop recorder Record, Play, Stop, Pause, on a
//                           value of 64..127 (a footswitch's press; its
//                           release, 0, does nothing)
//   CC 106, 107, 108        Noise Gate, Amp, Cabinet; value 64..127 on,
//                           0..63 off
//
// 80..89 and 102..108 are general-purpose and undefined controllers: no
// keyboard, expression pedal or sequencer sends them unasked, so another
// device on the same port does not switch pedals by accident. Pedals follow
// the value rather than toggling, so a controller that repeats its state
// (at connection, or from two sources) does no harm.
#pragma once

#include <cstdint>

#include "platform/midi/midi_parser.h"

namespace ampliro {

inline constexpr uint8_t kMidiFirstPedalCc = 80;
inline constexpr uint8_t kMidiMetronomeCc = 89;
inline constexpr uint8_t kMidiRecordCc = 102;
inline constexpr uint8_t kMidiPlayCc = 103;
inline constexpr uint8_t kMidiStopCc = 104;
inline constexpr uint8_t kMidiPauseCc = 105;
inline constexpr uint8_t kMidiNoiseGateCc = 106;
inline constexpr uint8_t kMidiAmpCc = 107;
inline constexpr uint8_t kMidiCabinetCc = 108;

enum class MidiAction : uint8_t {
    kNone,
    kLoadPreset,  // index: the preset's place in the list, 0 first
    kPedal,       // index: the pedal's effect key; on
    kMetronome,   // on: start, else stop
    kRecord,
    kPlay,
    kStop,
    kPause,
};

struct MidiCommand {
    MidiAction action = MidiAction::kNone;
    int32_t index = 0;
    bool on = false;
    bool operator==(const MidiCommand&) const = default;
};

// The command a message stands for; kNone for every message the map leaves
// alone (notes, pressure, bend, other controllers, a footswitch's release).
MidiCommand MapMidiMessage(const MidiMessage& message);

}  // namespace ampliro
