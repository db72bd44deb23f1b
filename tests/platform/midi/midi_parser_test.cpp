// The MIDI byte-stream parser: every channel message kind on every channel,
// running status, real-time bytes inside messages, SysEx and the other system
// messages skipped, and damaged streams.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/midi/midi_parser.h"

namespace ampliro {
namespace {

std::vector<MidiMessage> Parse(const std::vector<uint8_t>& bytes) {
    MidiParser parser;
    std::vector<MidiMessage> messages;
    parser.FeedAll(bytes.data(), bytes.size(),
                   [&](const MidiMessage& message) { messages.push_back(message); });
    return messages;
}

MidiMessage Message(MidiKind kind, uint8_t channel, uint8_t data1, uint8_t data2 = 0) {
    MidiMessage message;
    message.kind = kind;
    message.channel = channel;
    message.data1 = data1;
    message.data2 = data2;
    return message;
}

TEST(MidiParserTest, EveryChannelMessageKindOnItsChannel) {
    const std::vector<MidiMessage> got = Parse({
        0x80, 0x3C, 0x40,  // note off, channel 1
        0x91, 0x3C, 0x7F,  // note on, channel 2
        0xA2, 0x40, 0x11,  // polyphonic pressure, channel 3
        0xB3, 0x50, 0x7F,  // control change 80, channel 4
        0xC4, 0x05,        // program change 5, channel 5
        0xD5, 0x22,        // channel pressure, channel 6
        0xEF, 0x00, 0x40,  // pitch bend at rest, channel 16
    });
    const std::vector<MidiMessage> expected = {
        Message(MidiKind::kNoteOff, 0, 0x3C, 0x40),
        Message(MidiKind::kNoteOn, 1, 0x3C, 0x7F),
        Message(MidiKind::kPolyPressure, 2, 0x40, 0x11),
        Message(MidiKind::kControlChange, 3, 80, 127),
        Message(MidiKind::kProgramChange, 4, 5),
        Message(MidiKind::kChannelPressure, 5, 0x22),
        Message(MidiKind::kPitchBend, 15, 0x00, 0x40),
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.back().Bend(), 8192);
    EXPECT_EQ(Parse({0xE0, 0x7F, 0x7F})[0].Bend(), 16383);
    EXPECT_EQ(Parse({0xE0, 0x00, 0x00})[0].Bend(), 0);
}

TEST(MidiParserTest, RunningStatusRepeatsTheLastChannelStatus) {
    const std::vector<MidiMessage> got = Parse({0xB0, 0x50, 0x7F, 0x51, 0x00, 0x52, 0x40,  //
                                                0xC9, 0x01, 0x02, 0x7F});
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[1], Message(MidiKind::kControlChange, 0, 81, 0));
    EXPECT_EQ(got[2], Message(MidiKind::kControlChange, 0, 82, 64));
    EXPECT_EQ(got[3], Message(MidiKind::kProgramChange, 9, 1));
    EXPECT_EQ(got[4], Message(MidiKind::kProgramChange, 9, 2));
    EXPECT_EQ(got[5], Message(MidiKind::kProgramChange, 9, 127));
}

TEST(MidiParserTest, RealTimeBytesInsideAMessageChangeNothing) {
    // Clock, start, continue, stop, active sensing and reset between every
    // pair of bytes, and between running-status messages.
    const std::vector<MidiMessage> got =
        Parse({0xF8, 0xB2, 0xFA, 0x50, 0xFE, 0x7F, 0xFB, 0x51, 0xFC, 0xFF, 0x00, 0xC2, 0xF8, 0x03});
    const std::vector<MidiMessage> expected = {
        Message(MidiKind::kControlChange, 2, 80, 127),
        Message(MidiKind::kControlChange, 2, 81, 0),
        Message(MidiKind::kProgramChange, 2, 3),
    };
    EXPECT_EQ(got, expected);
}

TEST(MidiParserTest, ASysExInBetweenIsSkippedWhateverItsBytesLookLike) {
    // The SysEx's body holds what would be a CC 80 on and a program change;
    // it ends running status, so the bare data bytes after it mean nothing.
    const std::vector<MidiMessage> got = Parse({0xB0, 0x50, 0x7F,                          //
                                                0xF0, 0x7E, 0x7F, 0x50, 0x7F, 0x05, 0xF7,  //
                                                0x51, 0x7F,                                //
                                                0xC0, 0x04});
    const std::vector<MidiMessage> expected = {
        Message(MidiKind::kControlChange, 0, 80, 127),
        Message(MidiKind::kProgramChange, 0, 4),
    };
    EXPECT_EQ(got, expected);
    // Real time inside a SysEx; a SysEx cut short by the next status.
    EXPECT_EQ(Parse({0xF0, 0x01, 0xF8, 0x02, 0xB1, 0x59, 0x40}),
              std::vector<MidiMessage>{Message(MidiKind::kControlChange, 1, 89, 64)});
}

TEST(MidiParserTest, SystemCommonMessagesAndTheirDataAreSkipped) {
    // Time code quarter frame, song position, song select, tune request,
    // the undefined F4 and F5, a stray end of SysEx: none is a message here,
    // and none lends its data bytes to the channel status before it.
    const std::vector<MidiMessage> got =
        Parse({0xB0, 0x50, 0x7F, 0xF1, 0x05, 0xF2, 0x01, 0x02, 0xF3, 0x07,
               0xF6, 0xF4, 0x50, 0x7F, 0xF5, 0x50, 0x7F, 0xF7, 0x50, 0x7F});
    EXPECT_EQ(got, std::vector<MidiMessage>{Message(MidiKind::kControlChange, 0, 80, 127)});
}

TEST(MidiParserTest, DamagedStreamsDropOnlyWhatIsBroken) {
    // Data bytes before any status.
    EXPECT_TRUE(Parse({0x50, 0x7F, 0x05}).empty());
    // A message cut short by the next status is dropped, the next one kept.
    EXPECT_EQ(Parse({0xB0, 0x50, 0xC0, 0x02}),
              std::vector<MidiMessage>{Message(MidiKind::kProgramChange, 0, 2)});
    // A status with no data yet, then end of input: nothing.
    EXPECT_TRUE(Parse({0xB0}).empty());
    EXPECT_TRUE(Parse({0x90, 0x3C}).empty());
    // Reset forgets the status and the half message.
    MidiParser parser;
    MidiMessage message;
    EXPECT_FALSE(parser.Feed(0xB0, message));
    EXPECT_FALSE(parser.Feed(0x50, message));
    parser.Reset();
    EXPECT_FALSE(parser.Feed(0x7F, message));
    EXPECT_FALSE(parser.Feed(0x7F, message));
}

TEST(MidiParserTest, RandomBytesGiveOnlyMessagesWithinMidisRanges) {
    std::mt19937 random(1234);
    std::vector<uint8_t> bytes(200000);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    size_t count = 0;
    MidiParser parser;
    parser.FeedAll(bytes.data(), bytes.size(), [&](const MidiMessage& m) {
        ++count;
        EXPECT_LT(m.channel, 16);
        EXPECT_LT(m.data1, 128);
        EXPECT_LT(m.data2, 128);
        EXPECT_GE(static_cast<int>(m.kind), 0x8);
        EXPECT_LE(static_cast<int>(m.kind), 0xE);
        if (m.kind == MidiKind::kProgramChange || m.kind == MidiKind::kChannelPressure) {
            EXPECT_EQ(m.data2, 0);
        }
    });
    // Half the bytes are data: a good share of them complete messages.
    EXPECT_GT(count, 10000u);
}

}  // namespace
}  // namespace ampliro
