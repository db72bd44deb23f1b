// The one program window: the device screen shown at an integer scale, with
// a window procedure that receives the message codes of the widget toolkit.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

class Window;
class ResourceModule;

using WindowProcedure = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam,
                                     uintptr_t lParam);

inline constexpr uint32_t WM_CREATE = 1;
inline constexpr uint32_t WM_DESTROY = 2;
inline constexpr uint32_t WM_ERASEBKGND = 0x14;

struct WindowDescription {
    const char* title = "";
    int32_t width = 0;  // device pixels
    int32_t height = 0;
    WindowProcedure procedure = nullptr;
    void* createParam = nullptr;  // lParam of WM_CREATE
    // False makes a window without a native window (tests): it has a
    // procedure, a queue and timers, but shows nothing.
    bool native = true;
    // The window icon: RT_ICON resource iconNumber, a BMP file, when present.
    const ResourceModule* iconModule = nullptr;
    int iconNumber = 0;
};

class Window {
  public:
    // Makes the window and sends it WM_CREATE (before Create returns); null when the native window
    // cannot be made or the procedure answers WM_CREATE with -1.
    static Window* Create(const WindowDescription& description);
    // Sends WM_DESTROY, drops the window's messages and timers, frees it.
    static void Destroy(Window* window);
    // True while the window exists (messages for a destroyed one are dropped).
    static bool IsAlive(const Window* window);

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The SDL_Window, for Display::Create; null for a window without one.
    void* NativeHandle() const { return native_; }
    // Window pixels per device pixel; the display that draws into the window
    // sets the scale it shows the device screen at.
    int Scale() const { return scale_; }
    void SetScale(int scale) { scale_ = scale > 0 ? scale : 1; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    intptr_t Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
        return procedure_(this, message, wParam, lParam);
    }
    // Pen capture: pen messages keep coming while the pen is outside.
    void SetPenCapture(bool captured);
    bool HasPenCapture() const { return captured_; }
    // Raises the window and gives it the input focus.
    void BringToFront();
    // Between a window and the whole screen (F11), the device screen centred
    // at an integer scale either way.
    void ToggleFullScreen();
    // The caption of the native window; the last one set, for any window.
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }

    // The program object, kept by the window for its procedure.
    void* userData = nullptr;

  private:
    Window() = default;
    ~Window();

    void* native_ = nullptr;
    WindowProcedure procedure_ = nullptr;
    int scale_ = 1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool captured_ = false;
    std::string title_;
};

// What a window does with a message its procedure passes on: WM_CLOSE
// destroys the window; everything else is ignored.
intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t wParam, uintptr_t lParam);

// A message box of the platform (one Ok button), and the bell.
void ShowPlatformMessageBox(Window* owner, const char* title, const char* text);
// Keeps the screen saver and screen blanking away while a recording runs.
void KeepScreenAwake(bool awake);
void MessageBeep();

}  // namespace ampliro
