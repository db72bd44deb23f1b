// Starting a server for a test so that it dies with the test, and stopping
// it by its process id: SIGTERM and a second to end, then SIGKILL; or
// SIGKILL at once, as a crash would. Either reaps the process and sets the
// id to -1.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
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

// A server a test starts: stopped by its process id, its log kept in a file.
class ServerProcess {
  public:
    // SIGKILL: the server vanishes without a word to its clients.
    void Kill() { KillChild(pid_); }
    // SIGTERM and wait.
    void Stop() { StopChild(pid_); }
    // What the server wrote to its log.
    std::string Log() const {
        std::ifstream file(logPath_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

  protected:
    std::string logPath_;
    pid_t pid_ = -1;
};

// Runs a shell script; its output (both streams) and its exit code (-1 when
// it did not exit by itself).
inline std::string RunShell(const std::string& script, int* code) {
    const std::string command = "(" + script + ") 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

}  // namespace ampliro::test
