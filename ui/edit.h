// Edit: a one-line text field with a caret, a selection and a fixed set of
// characters it accepts.
#pragma once

#include <climits>
#include <cstdint>

#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;

class Edit : public Widget {
  public:
    static constexpr uint32_t kReadOnly = 0x01;
    // The field's storage; SetMaxLength never goes past it.
    static constexpr int kCapacity = 81;
    static constexpr const char* kNameCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 ?,.:;";

    Edit();

    void SetFont(BitmapFont* font) { this->font = font; }
    // Copies the text, cut to the maximum length; the caret goes to its end.
    void SetText(const char* text);
    // Selects characters 0 .. end; -1 means the whole text. The caret stays.
    void SelectRange(int end);
    const char* GetText() const { return text; }
    int Length() const { return length; }
    // Clamped to 0 .. kCapacity; a longer text is cut.
    void SetMaxLength(int characters);
    int MaxLength() const { return maxLength; }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    bool HasSelection() const { return selectionStart != selectionEnd; }

    uint32_t style = 0;
    BitmapFont* font = nullptr;
    uint16_t textColour = 0x0000;
    uint16_t frameColour = 0x0000;
    uint16_t selectedTextColour = 0xFFFF;
    uint16_t selectionColour = 0x3358;
    uint16_t backgroundColour = 0xFFFF;
    const char* accepted = kNameCharacters;
    bool penHeld = false;
    int caret = 0;
    int selectionStart = 0;
    int selectionEnd = 0;
    // How many pixels of the text lie scrolled out on the left.
    int scrollX = 0;

  private:
    void OnKey(uint32_t key);
    void OnCharacter(uint32_t character);
    void DeleteSelection();
    void DeleteRange(int from, int to);
    void Paint(class Surface* surface);
    // Scrolls the text sideways just enough to keep the caret inside the
    // field, and back to the start when the whole text fits.
    void FollowCaret();
    bool Editable() const { return (style & kReadOnly) == 0; }

    int maxLength = kCapacity;
    int length = 0;
    char text[kCapacity + 1] = {};
};

// Draws up to count characters glyph by glyph, never reading "#" as a colour
// code, so a name such as "a#1" neither recolours nor runs past its end. Only
// the glyphs that lie whole within columns clipLeft .. clipRight are drawn.
void DrawLiteralText(BitmapFont* font, class Surface* surface, int x, int y, const char* text,
                     int count, uint16_t colour, int clipLeft = INT_MIN, int clipRight = INT_MAX);
// Pixel width of the first count characters, each taken literally (no colour
// codes): a field's text is what the user typed, not a display string.
int LiteralWidth(const BitmapFont* font, const char* text, int count);
// The caret index for a pen at x over a literal text, by the line-fitting
// rule: the whole text when x lies beyond it, else just after the last space
// before x, else the character under x.
int LiteralFit(const BitmapFont* font, const char* text, int x);

}  // namespace ampliro
