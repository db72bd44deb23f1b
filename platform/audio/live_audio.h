// The devices the program plays through: a JACK client when a JACK server
// answers (jackd, or PipeWire's JACK service); else a PulseAudio client when
// a PulseAudio server answers (PipeWire's PulseAudio service too) and SDL's
// audio driver is not set to another one; else SDL's default devices. The
// choice is made again at every open, so a server started or stopped while
// the program runs is found at the next power-on.
#pragma once

#include <array>

#include "platform/audio/jack/jack_audio.h"
#include "platform/audio/pulse/pulse_audio.h"
#include "platform/audio/sdl/sdl_audio.h"

namespace ampliro {

// The back end a user asked for on the command line; kAutomatic tries them
// in the order above.
enum class LiveBackendChoice { kAutomatic, kJack, kPulse, kSdl };

// Main thread, before the first power-on. A forced back end is the only one
// tried: without its server the devices do not open.
void ForceLiveBackend(LiveBackendChoice choice);
LiveBackendChoice ForcedLiveBackend();
// Whether the server of that back end answers now (SDL always does).
bool LiveBackendAnswers(LiveBackendChoice choice);

class LiveAudioBackend final : public AudioBackend {
  public:
    LiveAudioBackend() = default;
    // The order points into this object.
    LiveAudioBackend(const LiveAudioBackend&) = delete;
    LiveAudioBackend& operator=(const LiveAudioBackend&) = delete;

    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override { return Answering().CaptureDeviceName(); }
    std::string PlaybackDeviceName() override { return Answering().PlaybackDeviceName(); }
    std::string LastError() override { return chosen_->LastError(); }
    void SetNotificationSink(WaveNotificationSink sink) override;
    bool Failed(std::string& reason) override { return chosen_->Failed(reason); }
    void SetMidiInbox(MidiInbox* inbox) override;
    bool MidiPortOpen() override;
    uint32_t ServerBlockCapacity() override { return chosen_->ServerBlockCapacity(); }

    // True while the devices opened last are JACK's, or PulseAudio's.
    bool OnJack() const { return chosen_ == &jack_; }
    bool OnPulse() const { return chosen_ == &pulse_; }

  private:
    // The back end the command line forced, or null.
    AudioBackend* ForcedBackend();
    // Whether the order may try this back end now.
    bool Allowed(const AudioBackend* backend);
    // The back end the next open would choose, for the devices' names.
    AudioBackend& Answering();

    JackAudioBackend jack_;
    PulseAudioBackend pulse_;
    SdlAudioBackend sdl_;
    // The order the back ends are tried in. A JACK server runs only when
    // someone started it for low latency, so it comes first; SDL's default
    // devices always open, so they come last.
    const std::array<AudioBackend*, 3> order_ = {&jack_, &pulse_, &sdl_};
    AudioBackend* chosen_ = &sdl_;
};

}  // namespace ampliro
