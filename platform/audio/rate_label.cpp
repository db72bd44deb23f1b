#include "platform/audio/rate_label.h"

namespace ampliro {

const char* RateLabel(uint32_t rate) {
    switch (rate) {
        case 11025:
            return "11Khz";
        case 22050:
            return "22Khz";
        case 44100:
            return "44Khz";
        case 48000:
            return "48Khz";
        case 96000:
            return "96Khz";
        default:
            return nullptr;
    }
}

}  // namespace ampliro
