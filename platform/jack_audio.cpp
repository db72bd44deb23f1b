#include "platform/jack_audio.h"

#include "platform/jack_server.h"

namespace ampliro {
namespace {

bool Playable(const WaveFormat& format) {
    return format.formatTag == WAVE_FORMAT_PCM && format.bitsPerSample == 16 &&
           format.channels == 1 && format.samplesPerSecond > 0;
}

class JackWaveIn final : public WaveIn {
  public:
    explicit JackWaveIn(std::shared_ptr<JackSession> session) : session_(std::move(session)) {}
    ~JackWaveIn() override { Close(); }

    int32_t Prepare(WaveHeader* header) override { return PrepareWaveHeader(header); }
    int32_t AddBuffer(WaveHeader* header) override {
        return session_ ? session_->QueueCapture(header) : kWaveBadDevice;
    }
    int32_t Start() override { return session_ ? session_->Start() : kWaveBadDevice; }
    int32_t Reset() override {
        if (!session_) return kWaveBadDevice;
        // Deactivating waits for a cycle in progress; after it the queues
        // belong to this thread.
        session_->Stop();
        session_->ReturnCaptureHeaders();
        return kWaveOk;
    }
    int32_t Unprepare(WaveHeader* header) override { return UnprepareWaveHeader(header); }
    int32_t Close() override {
        if (!session_) return kWaveOk;
        session_->DetachCapture();
        session_.reset();
        return kWaveOk;
    }

  private:
    std::shared_ptr<JackSession> session_;
};

class JackWaveOut final : public WaveOut {
  public:
    explicit JackWaveOut(std::shared_ptr<JackSession> session) : session_(std::move(session)) {}
    ~JackWaveOut() override { Close(); }

    int32_t Prepare(WaveHeader* header) override { return PrepareWaveHeader(header); }
    int32_t Write(WaveHeader* header) override {
        return session_ ? session_->QueuePlayback(header) : kWaveBadDevice;
    }
    int32_t Reset() override {
        if (!session_) return kWaveBadDevice;
        session_->Stop();
        session_->ReturnPlaybackHeaders();
        return kWaveOk;
    }
    int32_t Unprepare(WaveHeader* header) override { return UnprepareWaveHeader(header); }
    int32_t Close() override {
        if (!session_) return kWaveOk;
        session_->DetachPlayback();
        session_.reset();
        return kWaveOk;
    }

  private:
    std::shared_ptr<JackSession> session_;
};

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
    auto in = std::make_unique<JackWaveIn>(session);
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
    auto out = std::make_unique<JackWaveOut>(session);
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
