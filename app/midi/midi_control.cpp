#include "app/midi/midi_control.h"

#include <cstdio>

#include "app/metronome/metronome_screen.h"
#include "app/recorder/recorder_screen.h"
#include "app/screens/presets_screen.h"
#include "audio/effect_chain.h"
#include "audio/stream.h"
#include "platform/audio/wave_device.h"
#include "platform/window/messages.h"

namespace ampliro {

void MidiControl::Start(const MidiTargets& targets) {
    targets_ = targets;
    started_ = true;
    CurrentAudioBackend().SetMidiInbox(&portInbox_);
}

void MidiControl::Stop() {
    if (!started_) return;
    sequencer_.Close();
    CurrentAudioBackend().SetMidiInbox(nullptr);
    started_ = false;
}

void MidiControl::FollowBackend() {
    // Both ports at once would hear a controller that the sound server also
    // bridges onto its graph twice.
    if (CurrentAudioBackend().MidiPortOpen()) {
        if (sequencer_.IsOpen()) {
            sequencer_.Close();
            sequencerParser_.Reset();
        }
        return;
    }
    if (sequencer_.IsOpen() || !sequencerAvailable_) return;
    std::string error;
    if (sequencer_.Open(sequencerInbox_, error)) {
        std::fprintf(stderr, "Ampliro: MIDI input on ALSA sequencer port %d:%d (Ampliro:midi_in)\n",
                     sequencer_.Client(), sequencer_.Port());
        return;
    }
    sequencerAvailable_ = false;
    std::fprintf(stderr,
                 "Ampliro: %s; MIDI control only through JACK's port Ampliro:midi_in while the "
                 "audio runs on JACK\n",
                 error.c_str());
}

void MidiControl::Poll() {
    if (!started_) return;
    FollowBackend();
    Drain(portInbox_, portParser_);
    Drain(sequencerInbox_, sequencerParser_);
}

void MidiControl::Drain(MidiInbox& inbox, MidiParser& parser) {
    uint8_t bytes[256];
    for (size_t n = inbox.Take(bytes, sizeof bytes); n > 0; n = inbox.Take(bytes, sizeof bytes)) {
        parser.FeedAll(bytes, n,
                       [this](const MidiMessage& message) { Execute(MapMidiMessage(message)); });
    }
}

void MidiControl::Execute(const MidiCommand& command) {
    const bool audio = IsAudioRunning();
    auto press = [this](uint16_t id) {
        if (targets_.recorder) targets_.recorder->HandleMessage(WM_COMMAND, id, 0);
    };
    switch (command.action) {
        case MidiAction::kLoadPreset:
            if (targets_.presets) targets_.presets->LoadPresetAt(command.index);
            break;
        case MidiAction::kPedal:
            if (Effect* pedal = TheEffectChain().EffectByKey(command.index)) {
                const bool on = pedal->enabled.load(std::memory_order_relaxed) != 0;
                if (on != command.on) pedal->ToggleEnabled();
            }
            break;
        case MidiAction::kMetronome:
            if (targets_.metronome) targets_.metronome->SetRunning(command.on);
            break;
        case MidiAction::kRecord:
            if (audio) press(kRecorderRecordId);
            break;
        case MidiAction::kPlay:
            if (audio) press(kRecorderPlayId);
            break;
        case MidiAction::kStop:
            press(kRecorderStopId);
            break;
        case MidiAction::kPause:
            if (audio) press(kRecorderPauseId);
            break;
        case MidiAction::kNone:
            break;
    }
}

}  // namespace ampliro
