// Starting a server for a test so that it dies with the test, and stopping
// it by its process id: SIGTERM and a second to end, then SIGKILL; or
// SIGKILL at once, as a crash would. Either reaps the process and sets the
// id to -1.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace ampliro::test {

// The command line that runs args as a child which the kernel kills when
// this process ends, however it ends: a test run stopped by Ctrl+C or a CI
// time-out must not leave its servers running. setpriv (util-linux) sets the
// parent-death signal and then execs the command, which keeps it; spawn the
// result from the thread that lives as long as the test (the main thread).
inline std::vector<std::string> TiedToThisProcess(std::vector<std::string> args) {
    args.insert(args.begin(), {"setpriv", "--pdeathsig", "KILL", "--"});
    return args;
}

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
