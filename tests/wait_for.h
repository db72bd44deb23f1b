// Waits, polling every 10 ms, until a condition holds; false when it still
// does not after the time given.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace ampliro::test {

inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 3000) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace ampliro::test
