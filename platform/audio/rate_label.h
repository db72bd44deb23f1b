// The name the Configuration screen's sample-rate choice gives a rate
// ("44Khz" for 44100), for messages that tell the user which one to pick.
#pragma once

#include <cstdint>

namespace ampliro {

// Null for a rate the choice does not offer.
const char* RateLabel(uint32_t rate);

}  // namespace ampliro
