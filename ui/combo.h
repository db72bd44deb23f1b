// Combo: a one-line box showing the chosen row; touched, it drops its own
// list below itself as the desktop's popup, holding the pen until it closes.
#pragma once

#include <cstdint>

#include "ui/list_box.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;
struct SpriteSheet;

class Combo : public Widget {
  public:
    Combo();

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    void Init(int32_t x, int32_t y, int32_t width, int32_t rowsShown, int32_t capacity,
              BitmapFont* font, const SpriteSheet* arrowSheet, const uint32_t* columnWidths,
              int32_t columnCount);
    void SetColours(uint16_t text, uint16_t background, uint16_t border, uint16_t button);
    void Open();
    void Close();
    bool IsOpen() const { return open; }
    int32_t ClosedHeight() const { return closedHeight_; }

    ListBox list;
    bool open = false;
    ScrollRect dropButton;  // local, inclusive
    uint16_t buttonColour = 0xC618;

  private:
    void Paint(Surface* surface);

    int32_t closedHeight_ = 0;
};

}  // namespace ampliro
