// AlsaMidiSource: Ampliro as a client of the ALSA sequencer, "Ampliro", with
// one port "midi_in" that a foot controller is connected to (`aconnect`, or
// any patchbay). A thread of its own waits for events and posts each channel
// message to a MidiInbox as MIDI bytes; the main thread parses and acts.
#pragma once

#include <alsa/asoundlib.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/midi/midi_inbox.h"

namespace ampliro {

// The MIDI bytes of one sequencer event into out (3 bytes at most); 0 for an
// event that carries no channel message (SysEx, clock, port and client
// announcements) or whose channel, number or value lies outside MIDI's range.
size_t SeqEventToMidi(const snd_seq_event_t& event, uint8_t out[3]);

class AlsaMidiSource {
  public:
    AlsaMidiSource() = default;
    ~AlsaMidiSource() { Close(); }
    AlsaMidiSource(const AlsaMidiSource&) = delete;
    AlsaMidiSource& operator=(const AlsaMidiSource&) = delete;

    // Opens the client and its port and starts the reader. False, with the
    // reason in error, when the system has no sequencer (no snd-seq module,
    // no /dev/snd/seq in a container) or refuses the port.
    bool Open(MidiInbox& inbox, std::string& error);
    // Stops the reader and leaves the sequencer.
    void Close();
    bool IsOpen() const { return seq_ != nullptr; }
    // The sequencer address of the port, as `aconnect -l` lists it.
    int Client() const { return client_; }
    int Port() const { return port_; }

  private:
    void Read();

    snd_seq_t* seq_ = nullptr;
    int client_ = -1;
    int port_ = -1;
    int stopFd_ = -1;  // an eventfd that wakes the reader to end
    MidiInbox* inbox_ = nullptr;
    std::thread reader_;
};

}  // namespace ampliro
