// Whether a JACK server answers, without joining its graph for long: for the
// rate choice, which must offer the server's rate.
#pragma once

#include <cstdint>

namespace ampliro {

// The sample rate of the JACK server that answers, or 0 when none does.
uint32_t JackServerSampleRate();

}  // namespace ampliro
