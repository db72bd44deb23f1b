#include "ui/knob.h"

#include <gtest/gtest.h>

#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::CommandSink;
using testing::DesktopFixture;

constexpr int32_t kSide = 10;
constexpr int32_t kFrames = 63;

// Frame k of the strip is filled with colour k + 1; the mask is fully opaque.
struct Strips {
    Strips()
        : strip(CreateSurface(kSide, kSide * kFrames)),
          mask(CreateSurface(kSide, kSide * kFrames)) {
        for (int k = 0; k < kFrames; ++k)
            FillRect(strip.get(), 0, k * kSide, kSide - 1, k * kSide + kSide - 1,
                     static_cast<uint16_t>(k + 1), 0);
        Clear(mask.get(), 0x001F);
    }
    std::unique_ptr<Surface> strip, mask;
};

class KnobTest : public ::testing::Test, public DesktopFixture {
  protected:
    KnobTest() {
        screen.SetBounds(0, 0, 240, 320);
        desktop.AddChild(&screen);
        knob.SetBounds(100, 100, kSide, kSide + 5);
        knob.SetImages(strips.strip.get(), strips.mask.get());
        knob.SetRange(0, 64);
        knob.SetValue(32);
        knob.id = 9;
        screen.AddChild(&knob);
    }
    int Local(uint32_t message, int32_t x, int32_t y) {
        return knob.HandleMessage(message, 0, PackPoint(x, y));
    }
    Strips strips;
    CommandSink screen;
    Knob knob;
};

TEST_F(KnobTest, FramesFollowTheValue) {
    EXPECT_EQ(knob.frameCount, 63);
    EXPECT_EQ(knob.maskFrameCount, 63);
    EXPECT_EQ(knob.radius, 5);
    EXPECT_EQ(knob.frame, 31);
    knob.SetValue(64);
    EXPECT_EQ(knob.frame, 62);
    knob.SetValue(0);
    EXPECT_EQ(knob.frame, 0);
    knob.SetValue(65);
    knob.SetValue(-1);
    EXPECT_EQ(knob.GetValue(), 0);
    EXPECT_EQ(knob.frame, 0);
    EXPECT_TRUE(screen.commands.empty());
}

TEST_F(KnobTest, TouchIsStrictlyInsideTheRadius) {
    Local(WM_LBUTTONDOWN, 10, 5);  // distance 5 = radius
    EXPECT_FALSE(knob.style & kKnobDragging);
    EXPECT_EQ(desktop.capture, nullptr);
    Local(WM_LBUTTONUP, 10, 5);
    EXPECT_TRUE(screen.commands.empty());
    EXPECT_EQ(Local(WM_LBUTTONDOWN, 9, 5), 0);
    EXPECT_TRUE(knob.style & kKnobDragging);
    EXPECT_EQ(desktop.capture, &knob);
}

TEST_F(KnobTest, SidewaysDragSweepsTheRangeIn128Pixels) {
    Local(WM_LBUTTONDOWN, 5, 5);
    Local(WM_MOUSEMOVE, 6, 5);
    EXPECT_EQ(knob.GetValue(), 32);  // (1 * 64) >> 7 = 0
    Local(WM_MOUSEMOVE, 4, 5);
    EXPECT_EQ(knob.GetValue(), 31);  // (-1 * 64) >> 7 = -1
    Local(WM_MOUSEMOVE, 69, 5);
    EXPECT_EQ(knob.GetValue(), 64);
    Local(WM_MOUSEMOVE, 300, 5);
    EXPECT_EQ(knob.GetValue(), 64);
    Local(WM_MOUSEMOVE, -200, 5);  // far left, a negative 16-bit x
    EXPECT_EQ(knob.GetValue(), 0);
    Local(WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(knob.style & kKnobDragging);
    EXPECT_EQ(desktop.capture, nullptr);
    ASSERT_FALSE(screen.commands.empty());
    EXPECT_EQ(screen.commands.back().code, kNotifyKnobReleased);
    EXPECT_EQ(screen.commands.back().id, 9);
    EXPECT_EQ(static_cast<int32_t>(screen.commands.back().lParam), 0);
}

TEST_F(KnobTest, TurnIsReportedOnlyWhenTheFrameChanges) {
    knob.SetValue(0);
    Local(WM_LBUTTONDOWN, 5, 5);
    Local(WM_MOUSEMOVE, 7, 5);  // value 1: frame 1 * 62 / 64 = 0, unchanged
    EXPECT_EQ(knob.GetValue(), 1);
    EXPECT_TRUE(screen.commands.empty());
    Local(WM_MOUSEMOVE, 9, 5);  // value 2: frame 1
    ASSERT_EQ(screen.commands.size(), 1u);
    EXPECT_EQ(screen.commands[0].code, kNotifyKnobTurned);
    EXPECT_EQ(screen.commands[0].lParam, 2u);
    Local(WM_LBUTTONUP, 9, 5);
    ASSERT_EQ(screen.commands.size(), 2u);
    EXPECT_EQ(screen.commands[1].code, kNotifyKnobReleased);
}

TEST_F(KnobTest, DragThroughTheDesktopKeepsTheCapture) {
    Knob other;
    other.SetBounds(150, 100, kSide, kSide);
    screen.AddChild(&other);
    Pen(WM_LBUTTONDOWN, 105, 105);
    Pen(WM_MOUSEMOVE, 155, 105);     // over the other knob
    EXPECT_EQ(knob.GetValue(), 57);  // 32 + (50 * 64 >> 7)
    Pen(WM_LBUTTONUP, 155, 105);
    EXPECT_EQ(other.GetValue(), 0);
    EXPECT_EQ(screen.commands.back().code, kNotifyKnobReleased);
}

// Endless mode, the pen moved from x = 5 to each x of a row in turn: the
// value steps once every whole four pixels and stops at the range's ends,
// while the picture keeps turning and wraps inside the strip's 63 frames,
// even after a move of many turns in one message.
TEST_F(KnobTest, EndlessModeStepsEveryFourPixelsAndWrapsThePicture) {
    struct Move {
        int32_t x, value, frame;
    };
    const struct {
        int32_t value, frame;
        std::vector<Move> moves;
    } cases[] = {
        {120, 62, {{8, 120, 62}, {9, 121, 0}, {1, 119, 61}}},
        // (12 + 200) % 63 = 23; (23 - 1000) mod 63 = 31.
        {200, 10, {{13, 200, 12}, {13 + 4 * 200, 200, 23}, {13 + 4 * 200 - 4 * 1000, 40, 31}}},
    };
    knob.SetStyle(kKnobEndless);
    knob.SetRange(40, 200);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        knob.SetValue(c.value);
        knob.frame = static_cast<int16_t>(c.frame);
        screen.commands.clear();
        Local(WM_LBUTTONDOWN, 5, 5);
        for (const Move& m : c.moves) {
            Local(WM_MOUSEMOVE, m.x, 5);
            EXPECT_EQ(knob.GetValue(), m.value) << m.x;
            EXPECT_EQ(knob.frame, m.frame) << m.x;
            // Each turn of the picture is told, with the value.
            if (m.frame != c.frame) {
                EXPECT_EQ(screen.commands.back().lParam, uintptr_t(m.value));
            }
        }
        Local(WM_LBUTTONUP, 5, 5);
    }
}

TEST_F(KnobTest, SingleValueRangeAndMissingImagesDoNotDivideByZero) {
    knob.SetRange(5, 5);
    knob.SetValue(5);
    EXPECT_EQ(knob.frame, 0);
    Local(WM_LBUTTONDOWN, 5, 5);
    Local(WM_MOUSEMOVE, 100, 5);
    EXPECT_EQ(knob.GetValue(), 5);
    Local(WM_LBUTTONUP, 100, 5);

    Knob bare;
    bare.SetBounds(10, 10, 20, 20);
    bare.SetImages(nullptr, nullptr);
    bare.SetRange(0, 10);
    bare.SetValue(7);
    EXPECT_EQ(bare.frame, 0);
    EXPECT_EQ(bare.frameCount, 0);
    bare.HandleMessage(WM_LBUTTONDOWN, 0, PackPoint(10, 10));  // radius 0: never touched
    EXPECT_FALSE(bare.style & kKnobDragging);
    screen.AddChild(&bare);
    Paint();
    EXPECT_EQ(Pixel(15, 15), 0x0000);
}

TEST_F(KnobTest, UpsideDownRangeStaysDefined) {
    knob.SetRange(10, 0);
    Local(WM_LBUTTONDOWN, 5, 5);
    Local(WM_MOUSEMOVE, 60, 5);
    EXPECT_EQ(knob.GetValue(), 10);
    Local(WM_LBUTTONUP, 60, 5);
    Paint();  // a negative frame draws nothing rather than reading outside the strip
}

TEST_F(KnobTest, PaintsTheFrameThroughTheMask) {
    knob.SetValue(64);  // frame 62: colour 63
    std::unique_ptr<Surface> background(CreateSurface(240, 320));
    Clear(background.get(), 0xFFFF);
    // Left half of every mask frame transparent, right half opaque.
    for (int k = 0; k < kFrames; ++k)
        FillRect(strips.mask.get(), 0, k * kSide, 4, k * kSide + kSide - 1, 0, 0);
    desktop.Render(background.get());
    EXPECT_EQ(Pixel(102, 105), 0xFFFF);
    EXPECT_EQ(Pixel(107, 105), 63);
    EXPECT_EQ(Pixel(109, 109), 63);
    EXPECT_EQ(Pixel(110, 105), 0xFFFF);
    EXPECT_EQ(Pixel(107, 110), 0xFFFF);  // the square is the strip's frame, not the taller bounds
}

TEST_F(KnobTest, PaintAtTheScreenEdgeIsClipped) {
    knob.SetBounds(235, 315, kSide, kSide);
    knob.SetValue(0);
    Paint();
    EXPECT_EQ(Pixel(239, 319), 1);
    knob.SetBounds(-5, -5, kSide, kSide);
    Paint();
    EXPECT_EQ(Pixel(0, 0), 1);
    EXPECT_EQ(Pixel(4, 4), 1);
    EXPECT_EQ(Pixel(5, 5), 0);
}

}  // namespace
}  // namespace ampliro
