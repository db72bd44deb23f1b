// A test run that is killed (Ctrl+C, a CI time-out) leaves no server
// behind: the server a test starts dies with the test's process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "jack_test_server.h"

namespace ampliro {
namespace {

// Gone, or a zombie waiting for init to reap it: no longer running.
bool Running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    if (!(stat >> pidField >> name >> state)) return false;
    return state != "Z" && state != "X";
}

TEST(TestServerLifetime, AServerDiesWithTheTestProcessThatStartedIt) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    // The "test process" is a child of this one, killed as a CI time-out
    // would kill it: at once, with no destructor run.
    const pid_t testProcess = ::fork();
    ASSERT_GE(testProcess, 0);
    if (testProcess == 0) {
        ::close(report[0]);
        JackTestServer server;
        const pid_t started = server.Start() ? server.Pid() : -1;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &started, sizeof started);
        ::pause();
        ::_exit(0);
    }
    ::close(report[1]);
    pid_t server = -1;
    ASSERT_EQ(::read(report[0], &server, sizeof server), static_cast<ssize_t>(sizeof server));
    ::close(report[0]);
    ASSERT_GT(server, 0) << "jackd did not start";
    ASSERT_TRUE(Running(server));

    ::kill(testProcess, SIGKILL);
    ::waitpid(testProcess, nullptr, 0);
    bool stopped = false;
    for (int i = 0; i < 100 && !stopped; ++i) {
        stopped = !Running(server);
        if (!stopped) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(stopped) << "jackd " << server << " outlived the process that started it";
    if (!stopped) ::kill(server, SIGKILL);
}

}  // namespace
}  // namespace ampliro
