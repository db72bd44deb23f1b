#include "platform/window/window.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/files/single_instance.h"
#include "platform/resources/resources.h"
#include "platform/window/display_loss.h"
#include "platform/window/event_translation.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window_registry.h"

namespace ampliro {

namespace {

// The window an SDL event belongs to: the one whose SDL_Window it names, else
// the first native window (keyboard events may carry no window).
Window* WindowForEvent(const SDL_Event& e) {
    uint32_t id = 0;
    switch (e.type) {
        case SDL_WINDOWEVENT:
            id = e.window.windowID;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            id = e.key.windowID;
            break;
        case SDL_TEXTINPUT:
            id = e.text.windowID;
            break;
        case SDL_MOUSEMOTION:
            id = e.motion.windowID;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            id = e.button.windowID;
            break;
        case SDL_MOUSEWHEEL:
            id = e.wheel.windowID;
            break;
        default:
            break;
    }
    SDL_Window* native = id ? SDL_GetWindowFromID(id) : nullptr;
    Window* first = nullptr;
    for (Window* w : LiveWindows()) {
        if (!w->NativeHandle()) continue;
        if (w->NativeHandle() == native) return w;
        if (!first) first = w;
    }
    return first;
}

void RaiseOnRequest() {
    if (!TakeBringToFrontRequest()) return;
    for (Window* w : LiveWindows()) {
        if (w->NativeHandle()) {
            w->BringToFront();
            return;
        }
    }
}

void PostEvent(const SDL_Event& e) {
    if (Window* w = WindowForEvent(e)) PostNativeEvent(w, &e);
}

void PollEvents() {
    RaiseOnRequest();
    SDL_Event e;
    while (SDL_PollEvent(&e)) PostEvent(e);
}

void WaitForEvent(uint32_t timeoutMs) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs))) PostEvent(e);
}

void CaptureMouse(bool captured) {
    SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE);
}

// The largest integer scale at which the window fits the usable desktop.
int ChooseScale(int32_t width, int32_t height) {
    SDL_Rect usable;
    if (width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    int scale = std::min((usable.w - 16) / width, (usable.h - 48) / height);
    return std::clamp(scale, 1, 3);
}

void SetIcon(SDL_Window* native, const WindowDescription& d) {
    const ResourceEntry* icon = ModuleOrProgram(d.iconModule).Find(RT_ICON, d.iconNumber);
    if (!icon || icon->size == 0) return;
    SDL_RWops* rw = SDL_RWFromConstMem(icon->data, static_cast<int>(icon->size));
    if (!rw) return;
    if (SDL_Surface* picture = SDL_LoadBMP_RW(rw, 1)) {
        SDL_SetWindowIcon(native, picture);
        SDL_FreeSurface(picture);
    }
}

// Without a desktop SDL falls back on its offscreen driver, whose windows no
// one can see or close. Such a driver is taken only when asked for by name
// (SDL_VIDEODRIVER=offscreen for a headless run).
bool OnAVisibleDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    const bool invisible = SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !invisible || (requested && SDL_strcasestr(requested, driver));
}

SDL_Window* CreateNative(const WindowDescription& d, int* scale) {
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    if (!OnAVisibleDisplay()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    WatchForDisplayLoss();
    *scale = ChooseScale(d.width, d.height);
    // Hidden until the owner brings it to the front: the first renderer made
    // for a window that is not an OpenGL one makes SDL destroy it and create
    // another, and a shown window would flash on screen and be gone, under
    // another X id than the window that stays.
    SDL_Window* native =
        SDL_CreateWindow(d.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, d.width * *scale,
                         d.height * *scale, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!native) return nullptr;
    // Any size from one device pixel per window pixel up: the display keeps
    // an integer scale and centres the screen in what is left.
    SDL_SetWindowMinimumSize(native, d.width, d.height);
    SetIcon(native, d);
    SDL_StartTextInput();
    SetEventSource(EventSource{&PollEvents, &WaitForEvent, &CaptureMouse});
    return native;
}

}  // namespace

Window* Window::Create(const WindowDescription& d) {
    if (!d.procedure) return nullptr;
    Window* window = new Window();
    window->procedure_ = d.procedure;
    window->width_ = d.width;
    window->height_ = d.height;
    window->title_ = d.title ? d.title : "";
    if (d.native) {
        window->native_ = CreateNative(d, &window->scale_);
        if (!window->native_) {
            delete window;
            return nullptr;
        }
    }
    LiveWindows().push_back(window);
    if (window->Send(WM_CREATE, 0, reinterpret_cast<uintptr_t>(d.createParam)) == -1) {
        Destroy(window);
        return nullptr;
    }
    return window;
}

void Window::Destroy(Window* window) {
    if (!IsAlive(window)) return;
    window->Send(WM_DESTROY, 0, 0);
    window->SetPenCapture(false);
    DiscardWindowMessages(window);
    std::erase(LiveWindows(), window);
    delete window;
}

Window::~Window() {
    if (native_) {
        SDL_DestroyWindow(static_cast<SDL_Window*>(native_));
        bool anyNative = std::any_of(LiveWindows().begin(), LiveWindows().end(),
                                     [](Window* w) { return w->native_; });
        if (!anyNative) {
            SDL_StopTextInput();
            SetEventSource(EventSource{});
        }
    }
}

void Window::BringToFront() {
    if (!native_) return;
    auto* native = static_cast<SDL_Window*>(native_);
    SDL_RestoreWindow(native);
    SDL_ShowWindow(native);
    SDL_RaiseWindow(native);
}

void Window::ToggleFullScreen() {
    if (!native_) return;
    auto* native = static_cast<SDL_Window*>(native_);
    const bool full = SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(native, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void Window::SetTitle(const std::string& title) {
    if (title == title_) return;
    title_ = title;
    if (native_) SDL_SetWindowTitle(static_cast<SDL_Window*>(native_), title_.c_str());
}

intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t, uintptr_t) {
    if (message == WM_CLOSE) Window::Destroy(window);
    return 0;
}

void KeepScreenAwake(bool awake) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    if (awake == (SDL_IsScreenSaverEnabled() == SDL_FALSE)) return;
    if (awake)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

void ShowPlatformMessageBox(Window* owner, const char* title, const char* text) {
    SDL_Window* parent =
        Window::IsAlive(owner) ? static_cast<SDL_Window*>(owner->NativeHandle()) : nullptr;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, text, parent) != 0) {
        // No way to show a box (no display at all): the terminal is the last resort.
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}

void MessageBeep() {
    if (isatty(STDERR_FILENO)) {
        const char bell = '\a';
        if (write(STDERR_FILENO, &bell, 1) < 0) return;
    }
}

}  // namespace ampliro
