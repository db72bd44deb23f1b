// Button: push button, toggle switch, radio button, auto-repeating arrow or
// inert lamp, chosen by its style word. It draws a sprite-sheet picture, a
// framed face, or both, and reports a click to its parent.
#pragma once

#include <cstdint>

#include "ui/widget.h"

namespace ampliro {

struct SpriteSheet;

// Style bits.
inline constexpr uint32_t kButtonOn = 0x001;
inline constexpr uint32_t kButtonPenInside = 0x002;
inline constexpr uint32_t kButtonPressed = 0x004;
inline constexpr uint32_t kButtonToggle = 0x008;
inline constexpr uint32_t kButtonGroupStart = 0x010;
inline constexpr uint32_t kButtonRadio = 0x020;
inline constexpr uint32_t kButtonFramed = 0x040;
inline constexpr uint32_t kButtonAutoRepeat = 0x080;
inline constexpr uint32_t kButtonOutline = 0x100;

// The auto-repeat timer and its period.
inline constexpr uint32_t kRepeatTimerId = 1000;
inline constexpr uint32_t kRepeatPeriodMs = 50;

class Button : public Widget {
  public:
    Button() { kind = kKindButton; }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // How the screens lay out a button: where it stands, its id and caption
    // (inside, unless placed otherwise), its style word and face colour;
    // shown, with its caption.
    void Configure(uint16_t buttonId, const char* text, int32_t left, int32_t top, int32_t w,
                   int32_t h, uint32_t buttonStyle, uint16_t face,
                   uint16_t placement = kPlaceInside);
    void SetStyle(uint32_t style) { this->style = style; }
    bool HasStyle(uint32_t bits) const { return (style & bits) == bits; }
    void AddStyle(uint32_t bits) { style |= bits; }
    void RemoveStyle(uint32_t bits) { style &= ~bits; }
    void ToggleChecked() { style ^= kButtonOn; }
    void SetImage(const SpriteSheet* sheet, int32_t column) {
        this->sheet = sheet;
        imageColumn = column;
    }
    // Shown pressed: latched on, or held with the pen inside.
    bool ShowsPressed() const;
    // A framed toggle that is on shows a lit face.
    bool ShowsLit() const;

    uint32_t style = 0;
    int32_t imageColumn = 0;
    uint16_t faceColour = 0xC618;
    uint16_t borderColour = 0x0000;
    const SpriteSheet* sheet = nullptr;

  private:
    void Paint(Surface* surface);
    void SelectInGroup(uint16_t selectedId);
    bool Inside(uintptr_t lParam) const;
    void Click();
};

}  // namespace ampliro
