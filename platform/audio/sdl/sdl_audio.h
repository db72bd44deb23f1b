// The SDL2 audio devices behind the wave-header model. Capture and playback
// are two SDL devices opened separately; their callbacks, on SDL's own
// threads, fill and drain the queued headers and post the notifications.
#pragma once

#include "platform/audio/wave_device.h"

namespace ampliro {

class SdlAudioBackend final : public AudioBackend {
  public:
    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override;
    std::string PlaybackDeviceName() override;
    std::string LastError() override { return lastError_; }

  private:
    std::string lastError_;
};

}  // namespace ampliro
