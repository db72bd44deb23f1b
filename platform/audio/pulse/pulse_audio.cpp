#include "platform/audio/pulse/pulse_audio.h"

#include "platform/audio/session_devices.h"

namespace ampliro {

std::shared_ptr<PulseSession> PulseAudioBackend::SessionFor(const WaveFormat& format, bool capture,
                                                            int32_t& result) {
    result = kWaveOk;
    if (format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16 || format.channels != 1 ||
        format.samplesPerSecond == 0) {
        lastError_ = "Ampliro plays 16-bit mono streams only";
        result = kWaveInvalidParam;
        return nullptr;
    }
    std::shared_ptr<PulseSession> session = session_.lock();
    const bool joinable = session && session->SampleRate() == format.samplesPerSecond &&
                          !(capture ? session->HasCapture() : session->HasPlayback());
    if (joinable) return session;
    std::unique_ptr<PulseSession> opened;
    result = PulseSession::Open(format.samplesPerSecond, opened, lastError_);
    if (result != kWaveOk) return nullptr;
    opened->SetSink(sink_);
    session = std::move(opened);
    session_ = session;
    return session;
}

int32_t PulseAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                       std::unique_ptr<WaveIn>& device) {
    int32_t result = kWaveOk;
    std::shared_ptr<PulseSession> session = SessionFor(format, true, result);
    if (!session) return result;
    auto in = std::make_unique<SessionWaveIn<PulseSession>>(session);
    if (!session->AttachCapture(notify, reinterpret_cast<uintptr_t>(in.get()))) return kWaveError;
    device = std::move(in);
    return kWaveOk;
}

int32_t PulseAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                        std::unique_ptr<WaveOut>& device) {
    int32_t result = kWaveOk;
    std::shared_ptr<PulseSession> session = SessionFor(format, false, result);
    if (!session) return result;
    auto out = std::make_unique<SessionWaveOut<PulseSession>>(session);
    if (!session->AttachPlayback(notify, reinterpret_cast<uintptr_t>(out.get()))) {
        return kWaveError;
    }
    device = std::move(out);
    return kWaveOk;
}

std::string PulseAudioBackend::CaptureDeviceName() {
    return "the sound server's default input (PulseAudio)";
}

std::string PulseAudioBackend::PlaybackDeviceName() {
    return "the sound server's default output (PulseAudio)";
}

void PulseAudioBackend::SetNotificationSink(WaveNotificationSink sink) {
    sink_ = sink;
    if (std::shared_ptr<PulseSession> session = session_.lock()) session->SetSink(sink);
}

bool PulseAudioBackend::Failed(std::string& reason) {
    std::shared_ptr<PulseSession> session = session_.lock();
    return session && session->Failed(reason);
}

}  // namespace ampliro
