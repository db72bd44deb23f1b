#include "platform/threads/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace ampliro {
namespace {

// The top of the SCHED_FIFO range is left to the kernel's own watchdog and
// migration threads.
constexpr int kHighestAudioPriority = 90;

bool TryFifo(int priority) {
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace

void NameCurrentThread(const char* name) {
    char kept[16] = {};
    for (size_t i = 0; i + 1 < sizeof kept && name[i] != '\0'; ++i) kept[i] = name[i];
    pthread_setname_np(pthread_self(), kept);
}

ThreadPriority RaiseCurrentThreadToRealTime() {
    const int fifoMax = std::min(sched_get_priority_max(SCHED_FIFO), kHighestAudioPriority);
    if (fifoMax > 0 && TryFifo(fifoMax)) return ThreadPriority::kRealTime;
    // Without the capability, RLIMIT_RTPRIO is the highest FIFO priority an
    // unprivileged user may ask for.
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        const int allowed = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, fifoMax));
        if (allowed > 0 && TryFifo(allowed)) return ThreadPriority::kRealTime;
    }
    // RLIMIT_NICE holds 20 - (the lowest nice value allowed); on Linux a
    // thread id names just this thread.
    int lowestNice = 0;
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        lowestNice = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
    } else {
        lowestNice = -20;
    }
    const id_t self = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, self);
    if (errno == 0 && lowestNice < current && setpriority(PRIO_PROCESS, self, lowestNice) == 0) {
        return ThreadPriority::kRaisedNice;
    }
    return ThreadPriority::kUnchanged;
}

MessageThread::~MessageThread() {
    Quit();
}

bool MessageThread::Start(Procedure procedure) {
    if (Running()) return false;
    if (thread_.joinable()) thread_.join();
    // A quit posted while the last thread was already leaving would end the
    // new one at once.
    queue_.DiscardQuit();
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, procedure] {
            priority_.store(RaiseCurrentThreadToRealTime(), std::memory_order_release);
            exitCode_.store(procedure(queue_), std::memory_order_release);
            running_.store(false, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void MessageThread::Quit() {
    if (!thread_.joinable()) return;
    if (Running()) queue_.PostQuit();
    thread_.join();
}

}  // namespace ampliro
