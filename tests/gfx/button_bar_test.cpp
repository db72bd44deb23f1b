#include "gfx/button_bar.h"

#include "tests/gfx/dialog_test_support.h"

namespace ampliro {
namespace {

class ButtonBarTest : public DialogTest {
  protected:
    // Four buttons side by side, 20 wide: A, hidden B, disabled C, D.
    void Build(uint32_t barFlags) {
        ResetBar(&bar);
        SetBarFlags(&bar, barFlags);
        AddButton(&bar, 11, "A", 0, 0, 20, 20, kBarButtonFocused);
        AddButton(&bar, 12, "B", 20, 0, 20, 20, kBarButtonHidden);
        AddButton(&bar, 13, "C", 40, 0, 20, 20, kBarButtonDisabled);
        AddButton(&bar, 14, "D", 60, 0, 20, 20, 0);
    }
    int32_t KeyUp(uint32_t key) { return BarInput(&bar, WM_KEYUP, key, 0); }
    int32_t Pen(uint32_t message, int32_t x, int32_t y) {
        return BarInput(&bar, message, 0, PackPoint(x, y));
    }
    ButtonBar bar;
};

TEST_F(ButtonBarTest, ArrowsSkipHiddenAndDisabledButtonsAndWrap) {
    Build(0);
    EXPECT_EQ(FocusedButton(&bar), 1);
    EXPECT_EQ(KeyUp(VK_RIGHT), 0);
    EXPECT_EQ(FocusedButton(&bar), 4);
    EXPECT_EQ(KeyUp(VK_DOWN), 0);  // wraps to the first
    EXPECT_EQ(FocusedButton(&bar), 1);
    EXPECT_EQ(KeyUp(VK_UP), 0);
    EXPECT_EQ(FocusedButton(&bar), 4);
    EXPECT_EQ(KeyUp(VK_LEFT), 0);
    EXPECT_EQ(FocusedButton(&bar), 1);

    // Enter chooses the focused button; down and up make it pressed and not.
    EXPECT_EQ(BarInput(&bar, WM_KEYDOWN, VK_RETURN, 0), 0);
    EXPECT_TRUE(bar.buttons[0].flags & kBarButtonPressed);
    EXPECT_EQ(KeyUp(VK_RETURN), 11);
    EXPECT_FALSE(bar.buttons[0].flags & kBarButtonPressed);
    EXPECT_EQ(KeyUp('X'), 0);
}

TEST_F(ButtonBarTest, NoWrapReportsTheEndsAndKeepsTheFocus) {
    Build(kBarNoWrap);
    bar.buttons[3].flags |= kBarButtonNoFocus;
    AddButton(&bar, 15, "E", 80, 0, 20, 20, 0);
    EXPECT_EQ(KeyUp(VK_UP), kBarArrowUp);
    EXPECT_EQ(FocusedButton(&bar), 1);
    EXPECT_EQ(KeyUp(VK_DOWN), 0);  // past B, C and the not-focusable D
    EXPECT_EQ(FocusedButton(&bar), 5);
    EXPECT_EQ(KeyUp(VK_DOWN), kBarArrowDown);
    EXPECT_EQ(FocusedButton(&bar), 5);

    SetBarFlags(&bar, kBarNoKeys);
    EXPECT_EQ(KeyUp(VK_UP), 0);
    EXPECT_EQ(FocusedButton(&bar), 5);
}

TEST_F(ButtonBarTest, PressSlideOffAndBackOn) {
    Build(0);
    EXPECT_EQ(Pen(WM_LBUTTONDOWN, 65, 5), 0);
    EXPECT_EQ(FocusedButton(&bar), 4);
    EXPECT_TRUE(bar.buttons[3].flags & kBarButtonPressed);
    Pen(WM_MOUSEMOVE, 100, 5);
    EXPECT_FALSE(bar.buttons[3].flags & kBarButtonPressed);
    EXPECT_EQ(Pen(WM_LBUTTONUP, 100, 5), 0);  // lifted off: nothing

    Pen(WM_LBUTTONDOWN, 65, 5);
    Pen(WM_MOUSEMOVE, 100, 5);
    Pen(WM_MOUSEMOVE, 79, 19);  // right and bottom edges are outside, 79/19 inside
    EXPECT_TRUE(bar.buttons[3].flags & kBarButtonPressed);
    EXPECT_EQ(Pen(WM_LBUTTONUP, 79, 19), 14);
    EXPECT_EQ(bar.pressed, 0);

    // The disabled and the hidden button cannot be pressed.
    EXPECT_EQ(Pen(WM_LBUTTONDOWN, 45, 5), 0);
    EXPECT_EQ(bar.pressed, 0);
    EXPECT_EQ(Pen(WM_LBUTTONDOWN, 25, 5), 0);
    EXPECT_EQ(Pen(WM_LBUTTONUP, 25, 5), 0);
}

TEST_F(ButtonBarTest, FindEnableAndTheSixtyFifthButton) {
    Build(0);
    EXPECT_EQ(FindButton(&bar, 13), 3);
    EXPECT_EQ(FindButton(&bar, 99), 0);
    EXPECT_EQ(EnableButton(&bar, 13, 1), 3);
    EXPECT_FALSE(bar.buttons[2].flags & kBarButtonDisabled);
    EXPECT_EQ(EnableButton(&bar, 99, 1), 0);
    for (int i = 4; i < kMaxBarButtons; ++i) EXPECT_EQ(AddButton(&bar, i, "", 0, 0, 1, 1, 0), 1);
    EXPECT_EQ(AddButton(&bar, 100, "", 0, 0, 1, 1, 0), 0);
    EXPECT_EQ(bar.count, kMaxBarButtons);
}

TEST_F(ButtonBarTest, DrawsFaceFrameAndBevel) {
    Build(0);
    ASSERT_TRUE(display.BeginScene());
    Surface* s = display.GetBackBuffer();
    DrawBar(&bar, s);
    EXPECT_EQ(GetPixel(s, 0, 0), 0xF800);         // focused frame
    EXPECT_EQ(GetPixel(s, 60, 0), 0x0000);        // frame
    EXPECT_EQ(GetPixel(s, 65, 1), 0xFFFF);        // bevel light: top
    EXPECT_EQ(GetPixel(s, 61, 9), 0xFFFF);        // and left
    EXPECT_EQ(GetPixel(s, 78, 9), 0x630C);        // mid shade: right
    EXPECT_EQ(GetPixel(s, 75, 19), 0x4208);       // bevel dark: bottom
    EXPECT_EQ(GetPixel(s, 63, 3), 0xC618);        // face
    EXPECT_EQ(GetPixel(s, 30, 10), kBackground);  // hidden
    display.Present(0);
}

TEST_F(ButtonBarTest, RunModalReturnsTheChoiceAndShowsTheBarOverTheScreen) {
    Build(0);
    uint16_t during = 0;
    PostProbe([&] { during = Shown(0, 0); });
    Tap(65, 5);
    EXPECT_EQ(RunModal(&bar, &display), 14);
    EXPECT_EQ(during, 0xF800);
}

TEST_F(ButtonBarTest, QuitEndsTheModalLoopAndIsPostedAgain) {
    Build(0);
    PostQuitMessage(0);
    EXPECT_EQ(RunModal(&bar, &display), kBarQuit);
    Message msg;
    ASSERT_TRUE(PeekMessage(&msg, true));
    EXPECT_EQ(msg.message, WM_QUIT);
}

}  // namespace
}  // namespace ampliro
