#include "app/export/export_progress.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/export/export_job.h"
#include "display/display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

constexpr int32_t kBoxLeft = 20;
constexpr int32_t kBoxRight = 220;
constexpr int32_t kBoxHeight = 100;
constexpr uint32_t kFrameMs = 30;
constexpr uint32_t kQuietMs = 200;
constexpr uint16_t kDefaultColours[4] = {0xFFE0, 0x0000, 0xFFFF, 0xFFE0};

void Text(BitmapFont* font, Surface* surface, int32_t x, int32_t y, const char* text,
          uint16_t colour) {
    if (font)
        DrawColourText(font, surface, x, y, text, colour, 0);
    else
        DrawSystemText(surface, x, y, text, colour);
}

int32_t Width(BitmapFont* font, const char* text) {
    return font ? TextWidth(font, text)
                : static_cast<int32_t>(std::char_traits<char>::length(text)) * 8;
}

bool IsInputOrPaint(uint32_t message) {
    switch (message) {
        case WM_PAINT:
        case WM_ERASEBKGND:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEWHEEL:
            return true;
        default:
            return false;
    }
}

}  // namespace

int32_t ExportBoxTop(int32_t screenHeight) {
    return (screenHeight - kBoxHeight) / 2;
}

void DrawExportProgress(Surface* surface, const ExportProgressLook& look, const char* fileName,
                        int32_t permille, ButtonBar* bar) {
    if (!surface) return;
    const uint16_t* colours = look.colours ? look.colours : kDefaultColours;
    const int32_t top = ExportBoxTop(surface->height);
    const int32_t bottom = top + kBoxHeight;
    if (bar->count == 0) {
        SetBarFont(bar, look.font);
        AddButton(bar, kExportCancelId, "Cancel", kBoxRight - 60, bottom - 25, 55, 20,
                  kBarButtonFocused);
    }
    FrameRect(surface, kBoxLeft - 1, top - 1, kBoxRight + 1, bottom + 1, colours[0]);
    FrameRect(surface, kBoxLeft - 2, top - 2, kBoxRight + 2, bottom + 2, colours[1]);
    FillRect(surface, kBoxLeft, top, kBoxRight, bottom, colours[1], 8);
    Text(look.titleFont, surface, kBoxLeft + 5, top + 5, "Export", colours[3]);

    // A long name ends in "..." inside the box; the file keeps it whole.
    std::string line = std::string("Saving '") + (fileName ? fileName : "") + "'";
    const int32_t room = kBoxRight - kBoxLeft - 10;
    if (Width(look.font, line.c_str()) > room) {
        if (look.font)
            line.resize(static_cast<size_t>(FitTextEllipsis(look.font, line.data(), room)));
        else
            line = line.substr(0, static_cast<size_t>(room / 8 - 3)) + "...";
    }
    Text(look.font, surface, kBoxLeft + 5, top + 28, line.c_str(), colours[2]);
    const int32_t shown = permille < 0 ? 0 : (permille > 1000 ? 1000 : permille);
    char figure[8];
    std::snprintf(figure, sizeof figure, "%d%%", static_cast<int>(shown / 10));
    Text(look.font, surface, kBoxRight - 5 - Width(look.font, figure), top + 5, figure, colours[2]);

    // The bar: a frame, then the inside filled from the left in proportion.
    const int32_t barTop = top + 50;
    FrameRect(surface, kExportBarLeft - 2, barTop, kExportBarLeft + kExportBarWidth + 1,
              barTop + 13, colours[2]);
    FillRect(surface, kExportBarLeft, barTop + 2, kExportBarLeft + kExportBarWidth - 1, barTop + 11,
             0x0000, 0);
    const int32_t filled = kExportBarWidth * shown / 1000;
    if (filled > 0)
        FillRect(surface, kExportBarLeft, barTop + 2, kExportBarLeft + filled - 1, barTop + 11,
                 colours[3], 0);
    DrawBar(bar, surface);
}

void RunExportProgress(Display* display, const ExportProgressLook& look, ExportJob& job,
                       const char* fileName) {
    for (uint32_t waited = 0; !job.Finished() && waited < kQuietMs; waited += 10)
        SleepMilliseconds(10);
    if (job.Finished() || !display) {
        job.Result();
        return;
    }
    const std::unique_ptr<Surface> snapshot(GrabScreen(display, 0, 0));
    ButtonBar bar;
    bool quit = false;
    int quitCode = 0;
    while (!job.Finished()) {
        if (display->BeginScene()) {
            if (Surface* back = display->GetBackBuffer()) {
                if (snapshot) CopySurface(back, snapshot.get());
                DrawExportProgress(back, look, fileName, job.Permille(), &bar);
            }
            display->Present(0);
        }
        Message msg;
        while (PeekMessage(&msg, true)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                job.Cancel();
                break;
            }
            if (BarInput(&bar, msg.message, msg.wParam, msg.lParam) == kExportCancelId)
                job.Cancel();
            if (!IsInputOrPaint(msg.message)) {
                TranslateMessage(&msg);
                DispatchMessage(&msg);
            }
        }
        SleepMilliseconds(kFrameMs);
    }
    job.Result();
    if (snapshot) ShowSurface(display, snapshot.get());
    // The main loop must see the quit too, once the file is settled.
    if (quit) PostQuitMessage(quitCode);
}

}  // namespace ampliro
