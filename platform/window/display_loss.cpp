#include "platform/window/display_loss.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>

namespace ampliro {
namespace {

void (*gHandler)() = nullptr;

// Xlib exits when this returns, so it never does.
int OnConnectionLost(Display*) {
    if (gHandler != nullptr) gHandler();
    std::_Exit(1);
}

}  // namespace

void SetDisplayLostHandler(void (*handler)()) {
    gHandler = handler;
}

void WatchForDisplayLoss() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && SDL_strcmp(driver, "x11") == 0) XSetIOErrorHandler(&OnConnectionLost);
}

}  // namespace ampliro
