#include "jack_test_server.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/child_process.h"

extern char** environ;

namespace ampliro {
namespace {

std::atomic<int> gServerCount{0};

void Quiet(const char*) {}

bool ServerAnswers(const std::string& name) {
    // libjack tells stderr about every server it does not find.
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open("ampliro-test-ping", JackOptions(JackNoStartServer | JackServerName),
                         &status, name.c_str());
    if (client == nullptr) return false;
    jack_client_close(client);
    return true;
}

}  // namespace

JackTestServer::JackTestServer(unsigned rate, unsigned period) : rate_(rate), period_(period) {
    logPath_ =
        (std::filesystem::temp_directory_path() / ("ampliro-jackd-" + std::to_string(getpid()) +
                                                   "-" + std::to_string(gServerCount++) + ".log"))
            .string();
}

JackTestServer::~JackTestServer() {
    Stop();
    std::filesystem::remove(logPath_);
}

bool JackTestServer::Start() {
    if (pid_ > 0) return true;
    // JACK keeps a machine-wide table of eight servers, and a killed
    // server's entry is reclaimed only by a server of the same name. A few
    // names, taken in turn, keep the table from filling up.
    for (int slot = 0; slot < kNameSlots; ++slot) {
        const std::string name = "ampliro-test-" + std::to_string(slot);
        if (ServerAnswers(name)) continue;  // another test's
        if (StartNamed(name)) return true;
    }
    return false;
}

bool JackTestServer::StartNamed(const std::string& name) {
    const std::string rate = std::to_string(rate_);
    const std::string period = std::to_string(period_);
    std::vector<std::string> args = test::TiedToThisProcess(
        {"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", rate, "-p", period});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        // A server of that name started meanwhile by another test makes
        // this one give up at once; so the answer counts only if ours lives.
        const bool answers = ServerAnswers(name);
        std::this_thread::sleep_for(std::chrono::milliseconds(answers ? 200 : 50));
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        if (answers) {
            name_ = name;
            setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
            return true;
        }
    }
    Stop();
    return false;
}

}  // namespace ampliro
