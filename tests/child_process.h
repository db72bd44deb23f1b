// Stopping a server a test started, by its process id: SIGTERM and a second
// to end, then SIGKILL; or SIGKILL at once, as a crash would. Either reaps
// the process and sets the id to -1.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace ampliro::test {

inline void KillChild(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

inline void StopChild(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    KillChild(pid);
}

}  // namespace ampliro::test
