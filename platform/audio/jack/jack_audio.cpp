#include "platform/audio/jack/jack_audio.h"

#include "platform/audio/jack/jack_server.h"
#include "platform/audio/session_devices.h"

namespace ampliro {
namespace {

bool Playable(const WaveFormat& format) {
    return format.formatTag == WAVE_FORMAT_PCM && format.bitsPerSample == 16 &&
           format.channels == 1 && format.samplesPerSecond > 0;
}

}  // namespace

std::shared_ptr<JackSession> JackAudioBackend::SessionFor(const WaveFormat& format, bool capture,
                                                          int32_t& result) {
    result = kWaveOk;
    if (!Playable(format)) {
        lastError_ = "JACK carries 16-bit mono streams only";
        result = kWaveInvalidParam;
        return nullptr;
    }
    std::shared_ptr<JackSession> session = session_.lock();
    const bool joinable = session && session->SampleRate() == format.samplesPerSecond &&
                          !(capture ? session->HasCapture() : session->HasPlayback());
    if (joinable) return session;
    std::unique_ptr<JackSession> opened;
    result = JackSession::Open(format.samplesPerSecond, opened, lastError_);
    if (result != kWaveOk) return nullptr;
    opened->SetSink(sink_);
    opened->SetMidiInbox(midiInbox_);
    session = std::move(opened);
    session_ = session;
    return session;
}

int32_t JackAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveIn>& device) {
    int32_t result = kWaveOk;
    std::shared_ptr<JackSession> session = SessionFor(format, true, result);
    if (!session) return result;
    auto in = std::make_unique<SessionWaveIn<JackSession>>(session);
    if (!session->AttachCapture(notify, reinterpret_cast<uintptr_t>(in.get()))) {
        lastError_ = "the JACK server refused Ampliro's input port";
        return kWaveError;
    }
    device = std::move(in);
    return kWaveOk;
}

int32_t JackAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                       std::unique_ptr<WaveOut>& device) {
    int32_t result = kWaveOk;
    std::shared_ptr<JackSession> session = SessionFor(format, false, result);
    if (!session) return result;
    auto out = std::make_unique<SessionWaveOut<JackSession>>(session);
    if (!session->AttachPlayback(notify, reinterpret_cast<uintptr_t>(out.get()))) {
        lastError_ = "the JACK server refused Ampliro's output ports";
        return kWaveError;
    }
    device = std::move(out);
    return kWaveOk;
}

std::string JackAudioBackend::CaptureDeviceName() {
    return "JACK client \"Ampliro\", input";
}

std::string JackAudioBackend::PlaybackDeviceName() {
    return "JACK client \"Ampliro\", outputs left and right";
}

void JackAudioBackend::SetNotificationSink(WaveNotificationSink sink) {
    sink_ = sink;
    if (std::shared_ptr<JackSession> session = session_.lock()) session->SetSink(sink);
}

void JackAudioBackend::SetMidiInbox(MidiInbox* inbox) {
    midiInbox_ = inbox;
    if (std::shared_ptr<JackSession> session = session_.lock()) session->SetMidiInbox(inbox);
}

uint32_t JackServerSampleRate() {
    return JackSession::ServerSampleRate();
}

bool JackAudioBackend::Failed(std::string& reason) {
    std::shared_ptr<JackSession> session = session_.lock();
    return session && session->CurrentFailure(reason) != JackSession::kNoFailure;
}

std::shared_ptr<JackSession> JackAudioBackend::Session() {
    return session_.lock();
}

}  // namespace ampliro
