// PulseSession: Ampliro as a client of a PulseAudio server (PipeWire's
// PulseAudio service included), one record and one playback stream shared
// by the capture and the playback device of one stream, both driven from one
// real-time thread of our own.
//
// That thread waits on the server's messages. The input arrives in
// fragments of about 3 ms and is appended to the oldest queued capture
// header; a header that fills up goes back to its owner at once, on this
// thread, through the notification sink, so the stream processes the block
// and queues the result for playback, and the result is written to the
// server there and then: nothing waits for a second clock to come round.
//
// Latency: each block is written as soon as it is complete, behind a
// cushion of silence of about 10 ms written with the first block, so the
// server holds between the cushion and the cushion plus a block, and its
// sink takes it in pieces of a fragment. A sample so waits for the rest of
// its block B, the input fragment F, the cushion C and the sink's fragment:
// B + C + 2F in all, 26 ms at the default 44.1 kHz and latency 12. The
// server never waits for us: when our data comes late (the thread woke
// late) it plays silence in its place and cuts the late data's head, so a
// gap costs its length once and the latency stays where it was; each gap
// also lengthens the cushion by a step, up to 10 ms more. Two devices with
// clocks of their own drift apart: the level the server holds is read at
// every write, and a DriftJudge drops or repeats one block, cross-faded at
// the seam.
//
// The thread never allocates, locks or logs in our code; the main thread
// touches the queues and the streams only while the thread is stopped.
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/audio/drift_judge.h"
#include "platform/audio/seam_fade.h"
#include "platform/audio/session_queues.h"
#include "platform/audio/wave_device.h"
#include "platform/threads/thread_queue.h"

namespace ampliro {

class PulseSession final : public QueuedSession {
  public:
    // kWaveNoDriver when no server answers.
    static int32_t Open(uint32_t rate, std::unique_ptr<PulseSession>& session, std::string& error);
    // Whether a PulseAudio server answers.
    static bool ServerAnswers();

    ~PulseSession();

    // Main thread, while stopped.
    bool AttachCapture(ThreadQueue& notify, uintptr_t device);
    bool AttachPlayback(ThreadQueue& notify, uintptr_t device);
    void DetachCapture();
    void DetachPlayback();

    // Main thread. Start connects both streams to the default devices and
    // starts the thread; Stop ends the thread and disconnects the streams.
    int32_t Start();
    void Stop();
    void ReturnCaptureHeaders();
    void ReturnPlaybackHeaders();

    // True once the server has gone; reason then says so for the user.
    bool Failed(std::string& reason) const;
    uint32_t SampleRate() const { return rate_; }

    // The cushion of silence, in frames (read by the main thread while
    // stopped, or for a test's figure).
    uint32_t CushionFrames() const { return cushion_.load(std::memory_order_relaxed); }
    uint32_t Drops() const { return drops_.load(std::memory_order_relaxed); }
    uint32_t Repeats() const { return repeats_.load(std::memory_order_relaxed); }

  private:
    PulseSession(pa_mainloop* loop, pa_context* context, uint32_t rate);

    static void OnContextState(pa_context* context, void* arg);
    static void OnStreamState(pa_stream* stream, void* arg);
    static void OnRead(pa_stream* stream, size_t bytes, void* arg);
    static void OnUnderflow(pa_stream* stream, void* arg);

    bool ConnectStreams();
    void DisconnectStreams();
    bool WaitUntilReady(pa_stream* stream);
    void Run();
    void Capture(const int16_t* samples, uint32_t count);
    void Play();
    void WriteBlock(const int16_t* samples, uint32_t count);
    void WriteSilence();
    void Write(const int16_t* samples, uint32_t count);
    void Fail(const char* reason);
    void PublishLatency();

    pa_mainloop* loop_;
    pa_context* context_;
    pa_stream* record_ = nullptr;
    pa_stream* playback_ = nullptr;
    uint32_t rate_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    bool running_ = false;

    // The thread's state; the main thread sets it only while stopped.
    uint32_t blockFrames_ = 0;
    uint32_t fragmentFrames_ = 0;
    std::atomic<uint32_t> cushion_{0};
    uint32_t cushionLimit_ = 0;
    uint32_t silenceDue_ = 0;
    int32_t correction_ = 0;
    bool playbackBegun_ = false;
    uint32_t sinceLatency_ = 0;
    DriftJudge judge_;
    SeamFade fade_;
    static constexpr uint32_t kMaxBlock = 4096;
    int16_t out_[kMaxBlock] = {};
    const int16_t silence_[kMaxBlock] = {};
    int16_t last_[kMaxBlock] = {};
    uint32_t lastCount_ = 0;

    std::atomic<bool> failed_{false};
    char reason_[160] = {};
    std::atomic<uint32_t> drops_{0};
    std::atomic<uint32_t> repeats_{0};
};

}  // namespace ampliro
