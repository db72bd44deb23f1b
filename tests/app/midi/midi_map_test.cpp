// The default map from messages to commands, on every channel.
#include <gtest/gtest.h>

#include "app/midi/midi_map.h"
#include "effects/effect.h"

namespace ampliro {
namespace {

MidiMessage Cc(uint8_t channel, uint8_t number, uint8_t value) {
    MidiMessage message;
    message.kind = MidiKind::kControlChange;
    message.channel = channel;
    message.data1 = number;
    message.data2 = value;
    return message;
}

MidiCommand Command(MidiAction action, int32_t index = 0, bool on = false) {
    MidiCommand command;
    command.action = action;
    command.index = index;
    command.on = on;
    return command;
}

TEST(MidiMapTest, ProgramChangeNLoadsPresetNOnAnyChannel) {
    for (uint8_t channel = 0; channel < 16; ++channel) {
        for (int program = 0; program < 128; ++program) {
            MidiMessage message;
            message.kind = MidiKind::kProgramChange;
            message.channel = channel;
            message.data1 = static_cast<uint8_t>(program);
            EXPECT_EQ(MapMidiMessage(message), Command(MidiAction::kLoadPreset, program));
        }
    }
}

TEST(MidiMapTest, Cc80To88SwitchThePedalsInTheDefaultChainOrder) {
    // Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay, Reverb,
    // Tremolo, Graphic EQ, by their effect keys.
    const int32_t keys[9] = {0, 6, 3, 5, 2, 4, 1, 8, 7};
    for (uint8_t channel : {0, 7, 15}) {
        for (int i = 0; i < 9; ++i) {
            const uint8_t cc = static_cast<uint8_t>(80 + i);
            EXPECT_EQ(MapMidiMessage(Cc(channel, cc, 127)),
                      Command(MidiAction::kPedal, keys[i], true));
            EXPECT_EQ(MapMidiMessage(Cc(channel, cc, 64)),
                      Command(MidiAction::kPedal, keys[i], true));
            EXPECT_EQ(MapMidiMessage(Cc(channel, cc, 63)),
                      Command(MidiAction::kPedal, keys[i], false));
            EXPECT_EQ(MapMidiMessage(Cc(channel, cc, 0)),
                      Command(MidiAction::kPedal, keys[i], false));
        }
    }
}

TEST(MidiMapTest, Cc106To108SwitchTheGateTheAmpAndTheCabinet) {
    const struct {
        uint8_t cc;
        int32_t key;
    } rows[] = {{106, kKeyNoiseGate}, {107, kKeyAmp}, {108, kKeyCabinet}};
    for (const auto& row : rows) {
        EXPECT_EQ(MapMidiMessage(Cc(5, row.cc, 127)), Command(MidiAction::kPedal, row.key, true));
        EXPECT_EQ(MapMidiMessage(Cc(5, row.cc, 0)), Command(MidiAction::kPedal, row.key, false));
    }
}

TEST(MidiMapTest, Cc89StartsAndStopsTheMetronome) {
    EXPECT_EQ(MapMidiMessage(Cc(3, 89, 100)), Command(MidiAction::kMetronome, 0, true));
    EXPECT_EQ(MapMidiMessage(Cc(3, 89, 10)), Command(MidiAction::kMetronome, 0, false));
}

TEST(MidiMapTest, Cc102To105RunTheRecorderOnThePressOnly) {
    const MidiAction actions[4] = {MidiAction::kRecord, MidiAction::kPlay, MidiAction::kStop,
                                   MidiAction::kPause};
    for (int i = 0; i < 4; ++i) {
        const uint8_t cc = static_cast<uint8_t>(102 + i);
        EXPECT_EQ(MapMidiMessage(Cc(12, cc, 127)), Command(actions[i]));
        EXPECT_EQ(MapMidiMessage(Cc(12, cc, 64)), Command(actions[i]));
        EXPECT_EQ(MapMidiMessage(Cc(12, cc, 63)), Command(MidiAction::kNone));
        EXPECT_EQ(MapMidiMessage(Cc(12, cc, 0)), Command(MidiAction::kNone));
    }
}

TEST(MidiMapTest, EverythingElseDoesNothing) {
    for (uint8_t cc : {0, 1, 7, 11, 64, 79, 90, 101, 109, 120, 123, 127}) {
        EXPECT_EQ(MapMidiMessage(Cc(0, cc, 127)), Command(MidiAction::kNone)) << int(cc);
    }
    for (MidiKind kind : {MidiKind::kNoteOn, MidiKind::kNoteOff, MidiKind::kPolyPressure,
                          MidiKind::kChannelPressure, MidiKind::kPitchBend}) {
        MidiMessage message;
        message.kind = kind;
        message.data1 = 80;
        message.data2 = 127;
        EXPECT_EQ(MapMidiMessage(message), Command(MidiAction::kNone));
    }
}

}  // namespace
}  // namespace ampliro
