// The pedals' delay memory: a block of 32-bit samples allocated at Init.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace ampliro::dsp {

// Makes `buffer` hold `length` zeroed samples and sets `held` to what it
// holds. An allocation that already has that length is kept and cleared: a
// pedal initialised again at the same rate (a preset load does that) then
// touches no fresh memory. Returns false, with the buffer empty, when the
// length is not positive or the memory cannot be had.
inline bool ClearedBuffer(std::unique_ptr<int32_t[]>& buffer, int32_t& held, int32_t length) {
    if (length < 1) {
        buffer.reset();
        held = 0;
        return false;
    }
    if (!buffer || held != length) {
        buffer.reset();
        held = 0;
        buffer.reset(new (std::nothrow) int32_t[length]);
        if (!buffer) return false;
    }
    held = length;
    std::fill_n(buffer.get(), length, 0);
    return true;
}

}  // namespace ampliro::dsp
