// Keypad: an on-screen keyboard of Button keys. It writes into no field
// itself; it posts character and key messages to the application window, so
// they reach the focused widget exactly as hardware keys would.
#pragma once

#include <cstdint>

#include "ui/button.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;

class Keypad : public Widget {
  public:
    static constexpr int kCharacterKeys = 30;
    static constexpr int kKeyCapacity = 35;
    static constexpr uint16_t kShiftId = 1;
    static constexpr uint16_t kAltId = 2;
    static constexpr uint16_t kDeleteId = 8;
    static constexpr uint16_t kSpaceId = 32;
    // Three rows of ten without Alt, the next three rows with Alt: a row of
    // digits and two rows of blank keys.
    static constexpr const char* kLayout =
        "QWERTYUIOPASDFGHJKL:ZXCVBNM,.?1234567890                    ";

    Keypad() = default;

    void SetKeySize(int32_t width, int32_t height) {
        keyWidth = width;
        keyHeight = height;
    }
    void SetFont(BitmapFont* font) { this->font = font; }
    // (Re)builds every key as a child from the Shift and Alt states and sets
    // the keypad's own size: 10 (w + g) by 4 (h + g).
    void Layout();

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    bool Shift() const { return shift; }
    bool Alt() const { return alt; }
    int KeyCount() const { return keyCount; }
    Button& Key(int index) { return keys[index]; }
    // The key whose id is the given one, or null.
    Button* FindKey(uint16_t keyId);

    uint16_t keyFaceColour = 0xC61F;
    int32_t keyHeight = 22;
    int32_t keyWidth = 20;
    int32_t gap = 2;

  private:
    Button& AddKey(uint16_t keyId, const char* label, int32_t left, int32_t top, int32_t keyW,
                   uint32_t extraStyle);

    Button keys[kKeyCapacity];
    char labels[kCharacterKeys][2] = {};
    int keyCount = 0;
    bool shift = false;
    bool alt = false;
    BitmapFont* font = nullptr;
};

}  // namespace ampliro
