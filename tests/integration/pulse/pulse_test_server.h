// A private PulseAudio server for a test, as a guitarist's rig would look:
// two timer-clocked null sinks, "guitar" (whose monitor is the default
// source, Ampliro's input) and "amp" (the default sink, Ampliro's output),
// on a socket of its own that becomes this process's server
// (PULSE_SERVER). Started and stopped by its process id.
#pragma once

#include <sys/types.h>

#include <string>

namespace ampliro {

class PulseTestServer {
  public:
    PulseTestServer();
    ~PulseTestServer();
    PulseTestServer(const PulseTestServer&) = delete;
    PulseTestServer& operator=(const PulseTestServer&) = delete;

    // Starts the server and waits until a client can connect; false when it
    // did not come up within a few seconds.
    bool Start();
    // SIGKILL: the server vanishes without a word to its clients.
    void Kill();
    // SIGTERM and wait.
    void Stop();
    std::string Log() const;

  private:
    std::string folder_;
    pid_t pid_ = -1;
};

}  // namespace ampliro
