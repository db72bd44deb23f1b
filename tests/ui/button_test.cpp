#include "ui/button.h"

#include <gtest/gtest.h>

#include "ui/sprite_sheet.h"
#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::CommandSink;
using testing::DesktopFixture;

class ButtonTest : public ::testing::Test, public DesktopFixture {
  protected:
    ButtonTest() {
        screen.SetBounds(0, 0, 240, 320);
        desktop.AddChild(&screen);
        button.SetBounds(20, 30, 40, 20);
        button.id = 7;
        screen.AddChild(&button);
    }
    CommandSink screen;
    Button button;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicks) {
    EXPECT_EQ(Pen(WM_LBUTTONDOWN, 30, 40), 1);
    EXPECT_EQ(desktop.capture, &button);
    EXPECT_TRUE(button.HasStyle(kButtonPressed | kButtonPenInside));
    EXPECT_TRUE(button.ShowsPressed());
    Pen(WM_LBUTTONUP, 30, 40);
    ASSERT_EQ(screen.commands.size(), 1u);
    EXPECT_EQ(screen.commands[0].id, 7);
    EXPECT_EQ(screen.commands[0].code, kNotifyClick);
    EXPECT_EQ(screen.commands[0].lParam, reinterpret_cast<uintptr_t>(&button));
    EXPECT_EQ(desktop.capture, nullptr);
    EXPECT_FALSE(button.ShowsPressed());
}

TEST_F(ButtonTest, DragOutCancelsAndBackInRestores) {
    button.SetStyle(kButtonToggle);
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_MOUSEMOVE, 100, 100);  // outside: reaches the button through the capture
    EXPECT_FALSE(button.ShowsPressed());
    Pen(WM_MOUSEMOVE, 25, 35);
    EXPECT_TRUE(button.ShowsPressed());
    Pen(WM_MOUSEMOVE, 10, 10);  // left of and above: large unsigned coordinates
    Pen(WM_LBUTTONUP, 10, 10);
    EXPECT_TRUE(screen.commands.empty());
    EXPECT_FALSE(button.HasStyle(kButtonOn));
    EXPECT_EQ(button.style, kButtonToggle);
    EXPECT_EQ(desktop.capture, nullptr);
}

TEST_F(ButtonTest, InsideIncludesTheFarEdges) {
    EXPECT_EQ(button.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(40, 20)), 1);
    button.HandleMessage(WM_LBUTTONUP, 0, PackPoint(40, 20));
    EXPECT_EQ(screen.commands.size(), 1u);
    EXPECT_EQ(button.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(-1, 0)), 0);
    EXPECT_EQ(button.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(41, 0)), 0);
}

TEST_F(ButtonTest, ToggleFlipsBeforeTheParentHearsOfIt) {
    button.SetStyle(kButtonToggle);
    bool seenOn = false;
    screen.onCommand = [&] { seenOn = button.HasStyle(kButtonOn); };
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    EXPECT_TRUE(seenOn);
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    EXPECT_FALSE(button.HasStyle(kButtonOn));
    EXPECT_EQ(screen.commands.size(), 2u);
}

TEST_F(ButtonTest, ReleaseWithoutPressNeitherClicksNorDropsAnotherCapture) {
    CommandSink holder;
    desktop.SetCapture(&holder);
    button.HandleMessage(WM_MOUSEMOVE, 0, PackPoint(5, 5));
    button.HandleMessage(WM_LBUTTONUP, 0, PackPoint(5, 5));
    EXPECT_TRUE(screen.commands.empty());
    EXPECT_EQ(desktop.capture, &holder);
}

TEST_F(ButtonTest, NestedCaptureIsHandedBack) {
    CommandSink holder;
    desktop.SetCapture(&holder);
    button.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(5, 5));
    EXPECT_EQ(desktop.capture, &button);
    button.HandleMessage(WM_LBUTTONUP, 0, PackPoint(5, 5));
    EXPECT_EQ(desktop.capture, &holder);
}

TEST(ButtonRadioTest, ClickSelectsWithinItsGroupOnly) {
    DesktopFixture f;
    CommandSink screen;
    screen.SetBounds(0, 0, 240, 320);
    f.desktop.AddChild(&screen);
    Button group1[3], group2[2];
    int32_t left = 10;
    uint16_t nextId = 1;
    for (Button* g : {&group1[0], &group1[1], &group1[2], &group2[0], &group2[1]}) {
        g->SetBounds(left, 10, 20, 20);
        g->SetStyle(kButtonRadio);
        g->id = nextId++;
        left += 30;
        screen.AddChild(g);
    }
    group1[0].AddStyle(kButtonGroupStart);
    group2[0].AddStyle(kButtonGroupStart | kButtonOn);
    group1[0].AddStyle(kButtonOn);

    f.Pen(WM_LBUTTONDOWN, 45, 20);  // group1[1]
    f.Pen(WM_LBUTTONUP, 45, 20);
    EXPECT_FALSE(group1[0].HasStyle(kButtonOn));
    EXPECT_TRUE(group1[1].HasStyle(kButtonOn));
    EXPECT_FALSE(group1[2].HasStyle(kButtonOn));
    EXPECT_TRUE(group2[0].HasStyle(kButtonOn));  // the next group is untouched

    f.Pen(WM_LBUTTONDOWN, 45, 20);  // clicking the one already on
    f.Pen(WM_LBUTTONUP, 45, 20);
    EXPECT_TRUE(group1[1].HasStyle(kButtonOn));
    EXPECT_EQ(screen.commands.size(), 2u);

    f.Pen(WM_LBUTTONDOWN, 135, 20);  // group2[1]
    f.Pen(WM_LBUTTONUP, 135, 20);
    EXPECT_FALSE(group2[0].HasStyle(kButtonOn));
    EXPECT_TRUE(group2[1].HasStyle(kButtonOn));
    EXPECT_TRUE(group1[1].HasStyle(kButtonOn));
}

TEST_F(ButtonTest, AutoRepeatClicksOncePerTimerWhileHeldAndOnceMoreOnRelease) {
    button.SetStyle(kButtonAutoRepeat);
    Pen(WM_LBUTTONDOWN, 30, 40);
    for (int i = 0; i < 5; ++i) desktop.HandleMessage(WM_TIMER, kRepeatTimerId, 0);
    desktop.HandleMessage(WM_TIMER, 1001, 0);  // someone else's timer
    EXPECT_EQ(screen.commands.size(), 5u);
    Pen(WM_MOUSEMOVE, 200, 200);  // repeats go on wherever the pen is
    desktop.HandleMessage(WM_TIMER, kRepeatTimerId, 0);
    Pen(WM_MOUSEMOVE, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    EXPECT_EQ(screen.commands.size(), 7u);
    // Released: a late tick reaching every widget does not click.
    desktop.HandleMessage(WM_TIMER, kRepeatTimerId, 0);
    EXPECT_EQ(screen.commands.size(), 7u);
}

TEST_F(ButtonTest, InertLampIgnoresThePen) {
    button.SetFlags(kVisible | kDisabled | kShowCaption);
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    EXPECT_TRUE(screen.commands.empty());
    EXPECT_EQ(desktop.capture, nullptr);
}

TEST_F(ButtonTest, FramedBevelRaisedAndPressed) {
    button.SetStyle(kButtonFramed);
    button.faceColour = 0x1234;
    Paint();
    // l = 20, t = 30, r = 60, b = 50
    EXPECT_EQ(Pixel(20, 30), 0x0000);  // border
    EXPECT_EQ(Pixel(60, 50), 0x0000);
    EXPECT_EQ(Pixel(40, 40), 0x1234);  // face
    EXPECT_EQ(Pixel(25, 49), 0x4208);  // line 1
    EXPECT_EQ(Pixel(59, 40), 0x4208);  // line 2
    EXPECT_EQ(Pixel(25, 48), 0x630C);  // line 3
    EXPECT_EQ(Pixel(58, 40), 0x630C);  // line 4
    EXPECT_EQ(Pixel(25, 31), 0xFFFF);  // line 5
    EXPECT_EQ(Pixel(21, 40), 0xFFFF);  // line 6
    EXPECT_FALSE(button.captionPlacement & 0x40);

    button.AddStyle(kButtonOn);
    Paint();
    EXPECT_EQ(Pixel(25, 49), 0xFFFF);
    EXPECT_EQ(Pixel(59, 40), 0xFFFF);
    EXPECT_EQ(Pixel(25, 31), 0x4208);
    EXPECT_EQ(Pixel(21, 40), 0x4208);
    EXPECT_EQ(Pixel(25, 32), 0x8410);
    EXPECT_EQ(Pixel(22, 40), 0x8410);
    EXPECT_TRUE(button.captionPlacement & 0x40);
}

TEST_F(ButtonTest, OutlineFrameRaisedAndPressed) {
    button.SetStyle(kButtonFramed | kButtonOutline);
    button.borderColour = 0xF800;
    Paint();
    EXPECT_EQ(Pixel(30, 29), 0xF800);  // hline (l-1, t-1)
    EXPECT_EQ(Pixel(19, 40), 0xF800);  // vline (l-1, t-1)
    EXPECT_EQ(Pixel(30, 30), 0xC618);  // hline (l, t)
    EXPECT_EQ(Pixel(30, 50), 0x8410);  // hline (l, b)
    EXPECT_EQ(Pixel(61, 40), 0x8410);  // vline (r+1, t)
    EXPECT_EQ(Pixel(30, 49), 0xF800);  // hline (l-1, b-1)
    EXPECT_EQ(Pixel(60, 40), 0xF800);  // vline (r, t-1)
    EXPECT_EQ(Pixel(40, 40), 0x0000);  // no fill

    button.AddStyle(kButtonOn);
    Paint();
    EXPECT_EQ(Pixel(30, 30), 0xF800);
    EXPECT_EQ(Pixel(61, 29), 0x8410);  // vline (r+1, t-1, h+1)
    EXPECT_EQ(Pixel(30, 49), 0x0000);  // no lines 7 and 8
    EXPECT_EQ(Pixel(60, 40), 0x0000);
}

TEST_F(ButtonTest, AnOutlineToggleLightsAGreenLampFaceOnlyWhileOn) {
    button.SetStyle(kButtonFramed | kButtonOutline | kButtonToggle);
    Paint();
    EXPECT_EQ(Pixel(40, 40), 0x0000);  // off: the panel shows through
    EXPECT_EQ(Pixel(21, 31), 0x0000);
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    ASSERT_TRUE(button.HasStyle(kButtonOn));
    Paint();
    EXPECT_EQ(Pixel(40, 40), 0x03A0);  // the lit face
    EXPECT_EQ(Pixel(21, 40), 0x47E8);  // its bright ring, inside the outline
    EXPECT_EQ(Pixel(40, 49), 0x47E8);
    EXPECT_EQ(Pixel(19, 40), 0x0000);  // the outline itself is unchanged
    Pen(WM_LBUTTONDOWN, 30, 40);
    Pen(WM_LBUTTONUP, 30, 40);
    Paint();
    EXPECT_EQ(Pixel(40, 40), 0x0000);

    // A plain button held down is pressed, not lit.
    button.SetStyle(kButtonFramed | kButtonOutline);
    Pen(WM_LBUTTONDOWN, 30, 40);
    Paint();
    EXPECT_EQ(Pixel(40, 40), 0x0000);
    Pen(WM_LBUTTONUP, 30, 40);
}

TEST_F(ButtonTest, AFilledToggleTurnsAmberWithADarkCaptionWhileOn) {
    auto font = testing::MakeBlockFont();
    desktop.SetCaptionFont(font.get());
    button.SetStyle(kButtonFramed | kButtonToggle);
    button.faceColour = 0xC61F;
    button.SetCaption(7, "ab", 0x10);
    button.SetFlags(kVisible | kShowCaption);
    Paint();
    EXPECT_EQ(Pixel(24, 46), 0xC61F);
    EXPECT_EQ(button.captionColour, 0x0000);  // black reads on lavender
    // The block glyphs are 6 x 10 centred: 2 x 6 = 12 wide from x = 34.
    EXPECT_TRUE(testing::Ink(Pixel(35, 36), 0x0000));
    button.AddStyle(kButtonOn);
    Paint();
    EXPECT_EQ(Pixel(24, 46), 0xFE60);
    EXPECT_TRUE(testing::Ink(Pixel(37, 38), 0x0000));  // moved 2 right and down

    // A dark face gets a white caption; a caption's own colour code wins.
    button.RemoveStyle(kButtonOn);
    button.faceColour = 0x2104;
    Paint();
    EXPECT_EQ(button.captionColour, 0xFFFF);
    EXPECT_TRUE(testing::Ink(Pixel(35, 36), 0xFFFF));
    button.caption = "#FF0000ab";
    Paint();
    EXPECT_TRUE(testing::Ink(Pixel(35, 36), 0xF800));
}

TEST_F(ButtonTest, PictureRowsAndFramedCentring) {
    std::unique_ptr<Surface> image(CreateSurface(20, 20));
    // Two columns, two rows of 10 x 10 cells, each a solid colour.
    const uint16_t colours[2][2] = {{0x0011, 0x0022}, {0x0033, 0x0044}};  // [row][column]
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            FillRect(image.get(), column * 10, row * 10, column * 10 + 9, row * 10 + 9,
                     colours[row][column], 0);
    SpriteSheet sheet;
    sheet.Init(image.get(), 2, 2, 0xF81F);
    button.SetImage(&sheet, 1);
    Paint();
    EXPECT_EQ(Pixel(20, 30), 0x0044);  // raised: row 1 at (l, t)
    EXPECT_EQ(Pixel(29, 39), 0x0044);
    EXPECT_EQ(Pixel(30, 40), 0x0000);
    button.AddStyle(kButtonOn);
    Paint();
    EXPECT_EQ(Pixel(20, 30), 0x0022);  // on: row 0

    button.SetStyle(kButtonFramed);
    Paint();
    // x' = 20 + (40 - 10) / 2 = 35, y' = 30 + 3
    EXPECT_EQ(Pixel(35, 33), 0x0044);
    EXPECT_EQ(Pixel(44, 42), 0x0044);
    button.AddStyle(kButtonOn);
    Paint();
    EXPECT_EQ(Pixel(37, 35), 0x0022);  // pressed pictures move 2 right and 2 down
    EXPECT_NE(Pixel(36, 34), 0x0022);

    button.SetImage(&sheet, 5);  // no such column: nothing drawn, nothing read
    button.SetStyle(0);
    Paint();
    EXPECT_EQ(Pixel(20, 30), 0x0000);
}

}  // namespace
}  // namespace ampliro
