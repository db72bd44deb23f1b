// The JACK client behind the wave-header model: the capture and the playback
// device of one stream share one JackSession (one client, "Ampliro"). The
// stream's notification sink is handed to the session, so every block is
// processed on JACK's real-time thread in the cycle that completes it.
#pragma once

#include <memory>

#include "platform/audio/jack/jack_session.h"
#include "platform/audio/wave_device.h"

namespace ampliro {

class JackAudioBackend final : public AudioBackend {
  public:
    // OpenCapture returns kWaveNoDriver when no JACK server answers and
    // kWaveBadFormat when the server runs at another rate than the format's.
    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override;
    std::string PlaybackDeviceName() override;
    std::string LastError() override { return lastError_; }
    void SetNotificationSink(WaveNotificationSink sink) override;
    bool Failed(std::string& reason) override;
    void SetMidiInbox(MidiInbox* inbox) override;
    bool MidiPortOpen() override { return Session() != nullptr; }

    // The session of the devices opened last while either is open, else null.
    std::shared_ptr<JackSession> Session();

  private:
    // The session the next device joins: the open one when it still lacks
    // that side, else a new one; null with result set when none opens.
    std::shared_ptr<JackSession> SessionFor(const WaveFormat& format, bool capture,
                                            int32_t& result);

    // The devices own the session: the client leaves the graph as soon as
    // both are closed.
    std::weak_ptr<JackSession> session_;
    WaveNotificationSink sink_ = nullptr;
    MidiInbox* midiInbox_ = nullptr;
    std::string lastError_;
};

}  // namespace ampliro
