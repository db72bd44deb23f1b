// JackSession: Ampliro on the JACK graph. One JACK client, "Ampliro", shared
// by the capture and the playback device of one stream: an input port "in"
// and two output ports "out_left" and "out_right" that carry the same mono
// signal, and a MIDI input port "midi_in" for a foot controller.
//
// Everything runs in step with the server's cycle, and the stream's block is
// the server's period. The process callback appends the cycle's input to the
// oldest queued capture header and hands it back at the cycle's end (or
// sooner, should a period outgrow a header), on this thread, through the
// notification sink; the stream processes the block and queues the result
// for playback within the same cycle, and the callback then plays it to the
// output ports. Output frame n carries input frame n: nothing is added
// between the input port and the outputs. There is no second clock and so
// nothing drifts.
//
// A new buffer size is simply the next cycle's block: the buffers hold the
// longest period, so the stream goes on playing through the change.
//
// The process callback never allocates, locks, logs or touches a file. The
// main thread touches the queues only while the client is inactive.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/session_queues.h"
#include "platform/audio/wave_device.h"
#include "platform/midi/midi_inbox.h"
#include "platform/threads/thread_queue.h"

namespace ampliro {

// The longest block the stream is handed in one piece: periods up to 4096
// frames are one block each, so the stream's 32768-byte areas hold 4 buffers
// of each direction, and a cycle only ever has one of each in flight.
inline constexpr uint32_t kJackLongestBlock = 4096;

class JackSession final : public QueuedSession {
  public:
    enum Failure : int32_t {
        kNoFailure = 0,
        kServerGone = 1,
        kSampleRateChanged = 3,
    };

    // Opens the client for a stream at this rate. kWaveNoDriver when no JACK
    // server answers, kWaveBadFormat when the server runs at another rate
    // (error then tells the user which rate to choose).
    static int32_t Open(uint32_t rate, std::unique_ptr<JackSession>& session, std::string& error);
    // The sample rate of the server that answers, or 0 when none does.
    static uint32_t ServerSampleRate();

    ~JackSession();

    // Main thread, while inactive: the devices join and leave. Notifications
    // name the device; they go to the sink when one is set, else to notify.
    bool AttachCapture(ThreadQueue& notify, uintptr_t device);
    bool AttachPlayback(ThreadQueue& notify, uintptr_t device);
    void DetachCapture();
    void DetachPlayback();
    // Where the MIDI events that reach "midi_in" go, whole, from the process
    // callback; none (null) drops them.
    void SetMidiInbox(MidiInbox* inbox) { midiInbox_.store(inbox, std::memory_order_release); }

    // Main thread. Start activates the client and connects the ports to the
    // first physical capture port and the first two playback ports. Stop
    // deactivates it: once it returns no process callback runs, and the
    // queued headers may be returned.
    int32_t Start();
    void Stop();
    void ReturnCaptureHeaders();
    void ReturnPlaybackHeaders();

    // The first failure since the open, and its description for the user.
    Failure CurrentFailure(std::string& reason) const;
    bool Failed(std::string& reason) const { return CurrentFailure(reason) != kNoFailure; }

    uint32_t SampleRate() const { return rate_; }
    // The server's period, the stream's block: followed as it changes.
    uint32_t Period() const { return period_.load(std::memory_order_relaxed); }
    // Buffer-size changes followed since the open.
    uint32_t PeriodChanges() const { return periodChanges_.load(std::memory_order_relaxed); }
    std::string ClientName() const;
    // Full port names, such as "Ampliro:in".
    std::string InputPortName() const;
    std::string OutputPortName(int channel) const;
    // "Ampliro:midi_in", or empty when the server refused the port.
    std::string MidiPortName() const;
    // Server xruns while active, and cycles whose output the playback
    // queue could not serve in full.
    uint32_t Xruns() const { return xruns_.load(std::memory_order_relaxed); }
    uint32_t OutputShortfalls() const { return shortfalls_.load(std::memory_order_relaxed); }

  private:
    explicit JackSession(jack_client_t* client);

    static int Process(jack_nframes_t frames, void* arg);
    static int OnXrun(void* arg);
    static int OnBufferSize(jack_nframes_t frames, void* arg);
    static int OnSampleRate(jack_nframes_t rate, void* arg);
    static void OnShutdown(jack_status_t code, const char* reason, void* arg);
    static void OnLatency(jack_latency_callback_mode_t mode, void* arg);

    void Capture(const float* in, uint32_t frames);
    void Play(float* left, float* right, uint32_t frames);
    void ReceiveMidi(uint32_t frames);
    void Fail(Failure failure, const char* reason);
    void FailOnChange(uint32_t value, uint32_t opened, Failure failure);
    void FollowPeriod(uint32_t frames);
    void PublishLatency();
    void ConnectPhysicalPorts();

    jack_client_t* client_;
    uint32_t rate_ = 0;
    std::atomic<uint32_t> period_{0};
    std::atomic<uint32_t> periodChanges_{0};
    bool active_ = false;
    jack_port_t* input_ = nullptr;
    jack_port_t* outputs_[2] = {nullptr, nullptr};
    jack_port_t* midiIn_ = nullptr;
    std::atomic<MidiInbox*> midiInbox_{nullptr};
    // Process-callback state; the main thread sets it only while inactive.
    uint32_t framesOwed_ = 0;     // output frames played as silence for want of data
    uint32_t playedBytes_ = 0;    // of the oldest queued playback header
    bool playbackBegun_ = false;  // a block has been played

    std::atomic<bool> failureClaimed_{false};
    std::atomic<int32_t> failure_{kNoFailure};
    std::atomic<uint32_t> failedValue_{0};  // the new rate
    char serverReason_[160] = {};
    std::atomic<uint32_t> xruns_{0};
    std::atomic<uint32_t> shortfalls_{0};
};

// What the user reads when the server's rate is not the one chosen.
std::string JackRateRefusalText(uint32_t serverRate, uint32_t chosenRate);

}  // namespace ampliro
