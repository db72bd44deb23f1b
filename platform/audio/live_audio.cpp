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

AudioBackend* LiveAudioBackend::ForcedBackend() {
    switch (forcedChoice.load(std::memory_order_relaxed)) {
        case LiveBackendChoice::kJack:
            return &jack_;
        case LiveBackendChoice::kPulse:
            return &pulse_;
        case LiveBackendChoice::kSdl:
            return &sdl_;
        default:
            return nullptr;
    }
}

bool LiveAudioBackend::Allowed(const AudioBackend* backend) {
    if (const AudioBackend* forced = ForcedBackend()) return backend == forced;
    return backend != &pulse_ || PulseAllowed();
}

int32_t LiveAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveIn>& device) {
    // A forced back end is the only one tried, and its answer stands.
    if (AudioBackend* forced = ForcedBackend()) {
        chosen_ = forced;
        return forced->OpenCapture(format, notify, device);
    }
    // A server that answers is used or refuses with its reason (a JACK
    // server at a rate other than the one chosen); only when none answers is
    // the next back end tried. The last one's answer stands, whatever it is.
    for (AudioBackend* backend : order_) {
        if (!Allowed(backend)) continue;
        const int32_t result = backend->OpenCapture(format, notify, device);
        if (result != kWaveNoDriver || backend == order_.back()) {
            chosen_ = backend;
            return result;
        }
    }
    return kWaveNoDriver;
}

int32_t LiveAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                       std::unique_ptr<WaveOut>& device) {
    // The stream opens its capture first; the output follows its choice.
    return chosen_->OpenPlayback(format, notify, device);
}

AudioBackend& LiveAudioBackend::Answering() {
    if (AudioBackend* forced = ForcedBackend()) return *forced;
    for (AudioBackend* backend : order_) {
        if (Allowed(backend) && backend->Answers()) return *backend;
    }
    return *order_.back();
}

void LiveAudioBackend::SetNotificationSink(WaveNotificationSink sink) {
    for (AudioBackend* backend : order_) backend->SetNotificationSink(sink);
}

void LiveAudioBackend::SetMidiInbox(MidiInbox* inbox) {
    for (AudioBackend* backend : order_) backend->SetMidiInbox(inbox);
}

bool LiveAudioBackend::MidiPortOpen() {
    for (AudioBackend* backend : order_) {
        if (backend->MidiPortOpen()) return true;
    }
    return false;
}

}  // namespace ampliro
