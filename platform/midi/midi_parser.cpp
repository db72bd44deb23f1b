#include "platform/midi/midi_parser.h"

namespace ampliro {

int MidiDataLength(uint8_t status) {
    switch (status >> 4) {
        case 0xC:
        case 0xD:
            return 1;
        case 0x8:
        case 0x9:
        case 0xA:
        case 0xB:
        case 0xE:
            return 2;
        default:
            return 0;
    }
}

void MidiParser::Reset() {
    status_ = 0;
    inSysEx_ = false;
    have_ = 0;
}

bool MidiParser::Feed(uint8_t byte, MidiMessage& out) {
    if (byte >= 0xF8) return false;  // real time: transparent
    if (byte & 0x80) {
        have_ = 0;
        inSysEx_ = byte == 0xF0;
        // Channel statuses start running status; every system common
        // message (SysEx, its end, MTC, song position, song select, tune
        // request, the undefined 0xF4 and 0xF5) ends it. Their data bytes
        // then find no status and are dropped, which skips them.
        status_ = byte < 0xF0 ? byte : 0;
        return false;
    }
    if (inSysEx_ || status_ == 0) return false;
    data_[have_++] = byte;
    const int length = MidiDataLength(status_);
    if (have_ < length) return false;
    have_ = 0;
    out.kind = static_cast<MidiKind>(status_ >> 4);
    out.channel = status_ & 0x0F;
    out.data1 = data_[0];
    out.data2 = length == 2 ? data_[1] : 0;
    return true;
}

}  // namespace ampliro
