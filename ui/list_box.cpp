#include "ui/list_box.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

namespace {

constexpr int32_t kPictureSize = 16;
constexpr int32_t kPictureRowHeight = 17;
constexpr int32_t kDefaultArrowWidth = 14;

// Column texts leave the list in fixed buffers. Seven zero bytes follow the
// longest text, so a stray "#" near its end (read as the start of a colour
// code, which always spans seven characters) never reads past the buffer.
struct ColumnBuffer {
    char text[kColumnTextMax + 1 + 7] = {};
};

// Copies column `column` of a "|"-separated text, cut to kColumnTextMax.
void CopyColumn(const std::string& text, int32_t column, ColumnBuffer* out) {
    std::memset(out->text, 0, sizeof out->text);
    size_t start = 0;
    for (int32_t c = 0; c < column; ++c) {
        const size_t bar = text.find('|', start);
        if (bar == std::string::npos) return;
        start = bar + 1;
    }
    const size_t end = std::min(text.find('|', start), text.size());
    const size_t length = std::min<size_t>(end - start, kColumnTextMax);
    std::memcpy(out->text, text.data() + start, length);
}

ColumnBuffer sharedColumnText;

}  // namespace

ListBox::ListBox() : clock(&Milliseconds) {
    kind = kKindListBox;
    scrollBar.id = 1;
    AddChild(&scrollBar);
}

int32_t ListBox::ArrowWidthFor(const SpriteSheet* arrows) {
    return arrows && arrows->cellWidth > 0 ? arrows->cellWidth : kDefaultArrowWidth;
}

const ListRow* ListBox::Row(int32_t index) const {
    return index >= 0 && index < RowCount() ? rows[static_cast<size_t>(index)].get() : nullptr;
}

void ListBox::SetCapacity(int32_t n) {
    rows.clear();
    capacity = std::max(n, 0);
    rows.reserve(static_cast<size_t>(capacity));
    topRow = cursorRow = 0;
    MarkDirty();
}

int ListBox::AddRow(const char* text, int32_t data, uint32_t attributes, const char* key) {
    if (RowCount() >= capacity) return 0;
    auto row = std::make_unique<ListRow>();
    row->data = data;
    row->attributes = attributes;
    row->text = text ? text : "";
    row->key = key ? key : "";
    rows.push_back(std::move(row));
    MarkDirty();
    return 1;
}

void ListBox::RemoveRow(int32_t index) {
    if (index < 0 || index >= RowCount()) return;
    const int32_t selection = GetSelection();
    rows.erase(rows.begin() + index);
    MarkDirty();
    if (rows.empty()) {
        topRow = cursorRow = 0;
        SyncScrollBar();
        return;
    }
    SetSelection(std::min(selection, RowCount() - 1));
}

void ListBox::Clear() {
    rows.clear();
    topRow = cursorRow = 0;
    MarkDirty();
}

void ListBox::FreeRows() {
    Clear();
    rows.shrink_to_fit();
    capacity = 0;
}

const char* ListBox::GetColumnText(int32_t index, int32_t column) const {
    const ListRow* row = Row(index);
    if (!row) {
        sharedColumnText.text[0] = '\0';
        return sharedColumnText.text;
    }
    CopyColumn(row->text, column, &sharedColumnText);
    return sharedColumnText.text;
}

int32_t ListBox::GetSelection() const {
    return rows.empty() ? -1 : topRow + cursorRow;
}

void ListBox::SetSelection(int32_t index) {
    index = std::clamp(index, 0, std::max(RowCount() - 1, 0));
    const int32_t window = std::max(visibleRows, 1);
    if (index < topRow) {
        topRow = index;
        cursorRow = 0;
    } else if (index < topRow + window) {
        cursorRow = index - topRow;
    } else {
        topRow = index - window + 1;
        cursorRow = window - 1;
    }
    MarkDirty();
    SyncScrollBar();
}

int ListBox::SetColumns(int32_t count, const uint32_t* widths) {
    if (count < 1 || count > kMaxColumns || !widths) return 0;
    columnCount = count;
    for (int32_t i = 0; i < count; ++i) {
        columns[i].width = static_cast<uint16_t>(widths[i] & 0xFFFF);
        columns[i].alignment = static_cast<uint16_t>(widths[i] >> 16);
    }
    MarkDirty();
    return 1;
}

void ListBox::SetFont(BitmapFont* newFont) {
    font = newFont;
    if (font) rowHeight = font->height + 3;
    MarkDirty();
}

void ListBox::SetStyle(uint32_t newStyle) {
    style = newStyle | kListDirty;
    if (style & kListPictures) rowHeight = kPictureRowHeight;
}

void ListBox::SetArrowSheet(const SpriteSheet* sheet) {
    arrowSheet = sheet;
    scrollBar.SetArrowSheet(sheet);
    HandleMessage(WM_SIZE, 0, PackPoint(width, height));
}

bool ListBox::Compare(const ListRow& candidate, const ListRow& best, int32_t column,
                      int32_t direction) const {
    ColumnBuffer a, b;
    CopyColumn(candidate.text, column, &a);
    CopyColumn(best.text, column, &b);
    if (a.text[0] == '.') return true;
    if (b.text[0] == '.') return false;
    const bool folderA = candidate.attributes & kRowFolder;
    const bool folderB = best.attributes & kRowFolder;
    if (folderA != folderB) return folderA;
    return direction * strcasecmp(a.text, b.text) < 0;
}

void ListBox::Sort(int32_t column, int32_t direction) {
    const int32_t n = RowCount();
    for (int32_t i = 0; i < n; ++i) {
        int32_t best = i;
        for (int32_t j = i + 1; j < n; ++j) {
            if (Compare(*rows[static_cast<size_t>(j)], *rows[static_cast<size_t>(best)], column,
                        direction))
                best = j;
        }
        if (best != i) std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(best)]);
    }
    MarkDirty();
}

void ListBox::Refresh() {
    visibleRows = rowHeight > 0 ? (height - 2) / rowHeight : 0;
    scrollBar.SetScrollRange(0, RowCount(), visibleRows);
    // A selection made before the window was known may have scrolled past
    // the last full window; the top row must stay within the scroll range
    // (or the bar and the list disagree), and the selected row stays put.
    const int32_t lastTop = std::max(RowCount() - std::max(visibleRows, 1), 0);
    if (topRow > lastTop) {
        cursorRow += topRow - lastTop;
        topRow = lastTop;
    }
    int32_t left = (style & kListPictures) ? kListPictureColumnLeft : 1;
    if (columnCount == 1) columns[0].width = static_cast<uint16_t>(std::max(width - left, 0));
    for (int32_t i = 0; i < columnCount; ++i) {
        columns[i].left = left;
        left += columns[i].width;
    }
    SyncScrollBar();
    MarkDirty();
}

void ListBox::SyncScrollBar() {
    scrollBar.SetPosition(topRow);
}

void ListBox::NotifyOwner(uint32_t code, uintptr_t lParam) {
    Notify(WM_COMMAND, MakeCommand(id, code), lParam);
}

void ListBox::PenDown(uintptr_t lParam) {
    const uint32_t px = lParam & 0xFFFF, py = (lParam >> 16) & 0xFFFF;
    if (rows.empty() || px >= static_cast<uint32_t>(std::max(width, 0)) ||
        py >= static_cast<uint32_t>(std::max(height, 0)) || rowHeight <= 0)
        return;
    int32_t row = static_cast<int32_t>(py) / rowHeight;
    row = std::min({row, RowCount() - 1 - topRow, std::max(visibleRows - 1, 0)});
    row = std::max(row, 0);
    const uint32_t now = clock();
    if (row != cursorRow) {
        cursorRow = row;
        MarkDirty();
        // The tap that selects a row is the first of a possible double tap.
        lastTapTime = now;
        lastTapValid = true;
        NotifyOwner(kListSelectionChanged, reinterpret_cast<uintptr_t>(this));
    } else if (lastTapValid && now - lastTapTime < kDoubleTapMs) {
        lastTapValid = false;
        NotifyOwner(kListDoubleTap, reinterpret_cast<uintptr_t>(this));
    } else {
        lastTapTime = now;
        lastTapValid = true;
    }
    pressTime = now;
    pressX = static_cast<int32_t>(px) + x;
    pressY = static_cast<int32_t>(py) + y;
    ToScreen(pressX, pressY);
    pressed = true;
    StartWidgetTimer(kListPressTimerId, kListPressPeriodMs);
}

void ListBox::PressTimer() {
    if (!pressed || clock() - pressTime < kLongPressMs) return;
    StopWidgetTimer(kListPressTimerId);
    pressed = false;
    NotifyOwner(kListLongPress, PackPoint(pressX, pressY));
}

void ListBox::Key(uintptr_t key) {
    if (rows.empty() || (key != VK_UP && key != VK_DOWN)) return;
    const int32_t before = GetSelection();
    if (!CursorInWindow()) {
        SetSelection(before);
        return;
    }
    if (key == VK_UP) {
        if (cursorRow > 0)
            --cursorRow;
        else if (topRow > 0)
            --topRow;
    } else if (before < RowCount() - 1) {
        if (cursorRow < visibleRows - 1)
            ++cursorRow;
        else
            ++topRow;
    }
    if (GetSelection() != before) {
        MarkDirty();
        SyncScrollBar();
        NotifyOwner(kListSelectionChanged, reinterpret_cast<uintptr_t>(this));
    }
}

// The selected row stays the same while the window scrolls, so it may leave
// the window.
void ListBox::FromScrollBar() {
    const int32_t newTop = scrollBar.GetPosition();
    cursorRow -= newTop - topRow;
    topRow = newTop;
    MarkDirty();
}

// Three rows per notch, as desktop lists scroll. Like the scroll bar, the
// wheel moves the window and leaves the selection where it is.
bool ListBox::Wheel(uintptr_t wParam) {
    const auto turn = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
    const int32_t rowsPerNotch = 3;
    const int32_t lastTop = std::max(RowCount() - std::max(visibleRows, 1), 0);
    const int32_t newTop =
        std::clamp(topRow - turn * rowsPerNotch / kWheelNotch, int32_t{0}, lastTop);
    if (newTop == topRow) return false;
    cursorRow -= newTop - topRow;
    topRow = newTop;
    SyncScrollBar();
    MarkDirty();
    return true;
}

void ListBox::DrawRowColumns(Surface* surface, int32_t ox, int32_t rowTop, int32_t index,
                             uint16_t colour, int32_t limitWidth) const {
    const ListRow* row = Row(index);
    if (!row || !font) return;
    const int32_t textY = rowTop + 1 + ((rowHeight - font->height) >> 1);
    for (int32_t c = 0; c < columnCount; ++c) {
        const ListColumn& column = columns[c];
        if (column.left >= limitWidth) break;
        ColumnBuffer cell;
        CopyColumn(row->text, c, &cell);
        if (c == 0 && (style & kListPictures)) {
            const SpriteSheet* source = pictures;
            int32_t picture = row->data;
            if (pictureCallback) pictureCallback(&source, &picture, cell.text, row->attributes);
            if (source)
                source->DrawCell(surface, ox + 2, rowTop + ((rowHeight - kPictureSize) >> 1) + 2,
                                 picture, 0);
        }
        // A column ends where it ends or where the scroll bar (or the combo's
        // drop button) begins; a text too long for it ends in "..." rather
        // than in the middle of a letter's word.
        const int32_t right = std::min<int32_t>(column.left + column.width, limitWidth);
        const int32_t room = right - column.left - 2 * kListColumnPadding;
        if (room <= 0) continue;
        const int32_t n = FitTextEllipsis(font, cell.text, room + 1);
        if (n == 0) continue;
        cell.text[n] = '\0';
        int32_t textX = ox + column.left + kListColumnPadding;
        if (column.alignment == 1)
            textX = ox + right - kListColumnPadding - TextWidth(font, cell.text);
        DrawColourText(font, surface, textX, textY, cell.text, colour, 0);
    }
}

void ListBox::PaintRows(Surface* surface, int32_t ox, int32_t oy) {
    FrameRect(surface, ox, oy, ox + width - 1, oy + height - 1, borderColour);
    FillRect(surface, ox + 1, oy + 1, ox + width - 2, oy + height - 2, backgroundColour, 0);
    const int32_t content = ContentWidth();
    // Row r covers 1 + r h .. (r + 1) h inclusive: a band one pixel longer
    // would paint over the frame's bottom line when the last row is chosen.
    if (!rows.empty() && CursorInWindow() && GetSelection() < RowCount()) {
        FillRect(surface, ox + 1, oy + rowHeight * cursorRow + 1, ox + content,
                 oy + rowHeight * (cursorRow + 1), selectionColour, 0);
    }
    for (int32_t r = 0; r < visibleRows && topRow + r < RowCount(); ++r) {
        const uint16_t colour = r == cursorRow ? selectedTextColour : textColour;
        DrawRowColumns(surface, ox, oy + r * rowHeight, topRow + r, colour, content);
    }
}

void ListBox::Paint(Surface* surface) {
    int32_t ox = x, oy = y;
    ToScreen(ox, oy);
    const bool insideSurface = ox >= 0 && oy >= 0 && ox + width <= surface->width &&
                               oy + height <= surface->height && width > 0 && height > 0;
    if ((style & kListCached) && !(style & kListDirty) && cachedPicture && insideSurface &&
        cachedPicture->width == width && cachedPicture->height == height) {
        Blit(surface, ox, oy, width, height, cachedPicture.get(), 0, 0, 0, 0, kBlitCopy);
        return;
    }
    PaintRows(surface, ox, oy);
    if ((style & kListCached) && insideSurface) {
        cachedPicture.reset(CropCopy(surface, ox, oy, width, height));
        if (cachedPicture) style &= ~kListDirty;
    }
}

int ListBox::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_SIZE:
            scrollBar.SetBounds(width - (ArrowWidth() - 1), 0, ArrowWidth(), height);
            MarkDirty();
            break;
        case WM_PAINT:
            Paint(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_LBUTTONDOWN:
            PenDown(lParam);
            break;
        case WM_LBUTTONUP:
            NotifyOwner(kListPenLifted, reinterpret_cast<uintptr_t>(this));
            StopWidgetTimer(kListPressTimerId);
            pressed = false;
            break;
        case WM_TIMER:
            if (wParam == kListPressTimerId) PressTimer();
            break;
        case WM_KEYDOWN:
            Key(wParam);
            break;
        case WM_COMMAND:
            if ((wParam & 0xFFFF) == scrollBar.id) FromScrollBar();
            return 0;
        case WM_MOUSEWHEEL:
            // Taken even at either end, so the wheel never scrolls whatever
            // lies under the list.
            Wheel(wParam);
            return 1;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
