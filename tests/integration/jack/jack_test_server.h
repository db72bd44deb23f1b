// A private JACK server for a test: `jackd -d dummy` at 48 kHz with 64-frame
// periods, without real-time scheduling, under a name no running server has.
// It becomes the default server of this process (JACK_DEFAULT_SERVER) and is
// stopped by its process id.
#pragma once

#include <string>

#include "tests/child_process.h"

namespace ampliro {

class JackTestServer : public test::ServerProcess {
  public:
    explicit JackTestServer(unsigned rate = 48000, unsigned period = 64);
    ~JackTestServer();
    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // Starts jackd and waits until a client can connect; false when it did
    // not come up within a few seconds.
    bool Start();
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    const std::string& Name() const { return name_; }

  private:
    static constexpr int kNameSlots = 4;
    bool StartNamed(const std::string& name);

    unsigned rate_;
    unsigned period_;
    std::string name_;
};

}  // namespace ampliro
