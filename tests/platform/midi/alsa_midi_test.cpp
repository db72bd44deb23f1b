// The ALSA sequencer source: each event as MIDI bytes, the values outside
// MIDI's ranges refused, and the port itself (a round trip through the
// kernel's sequencer where the machine has one, else a clear refusal).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/midi/alsa_midi_source.h"
#include "platform/midi/midi_parser.h"

namespace ampliro {
namespace {

snd_seq_event_t Event(snd_seq_event_type_t type) {
    snd_seq_event_t event{};
    event.type = type;
    return event;
}

std::vector<uint8_t> Bytes(const snd_seq_event_t& event) {
    uint8_t out[3] = {0xAA, 0xAA, 0xAA};
    const size_t n = SeqEventToMidi(event, out);
    return std::vector<uint8_t>(out, out + n);
}

TEST(AlsaMidiTest, ChannelEventsBecomeTheirMidiBytes) {
    snd_seq_event_t note = Event(SND_SEQ_EVENT_NOTEON);
    note.data.note = {3, 60, 100, 0, 0};
    EXPECT_EQ(Bytes(note), (std::vector<uint8_t>{0x93, 60, 100}));
    note.type = SND_SEQ_EVENT_NOTEOFF;
    EXPECT_EQ(Bytes(note), (std::vector<uint8_t>{0x83, 60, 100}));
    note.type = SND_SEQ_EVENT_KEYPRESS;
    EXPECT_EQ(Bytes(note), (std::vector<uint8_t>{0xA3, 60, 100}));

    snd_seq_event_t control = Event(SND_SEQ_EVENT_CONTROLLER);
    control.data.control.channel = 15;
    control.data.control.param = 80;
    control.data.control.value = 127;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xBF, 80, 127}));
    control.type = SND_SEQ_EVENT_PGMCHANGE;
    control.data.control.value = 7;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xCF, 7}));
    control.type = SND_SEQ_EVENT_CHANPRESS;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xDF, 7}));

    // The sequencer's bend is centred on 0, MIDI's on 8192 (LSB, MSB).
    control.type = SND_SEQ_EVENT_PITCHBEND;
    control.data.control.channel = 0;
    control.data.control.value = 0;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xE0, 0x00, 0x40}));
    control.data.control.value = -8192;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xE0, 0x00, 0x00}));
    control.data.control.value = 8191;
    EXPECT_EQ(Bytes(control), (std::vector<uint8_t>{0xE0, 0x7F, 0x7F}));
}

TEST(AlsaMidiTest, ValuesOutsideMidisRangesAndOtherEventsGiveNothing) {
    snd_seq_event_t control = Event(SND_SEQ_EVENT_CONTROLLER);
    control.data.control = {16, {0, 0, 0}, 80, 127};  // channel 17
    EXPECT_TRUE(Bytes(control).empty());
    control.data.control = {0, {0, 0, 0}, 128, 127};  // controller 128
    EXPECT_TRUE(Bytes(control).empty());
    control.data.control = {0, {0, 0, 0}, 80, 128};
    EXPECT_TRUE(Bytes(control).empty());
    control.data.control = {0, {0, 0, 0}, 80, -1};
    EXPECT_TRUE(Bytes(control).empty());
    control.type = SND_SEQ_EVENT_PGMCHANGE;
    control.data.control.value = 200;
    EXPECT_TRUE(Bytes(control).empty());
    control.type = SND_SEQ_EVENT_PITCHBEND;
    control.data.control.value = 8192;
    EXPECT_TRUE(Bytes(control).empty());
    control.data.control.value = -8193;
    EXPECT_TRUE(Bytes(control).empty());

    snd_seq_event_t note = Event(SND_SEQ_EVENT_NOTEON);
    note.data.note = {0, 128, 100, 0, 0};
    EXPECT_TRUE(Bytes(note).empty());
    note.data.note = {0, 60, 200, 0, 0};
    EXPECT_TRUE(Bytes(note).empty());

    for (snd_seq_event_type_t type :
         {SND_SEQ_EVENT_SYSEX, SND_SEQ_EVENT_CLOCK, SND_SEQ_EVENT_START,
          SND_SEQ_EVENT_PORT_SUBSCRIBED, SND_SEQ_EVENT_CLIENT_START, SND_SEQ_EVENT_CONTROL14}) {
        EXPECT_TRUE(Bytes(Event(type)).empty()) << int(type);
    }
}

TEST(AlsaMidiTest, ConvertedBytesParseBackToTheSameMessage) {
    snd_seq_event_t control = Event(SND_SEQ_EVENT_CONTROLLER);
    control.data.control = {9, {0, 0, 0}, 104, 64};
    uint8_t bytes[3];
    const size_t n = SeqEventToMidi(control, bytes);
    MidiParser parser;
    std::vector<MidiMessage> got;
    parser.FeedAll(bytes, n, [&](const MidiMessage& m) { got.push_back(m); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, MidiKind::kControlChange);
    EXPECT_EQ(got[0].channel, 9);
    EXPECT_EQ(got[0].data1, 104);
    EXPECT_EQ(got[0].data2, 64);
}

// Sends a CC from a client of the test's own to Ampliro's port and waits
// for its bytes in the inbox.
std::vector<uint8_t> SendThroughSequencer(const AlsaMidiSource& source, MidiInbox& inbox) {
    snd_seq_t* sender = nullptr;
    if (snd_seq_open(&sender, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return {};
    const int port = snd_seq_create_simple_port(
        sender, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    snd_seq_connect_to(sender, port, source.Client(), source.Port());
    snd_seq_event_t event{};
    snd_seq_ev_set_source(&event, port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_ev_set_controller(&event, 4, 85, 127);
    snd_seq_event_output_direct(sender, &event);
    std::vector<uint8_t> got;
    uint8_t bytes[16];
    for (int wait = 0; wait < 200 && got.size() < 3; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const size_t n = inbox.Take(bytes, sizeof bytes);
        got.insert(got.end(), bytes, bytes + n);
    }
    snd_seq_close(sender);
    return got;
}

TEST(AlsaMidiTest, ThePortDeliversEventsOrRefusesClearlyWithoutASequencer) {
    MidiInbox inbox;
    AlsaMidiSource source;
    std::string error;
    const bool opened = source.Open(inbox, error);
    if (!std::filesystem::exists("/dev/snd/seq")) {
        // Containers often lack the sequencer: the source says so and
        // stays closed, and closing it is harmless.
        EXPECT_FALSE(opened);
        EXPECT_FALSE(source.IsOpen());
        EXPECT_NE(error.find("no ALSA sequencer"), std::string::npos) << error;
        source.Close();
        EXPECT_EQ(inbox.Take(nullptr, 0), 0u);
        return;
    }
    ASSERT_TRUE(opened) << error;
    EXPECT_GT(source.Client(), 0);
    EXPECT_GE(source.Port(), 0);
    EXPECT_EQ(SendThroughSequencer(source, inbox), (std::vector<uint8_t>{0xB4, 85, 127}));
    source.Close();
    EXPECT_FALSE(source.IsOpen());
}

}  // namespace
}  // namespace ampliro
