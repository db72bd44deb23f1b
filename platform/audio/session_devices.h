// The capture and the playback device of a back end whose one session (a
// JACK client, a PulseAudio connection) serves both: each device only hands
// its headers to the session and leaves it on close. The session needs
// QueueCapture/QueuePlayback, Start, Stop, ReturnCaptureHeaders,
// ReturnPlaybackHeaders, DetachCapture and DetachPlayback.
#pragma once

#include <memory>

#include "platform/audio/wave_device.h"

namespace ampliro {

template <typename Session>
class SessionWaveIn final : public WaveIn {
  public:
    explicit SessionWaveIn(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    ~SessionWaveIn() override { Close(); }

    int32_t Prepare(WaveHeader* header) override { return PrepareWaveHeader(header); }
    int32_t AddBuffer(WaveHeader* header) override {
        return session_ ? session_->QueueCapture(header) : kWaveBadDevice;
    }
    int32_t Start() override { return session_ ? session_->Start() : kWaveBadDevice; }
    int32_t Reset() override {
        if (!session_) return kWaveBadDevice;
        // Stopping waits for a block in progress; after it the queues belong
        // to this thread.
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
    std::shared_ptr<Session> session_;
};

template <typename Session>
class SessionWaveOut final : public WaveOut {
  public:
    explicit SessionWaveOut(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    ~SessionWaveOut() override { Close(); }

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
    std::shared_ptr<Session> session_;
};

}  // namespace ampliro
