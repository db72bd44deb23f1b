// Whole-surface copies, screen snapshots and the timed cross-fade.
#include <cstring>
#include <memory>

#include "display/display.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"

namespace ampliro {

namespace {

// Same width and height: one block copy when the pitches agree, else row by row.
void CopyPixels(Surface* target, const Surface* source) {
    if (target->pitch == source->pitch) {
        std::memcpy(target->pixels, source->pixels,
                    size_t{target->pitch} * static_cast<size_t>(target->height));
        return;
    }
    for (int32_t y = 0; y < target->height; ++y) {
        std::memcpy(target->Row(y), source->Row(y), static_cast<size_t>(target->width) * 2);
    }
}

bool HasPixels(const Surface* s) {
    return s && s->pixels && s->width > 0 && s->height > 0;
}

}  // namespace

void CopySurface(Surface* target, const Surface* source) {
    if (!HasPixels(target) || !HasPixels(source)) return;
    if (target->width == source->width && target->height == source->height) {
        CopyPixels(target, source);
    } else {
        StretchBlit(target, source, 0, 0, target->width, target->height, 0, 0, kBlitCopy);
    }
}

Surface* ScaledCopy(const Surface* source, int32_t width, int32_t height) {
    if (!HasPixels(source)) return nullptr;
    if (width == 0 && height == 0) {
        width = source->width;
        height = source->height;
    }
    Surface* copy = CreateSurface(width, height);
    if (copy) CopySurface(copy, source);
    return copy;
}

Surface* CropCopy(const Surface* source, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!HasPixels(source)) return nullptr;
    Surface* copy = CreateSurface(width, height);
    if (copy) Blit(copy, 0, 0, width, height, source, x, y, 0, 0, kBlitCopy);
    return copy;
}

Surface* GrabScreen(Display* display, int32_t width, int32_t height) {
    if (!display || !display->BeginScene()) return nullptr;
    Surface* copy = ScaledCopy(display->GetBackBuffer(), width, height);
    display->Present(0);
    return copy;
}

int ShowSurface(Display* display, const Surface* surface) {
    if (!display || !display->BeginScene()) return 0;
    Surface* back = display->GetBackBuffer();
    if (back && surface) CopySurface(back, surface);
    return display->Present(0);
}

void CrossFade(Display* display, const Surface* image, uint32_t durationMs) {
    if (!display || !HasPixels(image)) return;
    const DisplayParams params = display->GetParams();
    std::unique_ptr<Surface> scaled;
    if (image->width != params.width || image->height != params.height) {
        scaled.reset(ScaledCopy(image, params.width, params.height));
        if (!scaled) return;
        image = scaled.get();
    }
    const std::unique_ptr<Surface> screen(GrabScreen(display, 0, 0));
    if (!screen) return;

    if (durationMs == 0) {
        ShowSurface(display, image);
        return;
    }
    // 17 frames, alpha 32 (all old screen) down to 0 (all image), each held
    // for a 32nd of the duration. The hold is timed from after the present, so
    // a frame stays up for the whole of it however long the next one takes to
    // draw, and whole-millisecond clock readings cannot shorten it.
    const uint32_t frameMs = durationMs >> 5;
    for (int32_t alpha = 32; alpha >= 0; alpha -= 2) {
        if (display->BeginScene()) {
            Surface* back = display->GetBackBuffer();
            if (back) {
                CopySurface(back, screen.get());
                Blit(back, 0, 0, image->width, image->height, image, 0, 0, alpha, 0, kBlitBlend);
            }
            display->Present(0);
        }
        const uint32_t shown = Milliseconds();
        while (Milliseconds() - shown < frameMs) SleepMilliseconds(1);
    }
}

}  // namespace ampliro
