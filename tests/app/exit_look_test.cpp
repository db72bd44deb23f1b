// "Exit Program?" looks like the program's message boxes: both are read from
// the frames the real program presents over its Configuration screen, whose
// white effect list lies under the boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "tests/app/text_fit_fixture.h"

namespace ampliro {
namespace {

using fit::TextFitTest;

constexpr uint16_t kInnerFrame = 0xC61F;
constexpr uint16_t kOuterFrame = 0x0000;

// The title's yellow: its tinted glyphs blend some of the box behind them
// (their strokes read about 0xDEE0).
bool Yellow(uint16_t p) {
    return (p >> 11) >= 20 && ((p >> 5) & 0x3F) >= 40 && (p & 0x1F) < 8;
}

struct BoxLook {
    bool framed = false;     // a black line outside a lavender one
    int titlePixels = 0;     // pixels in the title's yellow
    int showingThrough = 0;  // pixels of the darkened screen left inside
};

// The look of one frame: a framed box's left edge on the screen's middle
// row, the yellow of its title, and what of the white list shows inside it.
BoxLook LookOf(const std::vector<uint16_t>& frame) {
    constexpr int32_t kWidth = 240, kRow = 160;
    BoxLook look;
    int32_t left = -1;
    for (int32_t x = 1; x < kWidth / 2 && left < 0; ++x)
        if (frame[kRow * kWidth + x - 1] == kOuterFrame && frame[kRow * kWidth + x] == kInnerFrame)
            left = x;
    look.framed = left > 0;
    for (uint16_t p : frame) look.titlePixels += Yellow(p);
    // Just inside the frame, between it and the buttons, over the effect
    // list that the darkening before the box left at 0x19AC: the backing
    // leaves 2/32 of it, which rounds to black.
    if (left > 0)
        for (int32_t x = left + 1; x <= left + 3; ++x)
            look.showingThrough += frame[kRow * kWidth + x] != 0x0000;
    return look;
}

// The look of the frame that shows the most of the box (a menu opens and
// closes with an animation).
BoxLook FullestLook(const std::vector<std::vector<uint16_t>>& frames) {
    BoxLook best;
    for (const auto& frame : frames) {
        const BoxLook look = LookOf(frame);
        if (look.framed && look.titlePixels >= best.titlePixels) best = look;
    }
    return best;
}

TEST_F(TextFitTest, ExitProgramLooksLikeTheMessageBoxes) {
    Show(&game->configuration);
    game->configuration.RefreshEffectList(0);
    Render();
    Display().recording = true;
    PostMessage(game->window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(game->window, WM_KEYUP, VK_RETURN, 0);
    ASSERT_EQ(game->ShowMessage("Power On First!", "A message.", kMessageKindOk), 1);
    const BoxLook box = FullestLook(Display().frames);

    Display().frames.clear();
    Render();
    // "No": the program goes on.
    PostMessage(game->window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessage(game->window, WM_KEYUP, VK_DOWN, 0);
    PostMessage(game->window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(game->window, WM_KEYUP, VK_RETURN, 0);
    ASSERT_EQ(game->QueryClose(), 0);
    const BoxLook exit = FullestLook(Display().frames);

    Display().recording = false;

    for (const auto& [name, look] :
         {std::pair{"message box", box}, std::pair{"Exit Program?", exit}}) {
        EXPECT_TRUE(look.framed) << name;
        EXPECT_GT(look.titlePixels, 30) << name;
        EXPECT_EQ(look.showingThrough, 0) << name;
    }
    game->desktop.Reset();
}

}  // namespace
}  // namespace ampliro
