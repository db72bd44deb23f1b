#include "platform/live_audio.h"

#include "platform/jack_server.h"

namespace ampliro {

int32_t LiveAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveIn>& device) {
    // A JACK server that answers is used or refuses with its reason (a rate
    // other than the one chosen); only when none answers does SDL play.
    const int32_t result = jack_.OpenCapture(format, notify, device);
    if (result != kWaveNoDriver) {
        chosen_ = &jack_;
        return result;
    }
    chosen_ = &sdl_;
    return sdl_.OpenCapture(format, notify, device);
}

int32_t LiveAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                       std::unique_ptr<WaveOut>& device) {
    // The stream opens its capture first; the output follows its choice.
    return chosen_->OpenPlayback(format, notify, device);
}

std::string LiveAudioBackend::CaptureDeviceName() {
    return JackServerSampleRate() != 0 ? jack_.CaptureDeviceName() : sdl_.CaptureDeviceName();
}

std::string LiveAudioBackend::PlaybackDeviceName() {
    return JackServerSampleRate() != 0 ? jack_.PlaybackDeviceName() : sdl_.PlaybackDeviceName();
}

void LiveAudioBackend::SetNotificationSink(WaveNotificationSink sink) {
    jack_.SetNotificationSink(sink);
    sdl_.SetNotificationSink(sink);
}

}  // namespace ampliro
