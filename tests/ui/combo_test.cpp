#include "ui/combo.h"

#include <gtest/gtest.h>

#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::CommandSink;
using testing::DesktopFixture;
using testing::RecordingWidget;

class ComboTest : public ::testing::Test, public DesktopFixture {
  protected:
    ComboTest() : font(testing::MakeBlockFont()) {
        screen.SetBounds(0, 0, 240, 320);
        desktop.AddChild(&screen);
        const uint32_t widths[1] = {100};
        combo.Init(20, 30, 120, 4, 8, font.get(), nullptr, widths, 1);
        combo.id = 6;
        for (const char* rate : {"11025", "22050", "32000", "44100", "48000", "96000"})
            combo.list.AddRow(rate, 0, 0);
        combo.list.SetSelection(3);
        combo.list.Refresh();
        screen.AddChild(&combo);
        below.SetBounds(20, 60, 200, 60);
        below.fill = true;
        below.colour = 0x07E0;
        screen.AddChild(&below);
    }
    std::unique_ptr<BitmapFont> font;
    CommandSink screen;
    Combo combo;
    RecordingWidget below;
};

TEST_F(ComboTest, InitLaysOutTheClosedBoxAndTheHiddenList) {
    EXPECT_EQ(combo.height, 14);  // font height + 4
    EXPECT_EQ(combo.ClosedHeight(), 14);
    EXPECT_EQ(combo.list.rowHeight, 13);
    EXPECT_EQ(combo.list.y, 14);
    EXPECT_EQ(combo.list.height, 4 * 13 + 2);
    EXPECT_EQ(combo.list.flags, 0);
    EXPECT_EQ(combo.dropButton.left, 120 - 14);
    EXPECT_EQ(combo.list.style & kListCached, kListCached);
}

TEST_F(ComboTest, OpensOnTouchHoldingCapturePopupAndFocus) {
    Pen(WM_LBUTTONDOWN, 40, 35);
    Pen(WM_LBUTTONUP, 40, 35);
    ASSERT_TRUE(combo.IsOpen());
    EXPECT_EQ(combo.height, 14 + 54);
    EXPECT_EQ(desktop.capture, &combo);
    EXPECT_EQ(desktop.popup, &combo);
    EXPECT_EQ(desktop.focus, &combo.list);
    EXPECT_TRUE(combo.list.flags & kVisible);
    // A tap outside reaches the combo, which closes; the widget under it
    // sees nothing.
    Pen(WM_LBUTTONDOWN, 200, 200);
    EXPECT_FALSE(combo.IsOpen());
    EXPECT_EQ(combo.height, 14);
    EXPECT_EQ(desktop.capture, nullptr);
    EXPECT_EQ(desktop.popup, nullptr);
    EXPECT_EQ(desktop.focus, nullptr);
    EXPECT_EQ(combo.list.flags, 0);
    Pen(WM_LBUTTONDOWN, 100, 100);
    EXPECT_EQ(below.Count(WM_LBUTTONDOWN), 1);  // closed: the pen goes where it falls
}

TEST_F(ComboTest, PickingARowReportsAndCloses) {
    Pen(WM_LBUTTONDOWN, 40, 35);
    Pen(WM_LBUTTONUP, 40, 35);
    // The window shows rows 2..5 with 44100 on cursor row 1; tap row 0 at
    // y = 30 + 14 + 1 + 5.
    Pen(WM_LBUTTONDOWN, 40, 50);
    ASSERT_EQ(screen.commands.size(), 1u);
    EXPECT_EQ(screen.commands[0].id, 6);
    EXPECT_EQ(screen.commands[0].code, kListSelectionChanged);
    EXPECT_EQ(screen.commands[0].lParam, reinterpret_cast<uintptr_t>(&combo));
    EXPECT_EQ(combo.list.GetSelection(), 2);
    EXPECT_TRUE(combo.IsOpen());
    Pen(WM_LBUTTONUP, 40, 50);
    EXPECT_FALSE(combo.IsOpen());
    EXPECT_EQ(desktop.capture, nullptr);
    EXPECT_EQ(below.Count(WM_LBUTTONDOWN), 0);
}

TEST_F(ComboTest, ReleaseOutsideClosesAndKeysMoveTheOpenList) {
    Pen(WM_LBUTTONDOWN, 40, 35);
    desktop.HandleMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo.list.GetSelection(), 4);
    EXPECT_EQ(combo.list.topRow, 2);
    EXPECT_EQ(screen.commands.size(), 1u);
    Pen(WM_LBUTTONUP, 230, 300);
    EXPECT_FALSE(combo.IsOpen());
}

TEST_F(ComboTest, TheOpenListPaintsOverLaterWidgets) {
    combo.SetColours(0x0000, 0xFFFF, 0x0000, 0x8410);
    EXPECT_EQ(combo.list.scrollBar.thumbDraggedColour, 0x630C);  // 3/4 of each channel
    Paint();
    EXPECT_EQ(Pixel(30, 80), 0x07E0);
    EXPECT_EQ(Pixel(20, 30), 0x0000);   // the frame
    EXPECT_EQ(Pixel(80, 33), 0xFFFF);   // the text area beyond the choice
    EXPECT_LE(Pixel(24, 33), 0x0020);   // "44100" from x = 24
    EXPECT_EQ(Pixel(133, 37), 0x0000);  // the triangle's top edge in the button
    combo.Open();
    Paint();
    EXPECT_NE(Pixel(30, 80), 0x07E0);   // the list covers the widget below
    EXPECT_EQ(Pixel(20, 44), 0x0000);   // the list's frame
    EXPECT_EQ(Pixel(134, 38), 0x0000);  // the triangle moved one down and right
}

TEST_F(ComboTest, TheWheelScrollsTheOpenListNotTheWidgetUnderIt) {
    combo.list.SetSelection(0);
    combo.Open();
    ASSERT_EQ(combo.list.topRow, 0);
    // One notch toward the user over the open list (rows from y = 45, over
    // the widget below): three rows down, stopped at the last page (2-5).
    const auto down = static_cast<uint16_t>(static_cast<int16_t>(-kWheelNotch));
    EXPECT_EQ(
        desktop.HandleMessage(WM_MOUSEWHEEL, static_cast<uintptr_t>(down) << 16, PackPoint(60, 70)),
        1);
    EXPECT_EQ(combo.list.topRow, 2);
    EXPECT_EQ(combo.list.GetSelection(), 0);
    EXPECT_EQ(below.Count(WM_MOUSEWHEEL), 0);
    EXPECT_TRUE(combo.IsOpen());
}

}  // namespace
}  // namespace ampliro
