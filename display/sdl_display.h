// The window's display: the device screen as an RGB565 streaming texture,
// shown at the largest integer scale (at most 3) that fits the desktop.
#pragma once

#include <memory>
#include <vector>

#include "display/display.h"
#include "platform/resources/surface_memory.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace ampliro {

class SdlDisplay : public Display {
  public:
    // Null when the renderer, the texture or the back buffer cannot be made.
    static SdlDisplay* Open(SDL_Window* window, DisplayParams* params);
    ~SdlDisplay() override;

    int BeginScene() override;
    Surface* GetBackBuffer() override;
    DisplayParams GetParams() const override { return params_; }
    int Present(uint32_t flags) override;
    void SetActive(bool active) override { active_ = active; }
    void Refresh() override;
    int32_t Scale() const override { return scale_; }

  private:
    SdlDisplay() = default;
    bool Visible() const;
    int Show();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool ownsRenderer_ = false;
    std::unique_ptr<Surface> back_;
    // The frame last sent to the window, byte for byte as the back buffer.
    std::vector<uint8_t> shown_;
    bool shownValid_ = false;
    DisplayParams params_;
    int32_t scale_ = 1;
    bool active_ = true;
    bool inScene_ = false;
};

// Largest integer scale, 1 to 3, at which width x height fits the space.
int32_t FittingScale(int32_t width, int32_t height, int32_t spaceWidth, int32_t spaceHeight);

}  // namespace ampliro
