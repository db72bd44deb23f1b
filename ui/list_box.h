// ListBox: rows of "|"-separated columns with a data word and attributes,
// shown through a window with a selection bar and an embedded vertical
// scroll bar. Double tap and long press are reported to the owner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/scroll_bar.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;
struct SpriteSheet;

// Style bits.
inline constexpr uint32_t kListPictures = 0x01;
inline constexpr uint32_t kListCached = 0x02;
inline constexpr uint32_t kListDirty = 0x04;

// Row attribute: the row is a folder (sorted first, shown as one).
inline constexpr uint32_t kRowFolder = 0x10;

// Notification codes.
inline constexpr uint32_t kListSelectionChanged = 1;
inline constexpr uint32_t kListDoubleTap = 2;
inline constexpr uint32_t kListLongPress = 10;
inline constexpr uint32_t kListPenLifted = 11;

// The press timer and the times that tell taps apart.
inline constexpr uint32_t kListPressTimerId = 1001;
inline constexpr uint32_t kListPressPeriodMs = 50;
inline constexpr uint32_t kDoubleTapMs = 500;
inline constexpr uint32_t kLongPressMs = 500;

// The room a column's text leaves on either side; where the first column
// starts in a list with a picture on every row.
inline constexpr int32_t kListColumnPadding = 3;
inline constexpr int32_t kListPictureColumnLeft = 18;

// Longest column text read back, without its terminating NUL.
inline constexpr int kColumnTextMax = 127;
inline constexpr int kMaxColumns = 5;

struct ListRow {
    int32_t data = 0;
    uint32_t attributes = 0;
    std::string text;
    // What the row stands for when its text cannot say it exactly (a file
    // name in the file system's own encoding); empty when the text does.
    std::string key;
};

struct ListColumn {
    uint16_t width = 0;
    uint16_t alignment = 0;  // 0 left, 1 right
    int32_t left = 0;        // computed by Refresh, local
};

// Picks the picture of a row: source and index may be changed.
using ListPictureCallback = void (*)(const SpriteSheet** source, int32_t* index,
                                     const char* column0, uint32_t attributes);

class ListBox : public Widget {
  public:
    ListBox();

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Frees every row; the list then holds at most n.
    void SetCapacity(int32_t n);
    // Copies the text (and the key); 0 when the list is full.
    int AddRow(const char* text, int32_t data, uint32_t attributes, const char* key = nullptr);
    void RemoveRow(int32_t index);
    void Clear();
    void FreeRows();
    // The column's text, cut to kColumnTextMax characters, in one buffer
    // shared by every list; empty when the row has fewer columns.
    const char* GetColumnText(int32_t index, int32_t column) const;
    // top row + cursor row, or -1 when the list is empty.
    int32_t GetSelection() const;
    // Clamps, and scrolls as little as possible to show the row.
    void SetSelection(int32_t index);
    // Each width word: width in the low half, alignment in the high half.
    int SetColumns(int32_t count, const uint32_t* widths);
    void SetFont(BitmapFont* font);
    void SetStyle(uint32_t style);
    void SetArrowSheet(const SpriteSheet* sheet);
    int32_t SetRowHeightFor(int32_t rows) const { return rows * rowHeight + 2; }
    // Selection sort on the column's text; direction 1 ascending, -1 descending.
    void Sort(int32_t column, int32_t direction);
    // Recomputes the window, the scroll range and the column rectangles.
    void Refresh();

    int32_t RowCount() const { return static_cast<int32_t>(rows.size()); }
    const ListRow* Row(int32_t index) const;
    // Draws one row's columns at (ox, oy + rowTop) with the given text colour,
    // within limitWidth pixels from ox (the combo draws its choice this way).
    void DrawRowColumns(Surface* surface, int32_t ox, int32_t rowTop, int32_t index,
                        uint16_t colour, int32_t limitWidth) const;
    void MarkDirty() { style |= kListDirty; }

    uint32_t style = 0;
    int32_t cursorRow = 0;
    int32_t topRow = 0;
    int32_t capacity = 0;
    int32_t visibleRows = 0;
    int32_t columnCount = 1;
    ListColumn columns[kMaxColumns] = {};
    int32_t rowHeight = 16;
    uint32_t lastTapTime = 0;
    bool lastTapValid = false;
    uint32_t pressTime = 0;
    int32_t pressX = 0, pressY = 0;
    bool pressed = false;
    uint16_t selectionColour = 0x3358;
    uint16_t selectedTextColour = 0xFFFF;
    uint16_t backgroundColour = 0xFFFF;
    uint16_t textColour = 0x0000;
    uint16_t borderColour = 0x0000;
    std::unique_ptr<Surface> cachedPicture;
    const SpriteSheet* arrowSheet = nullptr;
    const SpriteSheet* pictures = nullptr;
    ScrollBar scrollBar;
    BitmapFont* font = nullptr;
    ListPictureCallback pictureCallback = nullptr;
    std::vector<std::unique_ptr<ListRow>> rows;
    // The clock for double taps and long presses.
    uint32_t (*clock)() = nullptr;

    // The scroll bar's width with these arrows: their cells', or 14 without.
    static int32_t ArrowWidthFor(const SpriteSheet* arrows);

  private:
    int32_t ArrowWidth() const { return ArrowWidthFor(arrowSheet); }
    int32_t ContentWidth() const { return width - ArrowWidth(); }
    bool CursorInWindow() const { return cursorRow >= 0 && cursorRow < visibleRows; }
    void NotifyOwner(uint32_t code, uintptr_t lParam);
    void SyncScrollBar();
    void PenDown(uintptr_t lParam);
    void PressTimer();
    void Key(uintptr_t key);
    void FromScrollBar();
    // Scrolls the window by whole rows; true when it moved.
    bool Wheel(uintptr_t wParam);
    void Paint(Surface* surface);
    void PaintRows(Surface* surface, int32_t ox, int32_t oy);
    bool Compare(const ListRow& candidate, const ListRow& best, int32_t column,
                 int32_t direction) const;
};

}  // namespace ampliro
