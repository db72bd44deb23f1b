#include "display/memory_display.h"

#include <cstring>

#include "platform/system/clock.h"

namespace ampliro {

MemoryDisplay::MemoryDisplay(int32_t width, int32_t height)
    : back_(CreateSurface(width, height)), presented_(CreateSurface(width, height)) {
    params_.width = width;
    params_.height = height;
    params_.swapEffect = SWAP_DISCARD;
}

int MemoryDisplay::BeginScene() {
    if (!active_ || !back_) return 0;
    inScene_ = true;
    ++beginCount_;
    return 1;
}

Surface* MemoryDisplay::GetBackBuffer() {
    return inScene_ ? back_.get() : nullptr;
}

int MemoryDisplay::Present(uint32_t flags) {
    if (!inScene_) return 0;
    inScene_ = false;
    std::memcpy(presented_->pixels, back_->pixels,
                size_t{back_->pitch} * static_cast<size_t>(back_->height));
    presentTimes_.push_back(Milliseconds());
    lastFlags_ = flags;
    return 1;
}

}  // namespace ampliro
