#include "pulse_test_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/audio/pulse/pulse_session.h"
#include "tests/child_process.h"

extern char** environ;

namespace ampliro {

PulseTestServer::PulseTestServer() {
    char pattern[] = "/tmp/ampliro-pulse-XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder_ = pattern;
    logPath_ = folder_ + "/server.log";
}

PulseTestServer::~PulseTestServer() {
    Stop();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

bool PulseTestServer::Start() {
    if (pid_ > 0) return true;
    if (folder_.empty()) return false;
    const std::string socket = folder_ + "/native";
    std::ofstream(folder_ + "/rig.pa")
        << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket << "\n"
        << "load-module module-null-sink sink_name=guitar rate=44100 channels=1\n"
        << "load-module module-null-sink sink_name=amp rate=44100 channels=1\n"
        << "load-module module-remap-source source_name=guitar_in master=guitar.monitor\n"
        << "set-default-source guitar_in\n"
        << "set-default-sink amp\n";
    std::vector<std::string> args = test::TiedToThisProcess(
        {"pulseaudio", "-n", "-F", folder_ + "/rig.pa", "--daemonize=no", "--exit-idle-time=-1",
         "--use-pid-file=no", "--disable-shm=yes", "--log-target=file:" + logPath_});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    pid_ = pid;
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        if (PulseSession::ServerAnswers()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop();
    return false;
}

}  // namespace ampliro
