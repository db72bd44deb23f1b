#include "platform/audio/pulse/pulse_audio.h"

namespace ampliro {

// A session refuses a side only while it runs or has that side already,
// which the stream never asks of it; there is nothing more to tell.
PulseAudioBackend::PulseAudioBackend()
    : SessionAudioBackend({"Ampliro plays 16-bit mono streams only", nullptr, nullptr}) {}

std::string PulseAudioBackend::CaptureDeviceName() {
    return "the sound server's default input (PulseAudio)";
}

std::string PulseAudioBackend::PlaybackDeviceName() {
    return "the sound server's default output (PulseAudio)";
}

}  // namespace ampliro
