// The PulseAudio client behind the wave-header model: the capture and the
// playback device of one stream share one PulseSession, whose thread
// processes every block as its last fragment arrives and writes the result
// at once (see pulse_session.h). The server resamples, so every rate plays.
#pragma once

#include <memory>

#include "platform/audio/pulse/pulse_session.h"
#include "platform/audio/wave_device.h"

namespace ampliro {

class PulseAudioBackend final : public AudioBackend {
  public:
    // OpenCapture returns kWaveNoDriver when no PulseAudio server answers.
    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override;
    std::string PlaybackDeviceName() override;
    std::string LastError() override { return lastError_; }
    void SetNotificationSink(WaveNotificationSink sink) override;
    bool Failed(std::string& reason) override;

    // The session of the devices opened last while either is open, else null.
    std::shared_ptr<PulseSession> Session() { return session_.lock(); }

  private:
    std::shared_ptr<PulseSession> SessionFor(const WaveFormat& format, bool capture,
                                             int32_t& result);

    std::weak_ptr<PulseSession> session_;
    WaveNotificationSink sink_ = nullptr;
    std::string lastError_;
};

}  // namespace ampliro
