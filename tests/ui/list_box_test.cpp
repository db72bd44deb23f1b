#include "ui/list_box.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/sprite_sheet.h"
#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::CommandSink;
using testing::DesktopFixture;

uint32_t listNow = 0;
uint32_t ListClock() {
    return listNow;
}

class ListBoxTest : public ::testing::Test, public DesktopFixture {
  protected:
    ListBoxTest() : font(testing::MakeBlockFont()) {
        listNow = 1000;
        screen.SetBounds(0, 0, 240, 320);
        desktop.AddChild(&screen);
        list.clock = &ListClock;
        list.id = 3;
        list.SetFont(font.get());  // rows 13 high
        list.SetBounds(20, 40, 120, list.SetRowHeightFor(4));
        list.SetCapacity(16);
        for (int i = 0; i < 9; ++i) list.AddRow(("row " + std::to_string(i)).c_str(), i, 0);
        list.Refresh();
        screen.AddChild(&list);
    }
    // A tap on visible row r.
    void Tap(int32_t r) {
        Pen(WM_LBUTTONDOWN, 30, 40 + 1 + r * 13 + 5);
        Pen(WM_LBUTTONUP, 30, 40 + 1 + r * 13 + 5);
    }
    // The list holding only `row`, selected and painted black on white, so
    // that its text shows as dark pixels on the band.
    void PaintOneSelectedRow(const char* row) {
        list.SetCapacity(4);
        list.AddRow(row, 0, 0);
        list.Refresh();
        list.SetSelection(0);
        list.selectionColour = 0xFFFF;
        list.selectedTextColour = 0x0000;
        Paint();
    }
    std::vector<uint16_t> Codes() const {
        std::vector<uint16_t> codes;
        for (const auto& c : screen.commands) codes.push_back(c.code);
        return codes;
    }
    std::unique_ptr<BitmapFont> font;
    CommandSink screen;
    ListBox list;
};

TEST_F(ListBoxTest, SelectingScrollsAsLittleAsPossible) {
    EXPECT_EQ(list.visibleRows, 4);
    EXPECT_EQ(list.rowHeight, 13);
    EXPECT_EQ(list.scrollBar.maximum, 5);
    list.SetSelection(8);
    EXPECT_EQ(list.topRow, 5);
    EXPECT_EQ(list.cursorRow, 3);
    EXPECT_EQ(list.scrollBar.GetPosition(), 5);
    list.SetSelection(6);
    EXPECT_EQ(list.topRow, 5);
    EXPECT_EQ(list.cursorRow, 1);
    list.SetSelection(2);
    EXPECT_EQ(list.topRow, 2);
    EXPECT_EQ(list.cursorRow, 0);
    list.SetSelection(99);
    EXPECT_EQ(list.GetSelection(), 8);
    EXPECT_TRUE(screen.commands.empty());  // SetSelection sends nothing
}

TEST_F(ListBoxTest, TapsSelectAndTwoQuickTapsMakeADoubleTap) {
    Tap(1);
    listNow += 100;
    Tap(1);
    EXPECT_EQ(Codes(), (std::vector<uint16_t>{kListSelectionChanged, kListPenLifted, kListDoubleTap,
                                              kListPenLifted}));
    EXPECT_EQ(list.GetSelection(), 1);
    EXPECT_EQ(screen.commands[0].lParam, reinterpret_cast<uintptr_t>(&list));
    screen.commands.clear();
    listNow += 100;
    Tap(1);  // a third quick tap starts a new pair
    EXPECT_EQ(Codes(), (std::vector<uint16_t>{kListPenLifted}));
    listNow += 100;
    Tap(1);
    EXPECT_EQ(Codes(), (std::vector<uint16_t>{kListPenLifted, kListDoubleTap, kListPenLifted}));
    screen.commands.clear();
    listNow += 600;
    Tap(1);
    listNow += 500;  // not less than 500 ms: no double tap
    Tap(1);
    EXPECT_EQ(Codes(), (std::vector<uint16_t>{kListPenLifted, kListPenLifted}));
}

TEST_F(ListBoxTest, RefreshKeepsAnEarlySelectionWithinTheScrollRange) {
    ListBox fresh;
    fresh.SetFont(font.get());
    fresh.SetBounds(0, 0, 100, fresh.SetRowHeightFor(4));
    fresh.SetCapacity(8);
    for (int i = 0; i < 6; ++i) fresh.AddRow("r", i, 0);
    fresh.SetSelection(5);  // before Refresh: the window is not known yet
    fresh.Refresh();
    EXPECT_EQ(fresh.GetSelection(), 5);
    EXPECT_EQ(fresh.topRow, 2);
    EXPECT_EQ(fresh.cursorRow, 3);
    EXPECT_EQ(fresh.scrollBar.GetPosition(), 2);
}

TEST_F(ListBoxTest, TapsBelowTheLastRowPickTheLastVisibleRow) {
    list.SetCapacity(4);
    list.AddRow("a", 0, 0);
    list.AddRow("b", 1, 0);
    list.Refresh();
    Tap(3);
    EXPECT_EQ(list.GetSelection(), 1);
    // Outside the list's own rectangle: ignored.
    list.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(120, 5));
    EXPECT_EQ(list.GetSelection(), 1);
}

TEST_F(ListBoxTest, LongPressIsReportedOnceWithTheScreenPosition) {
    Pen(WM_LBUTTONDOWN, 50, 60);
    listNow += 450;
    desktop.HandleMessage(WM_TIMER, kListPressTimerId, 0);  // nothing holds the capture
    const size_t before = screen.commands.size();
    listNow += 50;
    desktop.HandleMessage(WM_TIMER, kListPressTimerId, 0);
    listNow += 50;
    desktop.HandleMessage(WM_TIMER, kListPressTimerId, 0);
    ASSERT_EQ(screen.commands.size(), before + 1);
    EXPECT_EQ(screen.commands.back().code, kListLongPress);
    EXPECT_EQ(screen.commands.back().lParam, PackPoint(50, 60));
    Pen(WM_LBUTTONUP, 50, 60);
    EXPECT_EQ(screen.commands.back().code, kListPenLifted);
}

TEST_F(ListBoxTest, FullListRefusesRows) {
    list.SetCapacity(2);
    EXPECT_EQ(list.AddRow("a", 1, 0), 1);
    EXPECT_EQ(list.AddRow("b", 2, 0), 1);
    EXPECT_EQ(list.AddRow("c", 3, 0), 0);
    EXPECT_EQ(list.RowCount(), 2);
    EXPECT_STREQ(list.GetColumnText(1, 0), "b");
}

TEST_F(ListBoxTest, ColumnTextsAreCutToTheirBuffer) {
    list.SetCapacity(4);
    list.AddRow("Delay|120|x", 0, 0);
    list.AddRow(std::string(300, 'w').c_str(), 0, 0);
    EXPECT_STREQ(list.GetColumnText(0, 0), "Delay");
    EXPECT_STREQ(list.GetColumnText(0, 1), "120");
    EXPECT_STREQ(list.GetColumnText(0, 2), "x");
    EXPECT_STREQ(list.GetColumnText(0, 3), "");
    EXPECT_EQ(std::string(list.GetColumnText(1, 0)), std::string(127, 'w'));
    EXPECT_STREQ(list.GetColumnText(7, 0), "");  // no such row
    EXPECT_EQ(list.GetSelection(), 0);
    list.Clear();
    EXPECT_EQ(list.GetSelection(), -1);
}

TEST_F(ListBoxTest, RemovingRowsKeepsTheSelectionIndex) {
    list.SetSelection(8);
    list.RemoveRow(8);
    EXPECT_EQ(list.GetSelection(), 7);
    EXPECT_EQ(list.RowCount(), 8);
    list.SetSelection(3);
    list.RemoveRow(0);
    EXPECT_EQ(list.GetSelection(), 3);
    EXPECT_STREQ(list.GetColumnText(3, 0), "row 4");
    list.RemoveRow(-1);
    list.RemoveRow(100);
    EXPECT_EQ(list.RowCount(), 7);
}

TEST_F(ListBoxTest, SortPutsDotsThenFoldersFirst) {
    list.SetCapacity(8);
    for (const char* t : {"b", "A", "..", "c"}) list.AddRow(t, 0, 0);
    list.AddRow("z", 0, kRowFolder);
    list.Sort(0, 1);
    std::vector<std::string> order;
    for (int i = 0; i < list.RowCount(); ++i) order.push_back(list.GetColumnText(i, 0));
    EXPECT_EQ(order, (std::vector<std::string>{"..", "z", "A", "b", "c"}));
    list.Sort(0, -1);
    order.clear();
    for (int i = 0; i < list.RowCount(); ++i) order.push_back(list.GetColumnText(i, 0));
    EXPECT_EQ(order, (std::vector<std::string>{"..", "z", "c", "b", "A"}));
}

TEST_F(ListBoxTest, KeysMoveTheCursorAndScrollAtTheEdges) {
    desktop.SetFocus(nullptr);
    list.SetFlags(kVisible | kCanFocus);
    desktop.SetFocus(&list);
    desktop.HandleMessage(WM_KEYDOWN, VK_UP, 0);  // at the top already
    EXPECT_TRUE(screen.commands.empty());
    for (int i = 0; i < 4; ++i) desktop.HandleMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.GetSelection(), 4);
    EXPECT_EQ(list.topRow, 1);
    EXPECT_EQ(list.cursorRow, 3);
    EXPECT_EQ(screen.commands.size(), 4u);
    for (int i = 0; i < 10; ++i) desktop.HandleMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.GetSelection(), 8);
    EXPECT_EQ(list.topRow, 5);
    EXPECT_EQ(screen.commands.size(), 8u);  // nothing at the end
    desktop.HandleMessage(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(screen.commands.size(), 8u);
    EXPECT_EQ(list.scrollBar.GetPosition(), 5);
}

TEST_F(ListBoxTest, ScrollBarMovesTheWindowAndKeepsTheSelectedRow) {
    list.SetSelection(1);
    list.scrollBar.SetPosition(4);
    list.HandleMessage(WM_COMMAND, MakeCommand(1, kScrollPageForward), 4);
    EXPECT_EQ(list.topRow, 4);
    EXPECT_EQ(list.cursorRow, -3);
    EXPECT_EQ(list.GetSelection(), 1);
    // Out of the window, a key only brings the selection back.
    list.HandleMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.GetSelection(), 1);
    EXPECT_EQ(list.topRow, 1);
    EXPECT_EQ(list.cursorRow, 0);
    EXPECT_TRUE(screen.commands.empty());
}

// One notch of the wheel at (x, y): +1 away from the user (up), -1 toward.
int Wheel(testing::DesktopFixture& fx, int notches, int32_t x, int32_t y) {
    const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelNotch));
    return fx.desktop.HandleMessage(WM_MOUSEWHEEL, static_cast<uintptr_t>(delta) << 16,
                                    PackPoint(x, y));
}

TEST_F(ListBoxTest, TheWheelScrollsThreeRowsANotchAndKeepsTheSelection) {
    list.SetSelection(1);
    EXPECT_EQ(Wheel(*this, -1, 40, 60), 1);  // toward the user: down
    EXPECT_EQ(list.topRow, 3);
    EXPECT_EQ(list.GetSelection(), 1);
    EXPECT_EQ(list.scrollBar.GetPosition(), 3);
    // Over the list's own scroll bar it is still the list that scrolls, and
    // the window stops at the last full page (rows 5-8).
    EXPECT_EQ(Wheel(*this, -1, 20 + 120 - 5, 60), 1);
    EXPECT_EQ(list.topRow, 5);
    EXPECT_EQ(Wheel(*this, +2, 40, 60), 1);
    EXPECT_EQ(list.topRow, 0);
    EXPECT_EQ(list.GetSelection(), 1);
    EXPECT_EQ(list.cursorRow, 1);
    // Scrolling tells the owner nothing, as the scroll bar does not.
    EXPECT_TRUE(screen.commands.empty());
}

TEST_F(ListBoxTest, TheWheelReachesOnlyTheListUnderThePointer) {
    ListBox other;
    other.SetFont(font.get());
    other.SetBounds(150, 40, 80, other.SetRowHeightFor(4));
    other.SetCapacity(16);
    for (int i = 0; i < 9; ++i) other.AddRow("x", i, 0);
    other.Refresh();
    screen.AddChild(&other);
    Wheel(*this, -1, 170, 60);
    EXPECT_EQ(other.topRow, 3);
    EXPECT_EQ(list.topRow, 0);
    // Over no list nothing scrolls and nobody takes the wheel.
    EXPECT_EQ(Wheel(*this, -1, 200, 300), 0);
    EXPECT_EQ(other.topRow, 3);
    EXPECT_EQ(list.topRow, 0);
}

TEST_F(ListBoxTest, TheSelectedLastRowLeavesTheBottomLineOfTheFrame) {
    list.SetSelection(3);  // the last visible row: local y 40..52
    Paint();
    const int32_t bottom = 40 + list.height - 1;
    EXPECT_EQ(Pixel(100, bottom - 1), 0x3358);
    EXPECT_EQ(Pixel(100, bottom), 0x0000);
    EXPECT_EQ(Pixel(60, bottom), 0x0000);
}

TEST_F(ListBoxTest, TextTooLongForItsRoomEndsInAnEllipsisBeforeTheScrollBar) {
    // One column of 119 pixels, but the scroll bar takes the last 14: the
    // room is 106 - 1 - 3 - 3 = 99: 16 characters of 6, the last three dots.
    PaintOneSelectedRow("abcdefghijklmnopqrstuvwxyz");
    EXPECT_LE(Pixel(24, 42), 0x0020);
    EXPECT_LE(Pixel(24 + 16 * 6 - 1, 42), 0x0020);
    EXPECT_EQ(Pixel(24 + 16 * 6, 42), 0xFFFF);
    EXPECT_EQ(Pixel(20 + 106 - 2, 42), 0xFFFF);
}

TEST_F(ListBoxTest, PaintsFrameSelectionBarAndRows) {
    list.SetSelection(1);
    Paint();
    // List at (20, 40), 120 x 54; content width 120 - 14.
    EXPECT_EQ(Pixel(20, 40), 0x0000);            // border
    EXPECT_EQ(Pixel(100, 45), 0xFFFF);           // background of row 0, right of its text
    EXPECT_EQ(Pixel(100, 40 + 13 + 5), 0x3358);  // the selection band of row 1
    EXPECT_EQ(Pixel(21, 40 + 13 + 1), 0x3358);
    // Row 0's text "row 0" from x = 20 + 1 + 3, y = 40 + 1 + (13 - 10) / 2.
    EXPECT_LE(Pixel(24, 42), 0x0020);  // black tinted over white keeps 1/32 of it
    EXPECT_EQ(Pixel(23, 42), 0xFFFF);
    EXPECT_EQ(Pixel(24 + 30, 42), 0xFFFF);      // 5 characters of 6 pixels end at 53
    EXPECT_NE(Pixel(24, 40 + 13 + 2), 0x3358);  // row 1's text in the selected colour
}

TEST_F(ListBoxTest, CachedListBlitsItsPictureUntilSomethingChanges) {
    list.SetStyle(kListCached);
    list.SetFont(font.get());
    list.Refresh();
    Paint();
    EXPECT_FALSE(list.style & kListDirty);
    list.backgroundColour = 0x07E0;  // not a change the list knows of
    Paint();
    EXPECT_EQ(Pixel(100, 71), 0xFFFF);  // row 2
    list.MarkDirty();
    Paint();
    EXPECT_EQ(Pixel(100, 71), 0x07E0);
}

TEST_F(ListBoxTest, RightAlignedColumnsEndBeforeTheirEdge) {
    const uint32_t widths[2] = {60, 0x10032};  // 60 left, 50 right-aligned
    ASSERT_EQ(list.SetColumns(2, widths), 1);
    uint32_t six[6] = {};
    EXPECT_EQ(list.SetColumns(6, six), 0);
    PaintOneSelectedRow("ab|cd");
    // Column 1 spans local 61..111, capped at the content width 106; its
    // text ends 3 before that: x 91..102.
    EXPECT_LE(Pixel(20 + 91, 42), 0x0020);
    EXPECT_LE(Pixel(20 + 102, 42), 0x0020);
    EXPECT_EQ(Pixel(20 + 103, 42), 0xFFFF);
    EXPECT_EQ(Pixel(20 + 90, 42), 0xFFFF);
}

int callbackCalls = 0;
void PictureFor(const SpriteSheet**, int32_t* index, const char* column0, uint32_t attributes) {
    ++callbackCalls;
    *index = (attributes & kRowFolder) ? 0 : (column0[0] == 'b' ? 1 : 0);
}

TEST_F(ListBoxTest, PicturesComeFromTheDataWordOrTheCallback) {
    std::unique_ptr<Surface> icons(CreateSurface(32, 16));
    FillRect(icons.get(), 0, 0, 15, 15, 0x001F, 0);
    FillRect(icons.get(), 16, 0, 31, 15, 0xF800, 0);
    SpriteSheet sheet;
    sheet.Init(icons.get(), 2, 1, 0xF81F);
    list.SetStyle(kListPictures);
    EXPECT_EQ(list.rowHeight, 17);
    list.pictures = &sheet;
    list.SetCapacity(4);
    list.AddRow("a", 1, 0);
    list.AddRow("b", 0, 0);
    list.SetBounds(20, 40, 120, list.SetRowHeightFor(2));
    list.Refresh();
    list.SetSelection(1);
    Paint();
    EXPECT_EQ(Pixel(22 + 8, 40 + 2 + 8), 0xF800);       // row 0: picture 1 from its data
    EXPECT_EQ(Pixel(22 + 8, 40 + 17 + 2 + 8), 0x001F);  // row 1: picture 0
    list.pictureCallback = &PictureFor;
    list.MarkDirty();
    Paint();
    EXPECT_EQ(callbackCalls, 2);
    EXPECT_EQ(Pixel(22 + 8, 40 + 2 + 8), 0x001F);
    EXPECT_EQ(Pixel(22 + 8, 40 + 17 + 2 + 8), 0xF800);
}

}  // namespace
}  // namespace ampliro
