// SessionQueues: the wave headers the two devices of one session (a JACK
// client, a PulseAudio connection) have handed in, and the way each goes
// back. The thread that owns the stream queues headers; the session's own
// thread takes them in order and hands each back through the notification
// sink at once when one is set (the block is then processed in the same
// turn), else through the device's queue. While the session is stopped the
// main thread returns what is left.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "platform/audio/audio_health.h"
#include "platform/audio/header_handoff.h"
#include "platform/audio/wave_device.h"
#include "platform/threads/thread_queue.h"

namespace ampliro {

class SessionQueues {
  public:
    // Main thread, while stopped: where each side's headers go back.
    void AttachCapture(ThreadQueue& notify, uintptr_t device) {
        captureQueue_ = &notify;
        captureDevice_ = device;
    }
    void AttachPlayback(ThreadQueue& notify, uintptr_t device) {
        playbackQueue_ = &notify;
        playbackDevice_ = device;
    }
    void DetachCapture() { captureQueue_ = nullptr; }
    void DetachPlayback() { playbackQueue_ = nullptr; }
    bool CaptureAttached() const { return captureQueue_ != nullptr; }
    bool PlaybackAttached() const { return playbackQueue_ != nullptr; }
    void SetSink(WaveNotificationSink sink) { sink_.store(sink, std::memory_order_release); }

    // The stream's thread: a header to fill, or to play.
    int32_t QueueCapture(WaveHeader* header) { return QueueHeader(captureQueued_, header, true); }
    int32_t QueuePlayback(WaveHeader* header) {
        return QueueHeader(playbackQueued_, header, false);
    }

    // The session's thread: appends `count` input samples to the oldest
    // queued capture headers. write(destination, first, n) puts input
    // samples first .. first + n - 1 there; a header that fills up goes back
    // at once, and then filled() runs. With no header queued the rest of
    // the input is lost, counted as one lost block.
    template <typename Write, typename Filled>
    void Record(uint32_t count, Write write, Filled filled) {
        uint32_t done = 0;
        while (done < count) {
            WaveHeader* header = captureQueued_.Front();
            if (header == nullptr) {
                StreamHealth().droppedBlocks.fetch_add(1, std::memory_order_relaxed);
                return;
            }
            const uint32_t recorded = header->bytesRecorded.load(std::memory_order_relaxed);
            const uint32_t room = (header->bufferLength - recorded) / 2;
            const uint32_t n = std::min(room, count - done);
            write(reinterpret_cast<int16_t*>(header->data + recorded), done, n);
            done += n;
            header->bytesRecorded.store(recorded + n * 2, std::memory_order_relaxed);
            if (room == n) {
                FinishCapture();
                filled();
            }
        }
    }
    // The stream's block in frames: its buffers all have one size, so the
    // oldest queued capture buffer tells it; 0 with none queued.
    uint32_t BlockFrames() const {
        const WaveHeader* first = captureQueued_.Front();
        return first != nullptr ? first->bufferLength / 2 : 0;
    }
    HeaderHandoff& Captures() { return captureQueued_; }
    HeaderHandoff& Playbacks() { return playbackQueued_; }
    // Takes the oldest header of a side and hands it back done.
    void FinishCapture() { Finish(captureQueued_, MM_WIM_DATA); }
    void FinishPlayback() { Finish(playbackQueued_, MM_WOM_DONE); }

    // Main thread, while stopped: every header still queued goes back.
    void ReturnCaptures() { Return(captureQueued_, captureQueue_, MM_WIM_DATA, captureDevice_); }
    void ReturnPlaybacks() {
        Return(playbackQueued_, playbackQueue_, MM_WOM_DONE, playbackDevice_);
    }

  private:
    void Finish(HeaderHandoff& queue, uint32_t message) {
        WaveHeader* header = queue.Pop();
        if (header == nullptr) return;
        FinishQueuedHeader(header);
        const bool capture = message == MM_WIM_DATA;
        const uintptr_t device = capture ? captureDevice_ : playbackDevice_;
        if (WaveNotificationSink sink = sink_.load(std::memory_order_acquire)) {
            sink(message, device, reinterpret_cast<uintptr_t>(header));
            return;
        }
        ThreadQueue* notify = capture ? captureQueue_ : playbackQueue_;
        if (notify != nullptr) notify->Post(message, device, reinterpret_cast<uintptr_t>(header));
    }
    static void Return(HeaderHandoff& queue, ThreadQueue* notify, uint32_t message,
                       uintptr_t device) {
        while (WaveHeader* header = queue.Pop()) {
            FinishQueuedHeader(header);
            if (notify != nullptr)
                notify->Post(message, device, reinterpret_cast<uintptr_t>(header));
        }
    }

    ThreadQueue* captureQueue_ = nullptr;
    ThreadQueue* playbackQueue_ = nullptr;
    uintptr_t captureDevice_ = 0;
    uintptr_t playbackDevice_ = 0;
    std::atomic<WaveNotificationSink> sink_{nullptr};
    HeaderHandoff captureQueued_;
    HeaderHandoff playbackQueued_;
};

// What a session (a JACK client, a PulseAudio connection) offers the two
// devices that share it, over its queues; see session_devices.h.
class QueuedSession {
  public:
    QueuedSession() = default;
    // The devices and the session's thread hold on to this very object.
    QueuedSession(const QueuedSession&) = delete;
    QueuedSession& operator=(const QueuedSession&) = delete;

    bool HasCapture() const { return queues_.CaptureAttached(); }
    bool HasPlayback() const { return queues_.PlaybackAttached(); }
    void SetSink(WaveNotificationSink sink) { queues_.SetSink(sink); }
    // The thread that owns the stream (the session's own thread while it
    // runs): queue a header to fill or to play.
    int32_t QueueCapture(WaveHeader* header) { return queues_.QueueCapture(header); }
    int32_t QueuePlayback(WaveHeader* header) { return queues_.QueuePlayback(header); }

  protected:
    SessionQueues queues_;
};

}  // namespace ampliro
