// WindowedProgram: the framework under the application object. It owns the one
// window and the display, reads the key map, runs the fixed-rate frame loop
// and turns window messages into calls of its virtual operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ampliro {

class Display;
class Surface;
class Window;
class ResourceModule;
class SingleInstance;

class WindowedProgram {
  public:
    WindowedProgram();
    virtual ~WindowedProgram();
    WindowedProgram(const WindowedProgram&) = delete;
    WindowedProgram& operator=(const WindowedProgram&) = delete;

    // Creates the window, the display, the input scale and the key map, shows
    // the splash and calls Init. Null when another copy runs (it is brought
    // to the front; anotherCopyRuns tells this case) or the window cannot be
    // made (no display), which gives the single-instance lock back.
    Window* CreateMainWindow(const ResourceModule* instance);
    // The surface to draw this frame when a frame can be begun, else null.
    Surface* BackBuffer();
    // Posts WM_CLOSE to the window.
    void RequestClose();

    virtual int OpenDisplay(int32_t orientation);
    virtual void ShowSplash();
    // 0 ends the program.
    virtual int Frame() { return 1; }
    // 0 refuses a close request.
    virtual int QueryClose() { return 1; }
    // 0 makes the window creation fail.
    virtual int OnCreate() { return 1; }
    virtual void Init() {}
    // Its result is the program's result.
    virtual int Shutdown() { return 0; }
    virtual int HandleInput(uint32_t message, uintptr_t wParam, uintptr_t lParam);
    // The frame loop: handles messages as they come, calls Frame once per
    // period and in between waits for whichever comes first.
    virtual int Run();

    // 1000 / frames per second, unsigned: 20 -> 50, 30 -> 33.
    uint32_t FramePeriod() const;
    // A pen message's position turned for the orientation and scaled to the
    // display.
    uintptr_t MapPenPosition(uintptr_t lParam) const;

    static intptr_t WindowProcedure(Window* window, uint32_t message, uintptr_t wParam,
                                    uintptr_t lParam);

    Window* window = nullptr;
    const ResourceModule* instance = nullptr;
    std::string title = "MyProgram";
    int32_t framesPerSecond = 30;
    int32_t splashImage = 1;
    int32_t iconResource = 0;
    int32_t displayMode = 1;
    int32_t orientation = 0;
    Display* display = nullptr;
    uint16_t keys[16] = {};
    int32_t active = 0;

    // A window without a native window and without the single-instance lock:
    // the program runs on its queue only (tests).
    bool headless = false;
    // The folder of the single-instance lock file; empty: the program's own.
    std::string lockFolder;
    // Set when CreateMainWindow failed because another copy holds the lock.
    bool anotherCopyRuns = false;
    // The frame loop's clock, and its wait of up to the given milliseconds
    // for the next message.
    uint32_t (*clock)() = nullptr;
    void (*wait)(uint32_t) = nullptr;

  private:
    void ComputeInputScale();

    std::unique_ptr<SingleInstance> instanceLock_;
};

// The program object of the running program; null before CreateMainWindow.
WindowedProgram* RunningProgram();
// Display pixels per pen position unit, horizontal and vertical (1.0 when the
// display has the screen's size).
float InputScaleX();
float InputScaleY();

}  // namespace ampliro
