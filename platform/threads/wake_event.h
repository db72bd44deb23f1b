// WakeEvent: a counting semaphore that one thread posts and another waits on.
// Posting never blocks and takes no lock (a futex wake at most), so the audio
// thread may post it.
#pragma once

#include <semaphore.h>

#include <cstdint>

namespace ampliro {

class WakeEvent {
  public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // Any thread, the audio thread included.
    void Post();
    // Returns after a post or after about ms milliseconds, whichever comes
    // first; true for a post.
    bool WaitFor(uint32_t ms);

  private:
    sem_t semaphore_;
};

}  // namespace ampliro
