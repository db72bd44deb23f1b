// A foot controller on the JACK graph: a client of the test's own,
// "controller", with a MIDI output port "out". Events handed to Send go out
// in the next cycles, in order, as many per cycle as the port takes.
#pragma once

#include <jack/jack.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace ampliro {

class JackMidiSender {
  public:
    JackMidiSender() = default;
    ~JackMidiSender() { Close(); }
    JackMidiSender(const JackMidiSender&) = delete;
    JackMidiSender& operator=(const JackMidiSender&) = delete;

    // Connects to the process's default server and activates.
    bool Open();
    void Close();
    bool ConnectTo(const std::string& port);
    std::string OutName() const;
    void Send(const std::vector<uint8_t>& event);
    // True once every event handed over has been written to the port.
    bool Sent();

  private:
    static int Process(jack_nframes_t frames, void* arg);

    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    std::mutex mutex_;
    std::deque<std::vector<uint8_t>> pending_;
};

}  // namespace ampliro
