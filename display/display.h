// The display contract: a 16-bit back buffer for the window, shown on Present.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface;

struct DisplayParams {
    int32_t width = 0;
    int32_t height = 0;
    int32_t orientation = 0;
    int32_t swapEffect = 0;
};

inline constexpr int32_t SWAP_DISCARD = 1;

// The device screen.
#if defined(AMPLIRO_SQUARE_SCREEN)
inline constexpr int32_t kScreenWidth = 240;
inline constexpr int32_t kScreenHeight = 240;
#else
inline constexpr int32_t kScreenWidth = 240;
inline constexpr int32_t kScreenHeight = 320;
#endif

class Display {
  public:
    virtual ~Display() = default;

    // Non-zero when the back buffer may be drawn now.
    virtual int BeginScene() = 0;
    // The surface to draw this frame; null when no frame is begun.
    virtual Surface* GetBackBuffer() = 0;
    virtual DisplayParams GetParams() const = 0;
    // Shows the back buffer and ends the frame.
    virtual int Present(uint32_t flags) = 0;

    // The window code reports focus and visibility changes here: an inactive
    // display gives the screen up and BeginScene fails until it is active again.
    virtual void SetActive(bool active) { (void)active; }
    // Shows the last presented frame again (after the window was uncovered).
    virtual void Refresh() {}
    // Window pixels per device pixel (1 for displays that are not windows).
    virtual int32_t Scale() const { return 1; }

    // The window's display: nativeWindow is the platform window's native handle
    // (an SDL window here). params width = height = 0 asks for the native size;
    // on success params hold the actual values. Null on failure.
    static Display* Create(void* nativeWindow, DisplayParams* params);
};

// Fills keys[0..15]: up, down, left, right, action A, B, C, start, then 0.
void DefaultKeys(uint16_t keys[16], int32_t orientation);

}  // namespace ampliro
