// SessionAudioBackend: a back end whose capture and playback device share
// one session with a sound server (a JACK client, a PulseAudio connection).
// The capture device opens the session, the playback device of the same
// stream joins it, and the devices own it: it closes when both have.
//
// The session type provides
//   static int32_t Open(uint32_t rate, std::unique_ptr<SessionType>&, std::string& error)
//   uint32_t SampleRate() const; bool HasCapture() const; bool HasPlayback() const;
//   bool AttachCapture(ThreadQueue&, uintptr_t); bool AttachPlayback(ThreadQueue&, uintptr_t);
//   void SetSink(WaveNotificationSink); bool Failed(std::string& reason) const;
// and what SessionWaveIn and SessionWaveOut need (session_devices.h).
#pragma once

#include <memory>
#include <string>

#include "platform/audio/session_devices.h"
#include "platform/audio/wave_device.h"

namespace ampliro {

template <typename SessionType>
class SessionAudioBackend : public AudioBackend {
  public:
    // What the user reads when a stream is not one the session carries, and
    // when the server refuses a side's ports; a null refusal leaves the last
    // error as it was.
    struct Refusals {
        const char* format;
        const char* capture;
        const char* playback;
    };

    explicit SessionAudioBackend(Refusals refusals) : refusals_(refusals) {}

    // OpenCapture returns kWaveNoDriver when the server does not answer.
    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override {
        return OpenSide<SessionWaveIn<SessionType>>(format, notify, device, true);
    }
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override {
        return OpenSide<SessionWaveOut<SessionType>>(format, notify, device, false);
    }
    std::string LastError() override { return lastError_; }
    void SetNotificationSink(WaveNotificationSink sink) override {
        sink_ = sink;
        if (std::shared_ptr<SessionType> session = session_.lock()) session->SetSink(sink);
    }
    bool Failed(std::string& reason) override {
        std::shared_ptr<SessionType> session = session_.lock();
        return session && session->Failed(reason);
    }

    // The session of the devices opened last while either is open, else null.
    std::shared_ptr<SessionType> Session() { return session_.lock(); }

  protected:
    // Readies a session just opened, before a device joins it.
    virtual void Configure(SessionType& session) { session.SetSink(sink_); }

  private:
    // The session the next device joins: the open one when it still lacks
    // that side, else a new one; null with result set when none opens.
    std::shared_ptr<SessionType> SessionFor(const WaveFormat& format, bool capture,
                                            int32_t& result) {
        result = kWaveOk;
        if (format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16 ||
            format.channels != 1 || format.samplesPerSecond == 0) {
            lastError_ = refusals_.format;
            result = kWaveInvalidParam;
            return nullptr;
        }
        std::shared_ptr<SessionType> session = session_.lock();
        const bool joinable = session && session->SampleRate() == format.samplesPerSecond &&
                              !(capture ? session->HasCapture() : session->HasPlayback());
        if (joinable) return session;
        std::unique_ptr<SessionType> opened;
        result = SessionType::Open(format.samplesPerSecond, opened, lastError_);
        if (result != kWaveOk) return nullptr;
        Configure(*opened);
        session = std::move(opened);
        session_ = session;
        return session;
    }

    template <typename Device, typename Base>
    int32_t OpenSide(const WaveFormat& format, ThreadQueue& notify, std::unique_ptr<Base>& device,
                     bool capture) {
        int32_t result = kWaveOk;
        std::shared_ptr<SessionType> session = SessionFor(format, capture, result);
        if (!session) return result;
        auto opened = std::make_unique<Device>(session);
        const auto id = reinterpret_cast<uintptr_t>(opened.get());
        if (!(capture ? session->AttachCapture(notify, id) : session->AttachPlayback(notify, id))) {
            if (const char* refusal = capture ? refusals_.capture : refusals_.playback) {
                lastError_ = refusal;
            }
            return kWaveError;
        }
        device = std::move(opened);
        return kWaveOk;
    }

    const Refusals refusals_;
    // The devices own the session: it closes as soon as both are closed.
    std::weak_ptr<SessionType> session_;
    WaveNotificationSink sink_ = nullptr;
    std::string lastError_;
};

}  // namespace ampliro
