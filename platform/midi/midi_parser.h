// MidiParser: turns a MIDI byte stream into whole channel messages.
//
// The wire format: a status byte (bit 7 set) and up to two data bytes (bit 7
// clear). Channel messages may leave out a status byte that equals the last
// one sent (running status). Real-time bytes (0xF8..0xFF) may come between
// any two bytes, inside a message too, and change nothing around them. A
// System Exclusive runs from 0xF0 to the next status byte (0xF7 by rights).
// Other system common messages end running status. Data bytes that no status
// claims are dropped, and a status byte that cuts a message short drops the
// incomplete message.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

enum class MidiKind : uint8_t {
    kNoteOff = 0x8,
    kNoteOn = 0x9,
    kPolyPressure = 0xA,
    kControlChange = 0xB,
    kProgramChange = 0xC,
    kChannelPressure = 0xD,
    kPitchBend = 0xE,
};

struct MidiMessage {
    MidiKind kind = MidiKind::kNoteOff;
    uint8_t channel = 0;  // 0..15 (shown as 1..16 by most devices)
    uint8_t data1 = 0;    // note, controller or program number, 0..127
    uint8_t data2 = 0;    // velocity or value, 0..127; 0 for one-byte messages
    // Pitch bend: the 14-bit value, 8192 at rest.
    uint16_t Bend() const { return static_cast<uint16_t>(data1 | data2 << 7); }
    bool operator==(const MidiMessage&) const = default;
};

// The number of data bytes a channel message of this status carries.
int MidiDataLength(uint8_t status);

class MidiParser {
  public:
    // Feeds one byte; true when it completes a channel message, then in out.
    bool Feed(uint8_t byte, MidiMessage& out);
    // Feeds every byte, calling sink(message) for each message completed.
    template <typename Sink>
    void FeedAll(const uint8_t* bytes, size_t count, Sink&& sink) {
        MidiMessage message;
        for (size_t i = 0; i < count; ++i) {
            if (Feed(bytes[i], message)) sink(message);
        }
    }
    // Forgets running status and any message in progress.
    void Reset();

  private:
    uint8_t status_ = 0;  // running status; 0 when none
    bool inSysEx_ = false;
    uint8_t data_[2] = {};
    int have_ = 0;
};

}  // namespace ampliro
