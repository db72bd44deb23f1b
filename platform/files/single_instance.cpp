#include "platform/files/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ampliro {

namespace {

std::atomic<bool> bringToFrontRequested{false};

void OnBringToFrontSignal(int) {
    bringToFrontRequested.store(true, std::memory_order_relaxed);
}

// The first copy writes its process id into the lock file; the second reads
// it and sends SIGUSR1, which the first turns into raising its window.
void ListenForRequests() {
    struct sigaction action = {};
    action.sa_handler = &OnBringToFrontSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
}

void AskHolderToComeForward(int fd) {
    char text[32] = {};
    if (pread(fd, text, sizeof text - 1, 0) <= 0) return;
    long pid = std::strtol(text, nullptr, 10);
    if (pid > 0 && pid != static_cast<long>(getpid())) kill(static_cast<pid_t>(pid), SIGUSR1);
}

}  // namespace

std::string ExecutableFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return exe.parent_path().string();
}

SingleInstance::SingleInstance(std::string lockName)
    : path_(ExecutableFolder() + "/" + std::move(lockName)) {}

SingleInstance::SingleInstance(const std::string& folder, const std::string& lockName)
    : path_(folder + "/" + lockName) {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire() {
    if (fd_ >= 0) return true;
    int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A folder we cannot write to cannot hold a lock: run rather than refuse.
    if (fd < 0) return true;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        AskHolderToComeForward(fd);
        close(fd);
        return false;
    }
    char text[32];
    int length = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
    // A failed write loses only the second copy's request to come forward.
    if (ftruncate(fd, 0) == 0) {
        ssize_t written = pwrite(fd, text, static_cast<size_t>(length), 0);
        (void)written;
    }
    ListenForRequests();
    fd_ = fd;
    return true;
}

void SingleInstance::Release() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

bool TakeBringToFrontRequest() {
    return bringToFrontRequested.exchange(false, std::memory_order_relaxed);
}

}  // namespace ampliro
