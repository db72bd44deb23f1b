// The soak's MIDI flood: what the program's parser and map hear of it.
#include "midi_flood.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/midi/midi_map.h"
#include "platform/midi/midi_parser.h"

namespace ampliro {
namespace {

constexpr int kEvents = 100000;

// What the program's own parser and map make of a run of the flood.
struct Heard {
    std::map<MidiAction, int> actions;
    std::set<int32_t> programs;
};

Heard ParseFlood(MidiFlood& flood, int events) {
    Heard heard;
    MidiParser parser;
    for (int i = 0; i < events; ++i) {
        const FloodEvent event = flood.Next();
        for (int b = 0; b < event.size; ++b) {
            MidiMessage message;
            if (!parser.Feed(event.bytes[b], message)) continue;
            const MidiCommand command = MapMidiMessage(message);
            ++heard.actions[command.action];
            if (command.action == MidiAction::kLoadPreset) heard.programs.insert(command.index);
        }
    }
    return heard;
}

TEST(MidiFloodTest, TheMapHearsEveryCommandAndProgramsSpanTheList) {
    MidiFlood flood(11);
    flood.SetPresetCount(12);
    const Heard heard = ParseFlood(flood, kEvents);
    for (MidiAction action :
         {MidiAction::kLoadPreset, MidiAction::kPedal, MidiAction::kMetronome, MidiAction::kRecord,
          MidiAction::kPlay, MidiAction::kStop, MidiAction::kPause})
        EXPECT_GT(heard.actions.count(action), 0u) << static_cast<int>(action);
    for (int32_t program = 0; program < 12; ++program)
        EXPECT_EQ(heard.programs.count(program), 1u) << program;
    // Some go past the end of the list, which must do nothing.
    EXPECT_GT(*heard.programs.rbegin(), 11);
}

TEST(MidiFloodTest, WithoutRecorderCommandsNoneIsHeard) {
    MidiFlood flood(13);
    flood.SetRecorderCommands(false);
    const Heard heard = ParseFlood(flood, kEvents);
    for (MidiAction action :
         {MidiAction::kRecord, MidiAction::kPlay, MidiAction::kStop, MidiAction::kPause})
        EXPECT_EQ(heard.actions.count(action), 0u) << static_cast<int>(action);
}

TEST(MidiFloodTest, TheStretchLoadsThePresetsInTurn) {
    MidiFlood flood(1);
    flood.SetPresetCount(3);
    for (uint8_t expected : {0, 1, 2, 0, 1}) {
        const FloodEvent event = flood.NextPreset();
        ASSERT_EQ(event.size, 2);
        EXPECT_EQ(event.bytes[0], 0xC0);
        EXPECT_EQ(event.bytes[1], expected);
    }
}

}  // namespace
}  // namespace ampliro
