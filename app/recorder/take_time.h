// The position and the length of the loop recording as minutes and seconds.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

// "m:ss", the minutes going past 59 for takes over an hour; a negative
// count shows as "0:00".
std::string MinutesSeconds(int64_t seconds);

// "position / length" of a take recorded at rate, from the byte offsets the
// recorder keeps (the first sample at 4). Whole seconds, rounded down, so
// the position reads 0:00 for the first second. Without a usable rate (no
// recording, or a damaged one) "-:-- / -:--".
std::string TakeTimeText(int32_t position, int32_t dataEnd, int32_t rate);

}  // namespace ampliro
