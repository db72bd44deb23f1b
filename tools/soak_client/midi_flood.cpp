#include "midi_flood.h"

#include <initializer_list>

namespace ampliro {
namespace {

enum class FloodKind : uint8_t {
    kPedal,
    kProgram,
    kMetronome,
    kRecorder,
    kIgnored,
    kBroken,
    kRandom,
};

// Per mille of the events, in the order of FloodKind.
constexpr uint32_t kWeights[] = {619, 1, 20, 3, 107, 150, 100};

// The controllers the map answers: 80..88 the nine pedals, 106..108 the
// gate, the amp and the cabinet; 89 the metronome; 102..105 the recorder.
constexpr uint8_t kPedalCcs[] = {80, 81, 82, 83, 84, 85, 86, 87, 88, 106, 107, 108};

FloodEvent Make(std::initializer_list<uint8_t> bytes) {
    FloodEvent event;
    for (uint8_t byte : bytes) event.bytes[event.size++] = byte;
    return event;
}

}  // namespace

// xorshift32: plenty for choosing events, and it never allocates.
uint32_t MidiFlood::Random() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

FloodEvent MidiFlood::NextPreset() {
    const uint8_t program = static_cast<uint8_t>(presetTurn_ % 128);
    presetTurn_ = (presetTurn_ + 1) % presets_;
    return Make({0xC0, program});
}

FloodEvent MidiFlood::Next() {
    uint32_t draw = Below(1000);
    int chosen = 0;
    while (draw >= kWeights[chosen]) draw -= kWeights[chosen++];
    auto which = static_cast<FloodKind>(chosen);
    // Without recorder commands only whole messages go out: broken and
    // random bytes could make one (a data byte after a controller's running
    // status).
    if (!recorder_ && (which == FloodKind::kRecorder || which == FloodKind::kBroken ||
                       which == FloodKind::kRandom))
        which = FloodKind::kPedal;
    const auto channel = static_cast<uint8_t>(Below(16));
    const auto value = static_cast<uint8_t>(Below(128));
    switch (which) {
        case FloodKind::kPedal:
            return Make({static_cast<uint8_t>(0xB0 | channel), kPedalCcs[Below(12)], value});
        case FloodKind::kProgram: {
            const auto listed = static_cast<uint32_t>(presets_ < 128 ? presets_ : 128);
            const uint32_t program =
                listed < 128 && Below(8) == 0 ? listed + Below(128 - listed) : Below(listed);
            return Make({static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(program)});
        }
        case FloodKind::kMetronome:
            return Make({static_cast<uint8_t>(0xB0 | channel), 89, value});
        case FloodKind::kRecorder:
            return Make(
                {static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(102 + Below(4)), 127});
        case FloodKind::kIgnored: {
            // Notes, pressure and bends, each whole.
            constexpr uint8_t kStatuses[] = {0x80, 0x90, 0xA0, 0xD0, 0xE0};
            const auto status = static_cast<uint8_t>(kStatuses[Below(5)] | channel);
            if ((status & 0xF0) == 0xD0) return Make({status, value});
            return Make({status, value, static_cast<uint8_t>(Below(128))});
        }
        case FloodKind::kBroken:
            switch (Below(6)) {
                case 0:  // a status byte alone
                    return Make({static_cast<uint8_t>(0x80 + Below(0x70))});
                case 1:  // data bytes without a status
                    return Make({value, static_cast<uint8_t>(Below(128))});
                case 2:  // a controller cut after its number
                    return Make({static_cast<uint8_t>(0xB0 | channel), kPedalCcs[Below(12)]});
                case 3:  // a clock byte inside a controller
                    return Make({0xB0, 0xF8, kPedalCcs[Below(12)], value});
                case 4:  // a system-exclusive message that never ends
                    return Make({0xF0, 0x7D, value, 0x01, 0x02, 0x03, 0x04});
                default:  // undefined system bytes and an end without a start
                    return Make({0xF4, 0xF5, 0xF7});
            }
        case FloodKind::kRandom: {
            FloodEvent event;
            event.size = static_cast<uint8_t>(1 + Below(kFloodEventBytes));
            for (int i = 0; i < event.size; ++i) event.bytes[i] = static_cast<uint8_t>(Random());
            return event;
        }
    }
    return {};
}

}  // namespace ampliro
