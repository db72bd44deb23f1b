// MidiControl: a MIDI foot controller plays the program. Two sources feed it:
// the audio back end's own MIDI port (JACK's "Ampliro:midi_in") while the
// devices are open on it, and otherwise the ALSA sequencer's port
// "Ampliro:midi_in". Each source posts raw bytes to an inbox of its own; once
// a frame the main thread parses them and carries out the default map
// (app/midi/midi_map.h) with the same operations the screens' buttons use.
#pragma once

#include <cstdint>
#include <string>

#include "app/midi/midi_map.h"
#include "platform/midi/alsa_midi_source.h"
#include "platform/midi/midi_inbox.h"
#include "platform/midi/midi_parser.h"

namespace ampliro {

class MetronomeScreen;
class PresetsScreen;
class RecorderScreen;

struct MidiTargets {
    PresetsScreen* presets = nullptr;
    MetronomeScreen* metronome = nullptr;
    RecorderScreen* recorder = nullptr;
};

class MidiControl {
  public:
    MidiControl() = default;
    ~MidiControl() { Stop(); }
    MidiControl(const MidiControl&) = delete;
    MidiControl& operator=(const MidiControl&) = delete;

    // Main thread, at start-up: hands the back end its inbox.
    void Start(const MidiTargets& targets);
    // Main thread, once a frame: keeps one source open (the back end's port
    // while it has one, else the sequencer's), then acts on what arrived.
    void Poll();
    // Main thread, after the audio stream has stopped.
    void Stop();

    // Carries out one command. Presets and pedals answer at any time; the
    // metronome and Record, Play and Pause only while the audio runs, as
    // their screens are reachable only then; Stop always.
    void Execute(const MidiCommand& command);

    bool SequencerOpen() const { return sequencer_.IsOpen(); }

  private:
    void FollowBackend();
    void Drain(MidiInbox& inbox, MidiParser& parser);

    MidiTargets targets_;
    bool started_ = false;
    // False once the sequencer could not be opened: it is not tried again.
    bool sequencerAvailable_ = true;
    MidiInbox portInbox_;
    MidiParser portParser_;
    MidiInbox sequencerInbox_;
    MidiParser sequencerParser_;
    AlsaMidiSource sequencer_;
};

}  // namespace ampliro
