// The peak lamp of a pedal driven by a whole block's clipping at once.
#pragma once

#include <cstdint>

#include "effects/dsp/peak_hold.h"
#include "effects/effect.h"

namespace ampliro {

// Effect::ClipSample over a block of 32-bit values into 16-bit samples: the
// same samples, and the peak lamp and its hold count as sample-by-sample
// clipping leaves them at the end of the block.
void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count);

// The peak lamp and hold after `calls` ClipSample calls of which the last
// one that clipped was number lastClippingCall (0-based, -1 for none).
void PeakAfterCalls(Effect& fx, int32_t lastClippingCall, int32_t calls);

}  // namespace ampliro
