// A JACK client of the test's own, "probe", with an output port "out" and an
// input port "in". On request it plays a signal from its output and records
// its input, both from the same cycle on, so that the recording of a loop
// shows the loop's delay in frames. It also counts the server's xruns.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace ampliro {

class JackProbe {
  public:
    JackProbe();
    ~JackProbe();
    JackProbe(const JackProbe&) = delete;
    JackProbe& operator=(const JackProbe&) = delete;

    // Connects to the process's default server and activates; false when
    // no server answers.
    bool Open();
    // Leaves the server; once it has died, do so before another starts:
    // libjack cannot close a dead server's client after that.
    void Close();
    bool Connect(const std::string& from, const std::string& to);
    bool Disconnect(const std::string& from, const std::string& to);
    std::string OutName() const;
    std::string InName() const;
    jack_client_t* Client() { return client_; }

    // Plays signal once and records as many frames, from the next cycle on;
    // returns the recording once complete (empty when it timed out).
    std::vector<float> PlayAndRecord(const std::vector<float>& signal);
    uint32_t Xruns() const { return xruns_.load(std::memory_order_relaxed); }
    bool ServerGone() const { return gone_.load(std::memory_order_relaxed); }

  private:
    static int Process(jack_nframes_t frames, void* arg);
    static int OnXrun(void* arg);
    static void OnShutdown(void* arg);

    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_port_t* in_ = nullptr;
    std::vector<float> signal_;
    std::vector<float> recording_;
    std::atomic<bool> armed_{false};
    std::atomic<bool> done_{false};
    size_t position_ = 0;
    std::atomic<uint32_t> xruns_{0};
    std::atomic<bool> gone_{false};
};

// A plain loopback client, "loopback": copies its input port "in" to its
// outputs "out_left" and "out_right"; the reference Ampliro is measured
// against, with as many ports and connections.
class JackLoopback {
  public:
    ~JackLoopback() { Close(); }
    // Opens, activates and connects as Ampliro connects itself: the first
    // physical capture port in, the first two playback ports out.
    bool Open();
    void Close();
    std::string InName() const;
    std::string OutName(int channel) const;

  private:
    static int Process(jack_nframes_t frames, void* arg);

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_[2] = {nullptr, nullptr};
};

// The loop delay in frames: the first frame of the recording that holds the
// signal's first (nonzero) sample; -1 when it never arrives.
int32_t LoopDelay(const std::vector<float>& signal, const std::vector<float>& recording);

}  // namespace ampliro
