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

JackTestServer::JackTestServer(unsigned rate, unsigned period)
    : rate_(rate),
      period_(period),
      name_("ampliro-test-" + std::to_string(getpid()) + "-" + std::to_string(gServerCount++)),
      logPath_((std::filesystem::temp_directory_path() / (name_ + ".log")).string()) {}

JackTestServer::~JackTestServer() {
    Stop();
    std::filesystem::remove(logPath_);
    // A killed server leaves its sockets and semaphores in /dev/shm; their
    // names hold the server's name, which no other server has.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string file = entry.path().filename().string();
        if (file.find("_" + name_ + "_") != std::string::npos) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

bool JackTestServer::Start() {
    if (pid_ > 0) return true;
    const std::string rate = std::to_string(rate_);
    const std::string period = std::to_string(period_);
    std::vector<std::string> args = {
        "jackd", "--no-realtime", "-n", name_, "-d", "dummy", "-r", rate, "-p", period};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "jackd", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    pid_ = pid;
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (ServerAnswers(name_)) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop();
    return false;
}

void JackTestServer::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void JackTestServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    // jackd ends within a second; a hung one is killed.
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Kill();
}

std::string JackTestServer::Log() const {
    std::ifstream file(logPath_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace ampliro
