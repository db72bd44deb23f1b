#include "platform/audio/live_audio.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/audio/jack/jack_server.h"

namespace ampliro {
namespace {

// SDL_AUDIODRIVER names the driver a user asked SDL for (a file, a dummy, a
// sound server of its own); PulseAudio is tried only when it is unset or
// names PulseAudio itself.
std::atomic<LiveBackendChoice> forcedChoice{LiveBackendChoice::kAutomatic};

bool Forced(LiveBackendChoice choice) {
    return forcedChoice.load(std::memory_order_relaxed) == choice;
}

bool PulseAllowed() {
    if (Forced(LiveBackendChoice::kPulse)) return true;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver == nullptr || *driver == '\0' || std::strcmp(driver, "pulseaudio") == 0;
}

}  // namespace

void ForceLiveBackend(LiveBackendChoice choice) {
    forcedChoice.store(choice, std::memory_order_relaxed);
}

LiveBackendChoice ForcedLiveBackend() {
    return forcedChoice.load(std::memory_order_relaxed);
}

bool LiveBackendAnswers(LiveBackendChoice choice) {
    switch (choice) {
        case LiveBackendChoice::kJack:
            return JackServerSampleRate() != 0;
        case LiveBackendChoice::kPulse:
            return PulseSession::ServerAnswers();
        default:
            return true;
    }
}

int32_t LiveAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveIn>& device) {
    if (Forced(LiveBackendChoice::kJack)) {
        chosen_ = &jack_;
        return jack_.OpenCapture(format, notify, device);
    }
    if (Forced(LiveBackendChoice::kPulse)) {
        chosen_ = &pulse_;
        return pulse_.OpenCapture(format, notify, device);
    }
    if (Forced(LiveBackendChoice::kSdl)) {
        chosen_ = &sdl_;
        return sdl_.OpenCapture(format, notify, device);
    }
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
    if (Forced(LiveBackendChoice::kJack)) return jack_;
    if (Forced(LiveBackendChoice::kPulse)) return pulse_;
    if (Forced(LiveBackendChoice::kSdl)) return sdl_;
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
