// A private PulseAudio server for a test, as a guitarist's rig would look:
// two timer-clocked null sinks, "guitar" (whose monitor is the default
// source, Ampliro's input) and "amp" (the default sink, Ampliro's output),
// on a socket of its own that becomes this process's server
// (PULSE_SERVER). Started and stopped by its process id.
#pragma once

#include <string>

#include "tests/child_process.h"

namespace ampliro {

class PulseTestServer : public test::ServerProcess {
  public:
    PulseTestServer();
    ~PulseTestServer();
    PulseTestServer(const PulseTestServer&) = delete;
    PulseTestServer& operator=(const PulseTestServer&) = delete;

    // Starts the server and waits until a client can connect; false when it
    // did not come up within a few seconds.
    bool Start();

  private:
    std::string folder_;
};

}  // namespace ampliro
