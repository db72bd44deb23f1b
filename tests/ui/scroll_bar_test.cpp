#include "ui/scroll_bar.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui/sprite_sheet.h"
#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::CommandSink;
using testing::DesktopFixture;

class ScrollBarTest : public ::testing::Test, public DesktopFixture {
  protected:
    ScrollBarTest() {
        screen.SetBounds(0, 0, 240, 320);
        desktop.AddChild(&screen);
        bar.SetStyle(kScrollHorizontal);
        bar.SetBounds(20, 100, 100, 14);
        bar.id = 4;
        screen.AddChild(&bar);
    }
    int Local(uint32_t message, int32_t x, int32_t y) {
        return bar.HandleMessage(message, 0, PackPoint(x, y));
    }
    CommandSink screen;
    ScrollBar bar;
};

TEST_F(ScrollBarTest, RangeForAWindowOfRows) {
    bar.SetScrollRange(0, 9, 4);
    EXPECT_EQ(bar.minimum, 0);
    EXPECT_EQ(bar.maximum, 5);
    EXPECT_EQ(bar.pageStep, 4);
    EXPECT_FLOAT_EQ(bar.pageSize, 20.0f / 9.0f);  // thumb share 4 / 9 of the track
    bar.Layout();
    // Track 98 pixels from x = 1; thumb 98 * (20 / 9) / 5 = 43.
    EXPECT_EQ(bar.thumb.right - bar.thumb.left + 1, 43);
    EXPECT_EQ(bar.span, 55);
}

TEST_F(ScrollBarTest, FewerRowsThanTheWindowGiveAFullLengthThumb) {
    bar.SetPosition(50);
    bar.SetScrollRange(0, 5, 9);
    EXPECT_EQ(bar.minimum, 0);
    EXPECT_EQ(bar.maximum, 0);
    EXPECT_EQ(bar.pageStep, 0);
    EXPECT_FLOAT_EQ(bar.pageSize, 1.0f);
    EXPECT_EQ(bar.GetPosition(), 0);
    bar.Layout();
    EXPECT_EQ(bar.thumb.left, 1);
    EXPECT_EQ(bar.thumb.right, 98);
    EXPECT_EQ(bar.span, 0);
}

TEST_F(ScrollBarTest, EmptyRangeWithANegativeWindowDividesByNothing) {
    bar.SetScrollRange(0, 0, -1);
    EXPECT_EQ(bar.maximum, 0);
    EXPECT_FLOAT_EQ(bar.pageSize, 1.0f);
    bar.SetScrollRange(3, 10, -5);
    EXPECT_EQ(bar.maximum, 10);
    bar.Layout();
    EXPECT_EQ(bar.thumb.right - bar.thumb.left + 1, 12);  // the minimum thumb
}

TEST_F(ScrollBarTest, DraggingBeyondTheEndStopsAtTheMaximumAndReleaseCommits) {
    // Range 0..100, page size 50: thumb 49 on a 98 track, span 49.
    EXPECT_EQ(Local(WM_LBUTTONDOWN, 10, 5), 1);
    EXPECT_TRUE(bar.style & kScrollDragging);
    EXPECT_EQ(desktop.capture, &bar);
    Pen(WM_MOUSEMOVE, 20 + 10 + 49, 105);  // d = span: the whole range
    EXPECT_EQ(bar.GetPosition(), 100);
    EXPECT_EQ(bar.position, 0);
    Pen(WM_MOUSEMOVE, 300, 105);
    EXPECT_EQ(bar.GetPosition(), 100);
    ASSERT_EQ(screen.commands.size(), 1u);  // reported once, when it changed
    EXPECT_EQ(screen.commands[0].code, kScrollDragged);
    EXPECT_EQ(screen.commands[0].lParam, 100u);
    Pen(WM_LBUTTONUP, 300, 105);
    EXPECT_EQ(bar.position, 100);
    EXPECT_EQ(bar.dragOffset, 0);
    EXPECT_EQ(desktop.capture, nullptr);
    EXPECT_EQ(screen.commands.back().code, kScrollReleased);
    EXPECT_EQ(screen.commands.back().lParam, 100u);
}

TEST_F(ScrollBarTest, DragLeftOfTheBarCountsAsZero) {
    bar.SetPosition(60);
    bar.Layout();
    const int32_t grab = bar.thumb.left + 2;
    Local(WM_LBUTTONDOWN, grab, 5);
    Pen(WM_MOUSEMOVE, 0, 105);  // local x = -20, above 0x8000: read as 0
    // new = 100 * (0 - grab) / 49 + 60 + 0.5
    const int32_t expected =
        static_cast<int32_t>(100.0f * static_cast<float>(-grab) / 49.0f + 60.5f);
    EXPECT_EQ(bar.GetPosition(), std::max(0, expected));
    Pen(WM_LBUTTONUP, 0, 105);
}

TEST_F(ScrollBarTest, PageTapsStepByThePageWithoutTakingTheCapture) {
    bar.SetScrollRange(0, 20, 4);  // 0..16, page 4
    CommandSink holder;
    desktop.SetCapture(&holder);
    bar.Layout();
    Local(WM_LBUTTONDOWN, 90, 5);
    EXPECT_EQ(bar.GetPosition(), 4);
    EXPECT_EQ(screen.commands.back().code, kScrollPageForward);
    Local(WM_LBUTTONUP, 90, 5);
    EXPECT_EQ(desktop.capture, &holder);  // the open combo keeps its capture
    bar.Layout();
    Local(WM_LBUTTONDOWN, 1, 5);
    EXPECT_EQ(bar.GetPosition(), 0);
    EXPECT_EQ(screen.commands[screen.commands.size() - 1].code, kScrollPageBack);
    Local(WM_LBUTTONDOWN, 1, 5);  // clamped, still reported
    EXPECT_EQ(bar.GetPosition(), 0);
    EXPECT_EQ(screen.commands.back().code, kScrollPageBack);
}

TEST_F(ScrollBarTest, ArrowsStepByOneAndAlwaysReport) {
    std::unique_ptr<Surface> arrows(CreateSurface(24, 24));
    Clear(arrows.get(), 0x07E0);
    SpriteSheet sheet;
    sheet.Init(arrows.get(), 2, 2, 0xF81F);
    bar.SetArrowSheet(&sheet);
    EXPECT_EQ(bar.thickness, 12);
    EXPECT_EQ(bar.arrowForward.x, 100 - 12 + 1);
    EXPECT_TRUE(bar.arrowBack.flags & kVisible);
    bar.SetScrollRange(0, 5, 2);        // 0..3
    Pen(WM_LBUTTONDOWN, 20 + 95, 105);  // the forward arrow
    Pen(WM_LBUTTONUP, 20 + 95, 105);
    EXPECT_EQ(bar.GetPosition(), 1);
    EXPECT_EQ(screen.commands.back().code, kScrollArrowForward);
    for (int i = 0; i < 4; ++i) bar.HandleMessage(WM_COMMAND, MakeCommand(2, 0), 0);
    EXPECT_EQ(bar.GetPosition(), 3);
    EXPECT_EQ(screen.commands.size(), 5u);
    bar.HandleMessage(WM_COMMAND, MakeCommand(1, 0), 0);
    EXPECT_EQ(bar.GetPosition(), 2);
    EXPECT_EQ(screen.commands.back().code, kScrollArrowBack);
    // Held arrows repeat through the capture.
    Pen(WM_LBUTTONDOWN, 20 + 5, 105);
    desktop.HandleMessage(WM_TIMER, kRepeatTimerId, 0);
    desktop.HandleMessage(WM_TIMER, kRepeatTimerId, 0);
    Pen(WM_LBUTTONUP, 20 + 5, 105);
    EXPECT_EQ(bar.GetPosition(), 0);
}

TEST_F(ScrollBarTest, ClassicPaintDrawsTrackAndRaisedThumb) {
    bar.SetPosition(0);
    Paint();
    // Track frame from x = 20 to 119, thumb at local 1..49 across 1..12.
    EXPECT_EQ(Pixel(20, 100), 0x0000);
    EXPECT_EQ(Pixel(21, 101), 0xFFFF);  // lit top-left corner of the thumb
    EXPECT_EQ(Pixel(40, 106), 0xBE7F);  // thumb face
    EXPECT_EQ(Pixel(40, 112), 0x6218);  // shadow along the bottom
    bar.style |= kScrollDragging;
    Paint();
    EXPECT_EQ(Pixel(40, 106), 0x6418);
    EXPECT_EQ(Pixel(21, 101), 0x6218);  // sunken
}

TEST_F(ScrollBarTest, SliderWithPictureTicksAndValueCaption) {
    std::unique_ptr<Surface> picture(CreateSurface(8, 14));
    Clear(picture.get(), 0xF800);
    SpriteSheet thumb;
    thumb.Init(picture.get(), 1, 1, 0xF81F);
    bar.SetThumbSheet(&thumb);
    bar.SetStyle(kScrollHorizontal | kScrollTicksBefore | kScrollValueCaption);
    bar.SetBounds(20, 100, 100, 14);
    bar.SetPosition(100);
    Paint();
    // Track 98 from x = 1, thumb 8: span 90, offset 90: the thumb at local 91..98.
    EXPECT_EQ(Pixel(20 + 91, 100), 0xF800);
    EXPECT_EQ(Pixel(20 + 98, 113), 0xF800);
    EXPECT_EQ(Pixel(20 + 50, 106), 0xC618);  // the track's three lines
    EXPECT_EQ(Pixel(20 + 50, 107), 0x0000);
    EXPECT_EQ(Pixel(20 + 50, 108), 0x8410);
    EXPECT_STREQ(bar.caption, "100");
    bar.tickCount = 1;  // one tick: no division by zero
    Paint();
    bar.tickCount = 0;
    Paint();
    EXPECT_FALSE(bar.arrowBack.flags & kVisible);
}

}  // namespace
}  // namespace ampliro
