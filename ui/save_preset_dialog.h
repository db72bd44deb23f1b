// The Save Preset dialog: a modal box with its own small desktop holding a
// name field, an on-screen keypad and Ok and Cancel, for a device without a
// keyboard. Keys typed on the keypad travel through the window's queue and
// reach the field, which holds the focus.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/button.h"
#include "ui/edit.h"
#include "ui/keypad.h"

namespace ampliro {

class Display;
class Window;
struct BitmapFont;

struct SavePresetDialogParts {
    Display* display = nullptr;
    Window* window = nullptr;
    BitmapFont* font = nullptr;       // field, buttons and keys
    BitmapFont* titleFont = nullptr;  // the title
    const char* title = "Save Preset";
    // Given to the typed name on Ok; null keeps the name as typed.
    const char* extension = ".rec";
};

// The dialog's controls: the name field, the keypad under it, Ok and Cancel
// at the bottom, in a box centred on a screen of the given height.
struct NameDialogControls {
    void Layout(BitmapFont* font, int32_t screenHeight);

    int32_t top = 0;
    int32_t bottom = 0;
    Edit field;
    Button ok;
    Button cancel;
    Keypad keypad;
};

inline constexpr int kSavePresetOk = 1;
inline constexpr int kSavePresetCancel = 2;
inline constexpr uint32_t kSavePresetTimerId = 10;
inline constexpr uint32_t kSavePresetTimerMs = 30;

// name holds the proposed name on entry (at most capacity - 1 characters are
// kept). 1 (Ok): name holds the typed name with its extension set to the
// setup's (".rec" unless told otherwise);
// 2 (Cancel, or the program was asked to quit, which is passed on to the main
// loop): name is unchanged; 0: the message queue failed. The desktop current
// before the call is current again afterwards.
int RunSavePresetDialog(const SavePresetDialogParts& parts, char* name, size_t capacity);

// The text from the last "." on becomes the extension; without a "." it is
// appended. The result is cut to capacity - 1 characters.
void SetExtension(char* name, size_t capacity, const char* extension);

}  // namespace ampliro
