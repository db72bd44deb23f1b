// The capture and the playback device of a back end whose one session (a
// JACK client, a PulseAudio connection) serves both: each device only hands
// its headers to the session and leaves it on close. The session needs
// QueueCapture/QueuePlayback, Start, Stop, ReturnCaptureHeaders,
// ReturnPlaybackHeaders, DetachCapture and DetachPlayback.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/audio/wave_device.h"

namespace ampliro {

// One side of the session: Device is WaveIn for capture, WaveOut for
// playback.
template <typename Session, typename Device>
class SessionDevice : public Device {
  public:
    explicit SessionDevice(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    ~SessionDevice() override { Close(); }

    int32_t Reset() override {
        if (!session_) return kWaveBadDevice;
        // Stopping waits for a block in progress; after it the queues belong
        // to this thread.
        session_->Stop();
        if constexpr (kCapture) {
            session_->ReturnCaptureHeaders();
        } else {
            session_->ReturnPlaybackHeaders();
        }
        return kWaveOk;
    }
    int32_t Close() final {
        if (!session_) return kWaveOk;
        if constexpr (kCapture) {
            session_->DetachCapture();
        } else {
            session_->DetachPlayback();
        }
        session_.reset();
        return kWaveOk;
    }

  protected:
    static constexpr bool kCapture = std::is_same_v<Device, WaveIn>;

    int32_t Queue(WaveHeader* header) {
        if (!session_) return kWaveBadDevice;
        return kCapture ? session_->QueueCapture(header) : session_->QueuePlayback(header);
    }

    std::shared_ptr<Session> session_;
};

template <typename Session>
class SessionWaveIn final : public SessionDevice<Session, WaveIn> {
  public:
    using SessionDevice<Session, WaveIn>::SessionDevice;
    int32_t AddBuffer(WaveHeader* header) override { return this->Queue(header); }
    int32_t Start() override { return this->session_ ? this->session_->Start() : kWaveBadDevice; }
};

template <typename Session>
class SessionWaveOut final : public SessionDevice<Session, WaveOut> {
  public:
    using SessionDevice<Session, WaveOut>::SessionDevice;
    int32_t Write(WaveHeader* header) override { return this->Queue(header); }
};

}  // namespace ampliro
