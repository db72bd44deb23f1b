#include "platform/system/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/threads/thread.h"
#include "platform/window/message_queue.h"

namespace ampliro {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Written by the destructor to end the watcher; no signal has number 0.
constexpr unsigned char kStopWatching = 0;

int gPipe[2] = {-1, -1};
std::atomic<int> gReceived{0};
std::thread gWatcher;

// Async-signal-safe: an atomic store and a write(2), errno kept.
void OnTerminationSignal(int signal) {
    gReceived.store(signal, std::memory_order_relaxed);
    const int savedErrno = errno;
    const unsigned char code = static_cast<unsigned char>(signal);
    // A full pipe already holds a request: this one may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &code, 1);
    errno = savedErrno;
}

void Watch(int readEnd) {
    NameCurrentThread("ampliro-signals");
    for (;;) {
        unsigned char code = kStopWatching;
        const ssize_t got = ::read(readEnd, &code, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || code == kStopWatching) return;
        PostQuitMessage(0);
    }
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(gPipe, O_CLOEXEC) != 0) return;
    ::fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
    gWatcher = std::thread(&Watch, gPipe[0]);
    struct sigaction action = {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (gPipe[1] < 0) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
    // The handlers are gone, so the watcher drains the pipe until it finds
    // this byte; a pipe that is full for the moment gets it a little later.
    const unsigned char stop = kStopWatching;
    while (::write(gPipe[1], &stop, 1) < 0 && (errno == EAGAIN || errno == EINTR))
        std::this_thread::yield();
    if (gWatcher.joinable()) gWatcher.join();
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

int TerminationSignals::Received() {
    return gReceived.load(std::memory_order_relaxed);
}

}  // namespace ampliro
