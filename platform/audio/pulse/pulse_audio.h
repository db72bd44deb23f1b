// The PulseAudio client behind the wave-header model: the capture and the
// playback device of one stream share one PulseSession, whose thread
// processes every block as its last fragment arrives and writes the result
// at once (see pulse_session.h). The server resamples, so every rate plays.
#pragma once

#include "platform/audio/pulse/pulse_session.h"
#include "platform/audio/session_backend.h"

namespace ampliro {

// OpenCapture returns kWaveNoDriver when no PulseAudio server answers.
class PulseAudioBackend final : public SessionAudioBackend<PulseSession> {
  public:
    PulseAudioBackend();
    bool Answers() override { return PulseSession::ServerAnswers(); }
    std::string CaptureDeviceName() override;
    std::string PlaybackDeviceName() override;
};

}  // namespace ampliro
