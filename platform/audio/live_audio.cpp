#include "platform/audio/live_audio.h"

#include <cstdlib>
#include <cstring>

#include "platform/audio/jack/jack_server.h"

namespace ampliro {
namespace {

// SDL_AUDIODRIVER names the driver a user asked SDL for (a file, a dummy, a
// sound server of its own); PulseAudio is tried only when it is unset or
// names PulseAudio itself.
bool PulseAllowed() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver == nullptr || *driver == '\0' || std::strcmp(driver, "pulseaudio") == 0;
}

}  // namespace

int32_t LiveAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveIn>& device) {
    // A JACK server that answers is used or refuses with its reason (a rate
    // other than the one chosen); only when none answers does SDL play.
    const int32_t result = jack_.OpenCapture(format, notify, device);
    if (result != kWaveNoDriver) {
        chosen_ = &jack_;
        return result;
    }
    if (PulseAllowed()) {
        const int32_t pulse = pulse_.OpenCapture(format, notify, device);
        if (pulse != kWaveNoDriver) {
            chosen_ = &pulse_;
            return pulse;
        }
    }
    chosen_ = &sdl_;
    return sdl_.OpenCapture(format, notify, device);
}

int32_t LiveAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                       std::unique_ptr<WaveOut>& device) {
    // The stream opens its capture first; the output follows its choice.
    return chosen_->OpenPlayback(format, notify, device);
}

AudioBackend& LiveAudioBackend::Answering() {
    if (JackServerSampleRate() != 0) return jack_;
    if (PulseAllowed() && PulseSession::ServerAnswers()) return pulse_;
    return sdl_;
}

std::string LiveAudioBackend::CaptureDeviceName() {
    return Answering().CaptureDeviceName();
}

std::string LiveAudioBackend::PlaybackDeviceName() {
    return Answering().PlaybackDeviceName();
}

void LiveAudioBackend::SetNotificationSink(WaveNotificationSink sink) {
    jack_.SetNotificationSink(sink);
    pulse_.SetNotificationSink(sink);
    sdl_.SetNotificationSink(sink);
}

}  // namespace ampliro
