// ClipBlock: Effect::ClipSample over a block of 32-bit values into 16-bit
// samples, giving the same samples and leaving the peak lamp and its hold
// count as sample-by-sample clipping would at the end of the block.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace ampliro {

void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count);

}  // namespace ampliro
