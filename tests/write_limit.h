// Runs a piece of code in a child process whose files cannot grow past a
// number of bytes: the kernel fails the write that would cross the limit
// (EFBIG) as a full disk would, half-way through whatever was being written.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace ampliro::testing {

// The child's result (0..255), or -1 when it did not end normally.
inline int RunWithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of killing
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(255);
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace ampliro::testing
