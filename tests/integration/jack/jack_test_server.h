// A private JACK server for a test: `jackd -d dummy` at 48 kHz with 64-frame
// periods, without real-time scheduling, under a name no running server has.
// It becomes the default server of this process (JACK_DEFAULT_SERVER) and is
// stopped by its process id.
#pragma once

#include <sys/types.h>

#include <string>

namespace ampliro {

class JackTestServer {
  public:
    explicit JackTestServer(unsigned rate = 48000, unsigned period = 64);
    ~JackTestServer();
    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // Starts jackd and waits until a client can connect; false when it did
    // not come up within a few seconds.
    bool Start();
    // SIGKILL: the server vanishes without a word to its clients.
    void Kill();
    // SIGTERM and wait.
    void Stop();
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    const std::string& Name() const { return name_; }
    // What jackd wrote to stdout and stderr.
    std::string Log() const;

  private:
    static constexpr int kNameSlots = 4;
    bool StartNamed(const std::string& name);

    unsigned rate_;
    unsigned period_;
    std::string name_;
    std::string logPath_;
    pid_t pid_ = -1;
};

}  // namespace ampliro
