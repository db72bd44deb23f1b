#include "app/recorder/take_time.h"

#include <algorithm>
#include <cstdio>

#include "app/export/wav_export.h"
#include "app/recorder/recorder_shared.h"

namespace ampliro {
namespace {

int64_t SecondsAt(int32_t offset, int32_t rate) {
    const int64_t samples = std::max<int64_t>(0, (int64_t{offset} - kRecordingHeaderBytes) / 2);
    return samples / rate;
}

}  // namespace

std::string MinutesSeconds(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string TakeTimeText(int32_t position, int32_t dataEnd, int32_t rate) {
    if (rate < kLowestRecordingRate || rate > kHighestRecordingRate) return "-:-- / -:--";
    return MinutesSeconds(SecondsAt(position, rate)) + " / " +
           MinutesSeconds(SecondsAt(dataEnd, rate));
}

}  // namespace ampliro
