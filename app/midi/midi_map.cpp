#include "app/midi/midi_map.h"

#include "effects/effect.h"

namespace ampliro {
namespace {

// CC 80..88 in the nine's classic chain order, as keys.
constexpr int32_t kMidiPedalKeys[kEffectCount] = {0, 6, 3, 5, 2, 4, 1, 8, 7};

}  // namespace

MidiCommand MapMidiMessage(const MidiMessage& message) {
    MidiCommand command;
    if (message.kind == MidiKind::kProgramChange) {
        command.action = MidiAction::kLoadPreset;
        command.index = message.data1;
        return command;
    }
    if (message.kind != MidiKind::kControlChange) return command;
    const uint8_t number = message.data1;
    const bool on = message.data2 >= 64;
    if (number >= kMidiFirstPedalCc && number < kMidiFirstPedalCc + kEffectCount) {
        command.action = MidiAction::kPedal;
        command.index = kMidiPedalKeys[number - kMidiFirstPedalCc];
        command.on = on;
        return command;
    }
    if (number >= kMidiNoiseGateCc && number <= kMidiCabinetCc) {
        command.action = MidiAction::kPedal;
        command.index = kKeyNoiseGate + (number - kMidiNoiseGateCc);
        command.on = on;
        return command;
    }
    if (number == kMidiMetronomeCc) {
        command.action = MidiAction::kMetronome;
        command.on = on;
        return command;
    }
    if (!on) return command;
    switch (number) {
        case kMidiRecordCc:
            command.action = MidiAction::kRecord;
            break;
        case kMidiPlayCc:
            command.action = MidiAction::kPlay;
            break;
        case kMidiStopCc:
            command.action = MidiAction::kStop;
            break;
        case kMidiPauseCc:
            command.action = MidiAction::kPause;
            break;
        default:
            break;
    }
    return command;
}

}  // namespace ampliro
