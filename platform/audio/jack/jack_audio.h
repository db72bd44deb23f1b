// The JACK client behind the wave-header model: the capture and the playback
// device of one stream share one JackSession (one client, "Ampliro"). The
// stream's notification sink is handed to the session, so every block is
// processed on JACK's real-time thread in the cycle that completes it.
#pragma once

#include "platform/audio/jack/jack_session.h"
#include "platform/audio/session_backend.h"

namespace ampliro {

// OpenCapture returns kWaveNoDriver when no JACK server answers and
// kWaveBadFormat when the server runs at another rate than the format's.
class JackAudioBackend final : public SessionAudioBackend<JackSession> {
  public:
    JackAudioBackend();
    bool Answers() override;
    std::string CaptureDeviceName() override;
    std::string PlaybackDeviceName() override;
    void SetMidiInbox(MidiInbox* inbox) override;
    bool MidiPortOpen() override { return Session() != nullptr; }
    // The stream's blocks are the server's periods, up to this long; a
    // longer period is carried as several blocks within its cycle.
    uint32_t ServerBlockCapacity() override { return kJackLongestBlock; }

  private:
    void Configure(JackSession& session) override;

    MidiInbox* midiInbox_ = nullptr;
};

}  // namespace ampliro
