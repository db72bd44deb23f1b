#include "platform/threads/wake_event.h"

#include <cerrno>
#include <ctime>

namespace ampliro {

WakeEvent::WakeEvent() {
    sem_init(&semaphore_, 0, 0);
}

WakeEvent::~WakeEvent() {
    sem_destroy(&semaphore_);
}

void WakeEvent::Post() {
    int value = 0;
    // Many posts before one wait mean one wake: the count stays small.
    if (sem_getvalue(&semaphore_, &value) == 0 && value > 0) return;
    sem_post(&semaphore_);
}

bool WakeEvent::WaitFor(uint32_t ms) {
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    for (;;) {
        if (sem_timedwait(&semaphore_, &deadline) == 0) return true;
        if (errno != EINTR) return false;
    }
}

}  // namespace ampliro
