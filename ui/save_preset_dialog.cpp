#include "ui/save_preset_dialog.h"

#include <cstring>
#include <memory>
#include <string>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/button.h"
#include "ui/desktop.h"
#include "ui/edit.h"
#include "ui/keypad.h"

namespace ampliro {

namespace {

constexpr int32_t kDialogLeft = 10;
constexpr int32_t kDialogRight = 230;
constexpr int32_t kDialogHeight = 200;
constexpr uint16_t kButtonFlags = kVisible | kShowCaption | kPostNotifications;

void DrawFrame(Surface* surface, BitmapFont* titleFont, const char* title, int32_t top,
               int32_t bottom) {
    FillRect(surface, 0, 0, surface->width - 1, surface->height - 1, 0x0000, 16);
    FillRect(surface, kDialogLeft, top, kDialogRight, bottom, 0x0010, 16);
    FrameRect(surface, kDialogLeft + 1, top + 1, kDialogRight - 1, bottom - 1, 0xFFFF);
    const int32_t titleHeight = titleFont ? titleFont->height : 16;
    FillRect(surface, kDialogLeft + 2, top + 5, kDialogRight - 2, top + 5 + titleHeight, 0x0000, 0);
    if (titleFont)
        DrawColourText(titleFont, surface, kDialogLeft + 10, top + 5, title, 0xFFE0, 0);
    else
        DrawSystemText(surface, kDialogLeft + 10, top + 5, title, 0xFFE0);
}

void SetUpButton(Button& button, uint16_t buttonId, const char* text, int32_t left, int32_t top) {
    button.Configure(buttonId, text, left, top, 50, 20, kButtonFramed, 0xBE9E);
    button.SetFlags(kButtonFlags);
}

}  // namespace

void SetExtension(char* name, size_t capacity, const char* extension) {
    if (!name || capacity == 0) return;
    std::string text(name, strnlen(name, capacity - 1));
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos) text.resize(dot);
    text += extension;
    const size_t kept = std::min(text.size(), capacity - 1);
    std::memcpy(name, text.data(), kept);
    name[kept] = '\0';
}

void NameDialogControls::Layout(BitmapFont* font, int32_t screenHeight) {
    top = (screenHeight - kDialogHeight) / 2;
    bottom = top + kDialogHeight;
    field.SetBounds(kDialogLeft + 10, top + 30, 200, 20);
    field.frameColour = 0xC71F;
    field.SetFont(font);
    SetUpButton(ok, kSavePresetOk, "Ok", kDialogRight - 115, bottom - 30);
    SetUpButton(cancel, kSavePresetCancel, "Cancel", kDialogRight - 60, bottom - 30);
    keypad.SetKeySize(18, 22);
    keypad.SetFont(font);
    keypad.Layout();
    keypad.SetBounds(kDialogLeft + 11, top + 60, keypad.width, keypad.height);
}

int RunSavePresetDialog(const SavePresetDialogParts& parts, char* name, size_t capacity) {
    if (!parts.display || !name || capacity == 0) return 0;
    Desktop* const mainDesktop = CurrentDesktop;
    // The screen as it was, shown again when the dialog closes: whatever
    // comes next (a message about the saved file) then opens over the area,
    // not over a picture of a dialog that is gone.
    const std::unique_ptr<Surface> before(GrabScreen(parts.display, 0, 0));
    NameDialogControls controls;
    controls.Layout(parts.font, parts.display->GetParams().height);
    Edit& field = controls.field;
    const int32_t top = controls.top, bottom = controls.bottom;
    field.SetText(std::string(name, strnlen(name, capacity - 1)).c_str());
    field.SelectRange(-1);

    Desktop desktop;
    desktop.Attach(parts.display, parts.window);
    desktop.SetCaptionFont(parts.font);
    desktop.AddChild(&field);
    desktop.AddChild(&controls.ok);
    desktop.AddChild(&controls.cancel);
    desktop.AddChild(&controls.keypad);
    desktop.SetFocus(&field);
    SetTimer(parts.window, kSavePresetTimerId, kSavePresetTimerMs);

    if (parts.display->BeginScene()) {
        if (Surface* surface = parts.display->GetBackBuffer()) {
            DrawFrame(surface, parts.titleFont, parts.title ? parts.title : "", top, bottom);
            desktop.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(surface), 0);
        }
        parts.display->Present(0);
    }

    int result = 0;
    Message msg;
    for (;;) {
        const int fetched = desktop.PumpMessage(&msg);
        if (fetched < 0) {
            PostQuitMessage(0);
            result = 0;
            break;
        }
        if (fetched == 0) {
            // The program is closing: the main loop must see the quit too,
            // or it would wait for ever behind a dialog that is gone.
            PostQuitMessage(static_cast<int>(msg.wParam));
            result = kSavePresetCancel;
            break;
        }
        if (msg.message == WM_COMMAND) {
            const uint32_t control = static_cast<uint32_t>(msg.wParam & 0xFFFF);
            if (control == kSavePresetOk || control == kSavePresetCancel) {
                result = static_cast<int>(control);
                break;
            }
        } else if (msg.message == WM_TIMER && msg.wParam == kSavePresetTimerId) {
            desktop.Render(nullptr);
        }
    }

    if (result == kSavePresetOk) {
        const size_t kept = std::min(static_cast<size_t>(field.Length()), capacity - 1);
        std::memcpy(name, field.GetText(), kept);
        name[kept] = '\0';
        if (parts.extension) SetExtension(name, capacity, parts.extension);
    }
    KillTimer(parts.window, kSavePresetTimerId);
    if (before) ShowSurface(parts.display, before.get());
    desktop.Reset();
    CurrentDesktop = mainDesktop;
    return result;
}

}  // namespace ampliro
