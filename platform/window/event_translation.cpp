#include "platform/window/event_translation.h"

#include <deque>
#include <string>

#include <SDL.h>

#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/screen_placement.h"
#include "platform/window/window.h"

namespace ampliro {

namespace {

constexpr uintptr_t kLeftButtonHeld = 0x0001;  // MK_LBUTTON
constexpr uintptr_t kWasDown = 1u << 30;       // key data: the key was already down
constexpr uintptr_t kReleasing = 1u << 31;     // key data: the key is being released

// Window pixels to device pixels through the screen's placement in the
// window as it is now (it follows every resize and full-screen switch).
uintptr_t DevicePoint(Window* window, int32_t x, int32_t y) {
    ScreenPlacement p{window->Scale(), 0, 0};
    if (auto* native = static_cast<SDL_Window*>(window->NativeHandle())) {
        int w = 0, h = 0;
        SDL_GetWindowSize(native, &w, &h);
        p = PlaceScreen(window->Width(), window->Height(), w, h);
    }
    return PackPoint(WindowToDevice(x, p.left, p.scale), WindowToDevice(y, p.top, p.scale));
}

void PostPen(Window* window, uint32_t message, uintptr_t buttons, int32_t x, int32_t y) {
    PostMessage(window, message, buttons, DevicePoint(window, x, y));
}

// The wheel message carries the signed notch count times 120 in the high
// half of wParam (positive away from the user) and the pointer's position,
// which the event itself brings.
void PostWheel(Window* window, const SDL_MouseWheelEvent& wheel) {
    int32_t notches = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    if (notches == 0) return;
    const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelNotch));
    PostMessage(window, WM_MOUSEWHEEL, static_cast<uintptr_t>(delta) << 16,
                DevicePoint(window, wheel.mouseX, wheel.mouseY));
}

void PostKey(Window* window, const SDL_KeyboardEvent& key) {
    uint32_t vk = VirtualKeyFromSdlKeycode(key.keysym.sym);
    if (vk == 0) return;
    uintptr_t data = 1 | (static_cast<uintptr_t>(key.keysym.scancode & 0xFF) << 16);
    if (key.type == SDL_KEYUP) {
        PostMessage(window, WM_KEYUP, vk, data | kWasDown | kReleasing);
    } else {
        PostMessage(window, WM_KEYDOWN, vk, data | (key.repeat ? kWasDown : 0));
    }
}

// UTF-8 text from the input method: every code point the fonts can index
// (0..255) becomes one WM_CHAR.
void PostText(Window* window, const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        uint32_t cp = *p;
        int extra = cp < 0x80 ? 0 : cp < 0xE0 ? 1 : cp < 0xF0 ? 2 : 3;
        cp &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
        ++p;
        for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i, ++p) cp = (cp << 6) | (*p & 0x3F);
        if (cp >= 32 && cp < 256 && cp != 127) PostMessage(window, WM_CHAR, cp, 1);
    }
}

void PostWindowEvent(Window* window, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessage(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            PostMessage(window, WM_ACTIVATE, 1, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            PostMessage(window, WM_ACTIVATE, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            PostMessage(window, WM_PAINT, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace

uint32_t VirtualKeyFromSdlKeycode(int32_t keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + (keycode - SDLK_0);
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return 112 + (keycode - SDLK_F1);
    if (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_9) return 97 + (keycode - SDLK_KP_1);
    switch (keycode) {
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LALT:
        case SDLK_RALT:
            return 18;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_TAB:
            return 9;
        case SDLK_ESCAPE:
            return 27;
        case SDLK_PAGEUP:
            return 33;
        case SDLK_PAGEDOWN:
            return 34;
        case SDLK_END:
            return 35;
        case SDLK_HOME:
            return 36;
        case SDLK_INSERT:
            return 45;
        case SDLK_KP_0:
            return 96;
        default:
            return 0;
    }
}

namespace {

// Filled and emptied on the main thread, which runs the event loop.
std::deque<std::string>& DroppedFiles() {
    static std::deque<std::string> files;
    return files;
}

}  // namespace

bool TakeDroppedFile(std::string& path) {
    std::deque<std::string>& files = DroppedFiles();
    if (files.empty()) return false;
    path = std::move(files.front());
    files.pop_front();
    return true;
}

void PostNativeEvent(Window* window, const void* sdlEvent) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
    switch (e.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT)
                PostPen(window, WM_LBUTTONDOWN, kLeftButtonHeld, e.button.x, e.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT)
                PostPen(window, WM_LBUTTONUP, 0, e.button.x, e.button.y);
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.state & SDL_BUTTON_LMASK)
                PostPen(window, WM_MOUSEMOVE, kLeftButtonHeld, e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEWHEEL:
            PostWheel(window, e.wheel);
            break;
        case SDL_DROPFILE:
            if (e.drop.file != nullptr) {
                DroppedFiles().emplace_back(e.drop.file);
                SDL_free(e.drop.file);
                PostMessage(window, WM_DROPFILES, 0, 0);
            }
            break;
        case SDL_KEYDOWN:
            // F11 is the desktop's full-screen switch, not a device key.
            if (e.key.keysym.sym == SDLK_F11) {
                if (!e.key.repeat) window->ToggleFullScreen();
                break;
            }
            PostKey(window, e.key);
            break;
        case SDL_KEYUP:
            if (e.key.keysym.sym != SDLK_F11) PostKey(window, e.key);
            break;
        case SDL_TEXTINPUT:
            PostText(window, e.text.text);
            break;
        case SDL_WINDOWEVENT:
            PostWindowEvent(window, e.window);
            break;
        case SDL_QUIT:
            PostMessage(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace ampliro
