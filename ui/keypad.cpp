#include "ui/keypad.h"

#include <cctype>

#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"

namespace ampliro {

namespace {

// Visible with its caption, but never focusable: tapping a key leaves the
// keyboard focus on the field being typed into.
constexpr uint16_t kUnusedKeyFace = 0x3186;

void PostToWindow(uint32_t message, uintptr_t wParam) {
    if (CurrentDesktop && CurrentDesktop->window)
        PostMessage(CurrentDesktop->window, message, wParam, 0);
}

}  // namespace

Button& Keypad::AddKey(uint16_t keyId, const char* label, int32_t left, int32_t top, int32_t keyW,
                       uint32_t extraStyle) {
    Button& key = keys[keyCount++];
    key.Configure(keyId, label, left, top, keyW, keyHeight, kButtonFramed | extraStyle,
                  keyFaceColour);
    AddChild(&key);
    return key;
}

void Keypad::Layout() {
    RemoveChildren();
    keyCount = 0;
    const int32_t stepX = keyWidth + gap;
    const int32_t stepY = keyHeight + gap;
    const int base = alt ? kCharacterKeys : 0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 10; ++column) {
            const int index = row * 10 + column;
            char ch = kLayout[base + index];
            if (ch == ' ')
                ch = 0;
            else if (!shift && std::isupper(static_cast<unsigned char>(ch)))
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            labels[index][0] = ch;
            labels[index][1] = '\0';
            Button& key = AddKey(static_cast<uint8_t>(ch), labels[index], column * stepX,
                                 row * stepY, keyWidth, 0);
            // The Alt page has characters on its first row only: its other
            // keys are shown as what they are, unused slots, dark and deaf
            // to the pen, not as blank caps that type nothing. (They stay
            // painted: the dialog repaints its keypad over the last frame,
            // so a key left out would leave its old letter behind.)
            if (ch == 0) {
                key.SetFlags(kVisible | kDisabled);
                key.faceColour = kUnusedKeyFace;
            }
        }
    }
    const int32_t bottom = 3 * stepY;
    const int32_t wideKey = 2 * keyWidth + gap;
    AddKey(kShiftId, "Shift", 0, bottom, wideKey, kButtonToggle | (shift ? kButtonOn : 0));
    AddKey(kSpaceId, "Space", 2 * stepX, bottom, 4 * stepX - gap, 0);
    AddKey(kAltId, "Alt", 6 * stepX, bottom, wideKey, kButtonToggle | (alt ? kButtonOn : 0));
    AddKey(kDeleteId, "Del", 8 * stepX, bottom, wideKey, 0);
    width = 10 * stepX;
    height = 4 * stepY;
}

Button* Keypad::FindKey(uint16_t keyId) {
    for (int i = 0; i < keyCount; ++i)
        if (keys[i].id == keyId) return &keys[i];
    return nullptr;
}

int Keypad::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND) {
        const uint16_t keyId = static_cast<uint16_t>(wParam & 0xFFFF);
        const Button* key = reinterpret_cast<const Button*>(lParam);
        switch (keyId) {
            case kShiftId:
                shift = key ? key->HasStyle(kButtonOn) : !shift;
                Layout();
                break;
            case kAltId:
                alt = key ? key->HasStyle(kButtonOn) : !alt;
                Layout();
                break;
            case kDeleteId:
                PostToWindow(WM_KEYDOWN, VK_BACK);
                break;
            default:
                PostToWindow(WM_CHAR, keyId);
                break;
        }
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
