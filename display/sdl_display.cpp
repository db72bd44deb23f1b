#include "display/sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/window/screen_placement.h"

namespace ampliro {

int32_t FittingScale(int32_t width, int32_t height, int32_t spaceWidth, int32_t spaceHeight) {
    if (width <= 0 || height <= 0) return 1;
    return std::clamp(std::min(spaceWidth / width, spaceHeight / height), 1, 3);
}

Display* Display::Create(void* nativeWindow, DisplayParams* params) {
    return SdlDisplay::Open(static_cast<SDL_Window*>(nativeWindow), params);
}

SdlDisplay* SdlDisplay::Open(SDL_Window* window, DisplayParams* params) {
    if (!window) return nullptr;
    std::unique_ptr<SdlDisplay> display(new SdlDisplay);
    display->window_ = window;
    DisplayParams p = params ? *params : DisplayParams{};
    if (p.width <= 0 || p.height <= 0) {
        p.width = kScreenWidth;
        p.height = kScreenHeight;
    }
    if (p.swapEffect == 0) p.swapEffect = SWAP_DISCARD;
    display->params_ = p;

    SDL_Rect desktop{0, 0, p.width, p.height};
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || SDL_GetDisplayUsableBounds(index, &desktop) != 0) {
        desktop = {0, 0, p.width, p.height};
    }
    display->scale_ = FittingScale(p.width, p.height, desktop.w, desktop.h);
    SDL_SetWindowSize(window, p.width * display->scale_, p.height * display->scale_);

    display->renderer_ = SDL_GetRenderer(window);
    if (!display->renderer_) {
        display->renderer_ = SDL_CreateRenderer(window, -1, 0);
        if (!display->renderer_) return nullptr;
        display->ownsRenderer_ = true;
    }
    display->texture_ = SDL_CreateTexture(display->renderer_, SDL_PIXELFORMAT_RGB565,
                                          SDL_TEXTUREACCESS_STREAMING, p.width, p.height);
    if (!display->texture_) return nullptr;
    display->back_.reset(CreateSurface(p.width, p.height));
    if (!display->back_) return nullptr;
    display->shown_.assign(display->back_->pitch * static_cast<size_t>(p.height), 0);
    if (params) *params = p;
    return display.release();
}

SdlDisplay::~SdlDisplay() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (ownsRenderer_ && renderer_) SDL_DestroyRenderer(renderer_);
}

bool SdlDisplay::Visible() const {
    const Uint32 flags = SDL_GetWindowFlags(window_);
    return !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED));
}

int SdlDisplay::BeginScene() {
    if (!active_ || !Visible()) return 0;
    inScene_ = true;
    return 1;
}

Surface* SdlDisplay::GetBackBuffer() {
    return inScene_ ? back_.get() : nullptr;
}

// A frame equal to the one on screen is not sent again: uploading and
// scaling the texture is most of what an idle frame costs (comparing the
// 150 KB costs a few microseconds).
int SdlDisplay::Present(uint32_t flags) {
    (void)flags;
    if (!inScene_) return 0;
    inScene_ = false;
    const size_t bytes = shown_.size();
    if (shownValid_ && std::memcmp(shown_.data(), back_->pixels, bytes) == 0) return 1;
    if (SDL_UpdateTexture(texture_, nullptr, back_->pixels, static_cast<int>(back_->pitch)) != 0) {
        return 0;
    }
    std::memcpy(shown_.data(), back_->pixels, bytes);
    shownValid_ = true;
    return Show();
}

void SdlDisplay::Refresh() {
    if (Visible()) Show();
}

// The texture at the largest integer scale that fits the window now, centred
// (the pen maps back through the same placement).
int SdlDisplay::Show() {
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) return 0;
    const ScreenPlacement p = PlaceScreen(params_.width, params_.height, outputWidth, outputHeight);
    const SDL_Rect target{p.left, p.top, params_.width * p.scale, params_.height * p.scale};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    if (SDL_RenderClear(renderer_) != 0) return 0;
    if (SDL_RenderCopy(renderer_, texture_, nullptr, &target) != 0) return 0;
    SDL_RenderPresent(renderer_);
    return 1;
}

}  // namespace ampliro
