// The program: a memory check, the window, then the frame loop of MyGame.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/my_game.h"
#include "platform/system_memory.h"
#include "platform/window.h"

int main() {
    using namespace ampliro;
    auto game = std::make_unique<MyGame>();
    if (AvailableMemoryBytes() < 2048000) {
        ShowPlatformMessageBox(nullptr, "Insufficient Memory",
                               "Quorvell requires at least 2Mb of free memory in order to run, "
                               "ideally 3Mb or more. Please free off some memory and try again.");
        return 0;
    }
    if (!game->CreateMainWindow(nullptr)) return 0;
    game->Run();
    return 0;
}
