#include "effects/block_kernels.h"

#include "effects/dsp/saturate.h"

namespace ampliro {

void PeakAfterCalls(Effect& fx, int32_t lastClippingCall, int32_t calls) {
    fx.HoldPeak({lastClippingCall, calls});
}

void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count) {
    if (count < 1) return;
    PeakAfterCalls(fx, dsp::SaturateBlock(in, out, count), count);
}

}  // namespace ampliro
