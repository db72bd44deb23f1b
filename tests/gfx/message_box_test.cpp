#include "gfx/message_box.h"

#include <memory>
#include <string>
#include <vector>

#include "gfx/contrast.h"
#include "tests/gfx/dialog_test_support.h"

namespace ampliro {
namespace {

class MessageBoxTest : public DialogTest {
  protected:
    std::unique_ptr<MessageBox> box = std::make_unique<MessageBox>();
};

// The tinted glyphs blend a little of the box behind them.
bool Red(uint16_t p) {
    return (p >> 11) >= 28 && ((p >> 5) & 0x3F) < 8;
}
bool Green(uint16_t p) {
    return (p >> 11) < 4 && ((p >> 5) & 0x3F) >= 56;
}

std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "Line " + std::to_string(i) + "\r";
    return text;
}

TEST_F(MessageBoxTest, TextThatFitsShowsNoArrowsAndIsCentred) {
    bool probed = false;
    PostProbe([&] {
        probed = true;
        // Frames in colour [0] and [1], the box darkened, the text in white.
        const MessageRect& r = box->box;
        EXPECT_EQ(Shown(r.left - 1, r.top + 10), 0xFFE0);
        EXPECT_EQ(Shown(r.left - 2, r.top + 10), 0x0000);
        EXPECT_NE(Shown(r.left + 2, r.top + 2), kBackground);
        EXPECT_EQ(Shown(0, 0), kBackground);
    });
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "Hello", nullptr, nullptr, 0), kMessageOk);
    EXPECT_TRUE(probed);
    EXPECT_EQ(box->lineCount, 1);
    EXPECT_EQ(box->visibleLines, (320 - 40 - 30) / 16);
    EXPECT_EQ(box->bar.count, 1);
    EXPECT_EQ(FindButton(&box->bar, kBarArrowUp), 0);
    // One line: 5 + 16 + 35 = 56 high, centred: top (320 - 56) / 2 = 132.
    EXPECT_EQ(box->box.top, 132);
    EXPECT_EQ(box->box.bottom, 188);
    EXPECT_EQ(box->bar.buttons[0].left, 220 - 35);
    EXPECT_EQ(box->bar.buttons[0].top, 188 - 25);
    // The screen is restored.
    EXPECT_EQ(Shown(120, 160), kBackground);
}

TEST_F(MessageBoxTest, LongTextScrollsWithArrowsTheUpperDisabledFirst) {
    const std::string text = Lines(30);
    int32_t upFlags = -1, downFlags = -1;
    PostProbe([&] {
        upFlags = box->bar.buttons[FindButton(&box->bar, kBarArrowUp) - 1].flags;
        downFlags = box->bar.buttons[FindButton(&box->bar, kBarArrowDown) - 1].flags;
    });
    int32_t scrollDuringSecondRound = -1;
    Key(VK_RETURN);
    MessageRect rect{20, 20, 220, 300};
    // A first run shows the layout; the second goes down twice through the
    // arrow, up once, then Ok.
    EXPECT_EQ(RunMessageBox(box.get(), &display, text.c_str(), nullptr, &rect, 0), kMessageOk);
    EXPECT_TRUE(upFlags & kBarButtonDisabled);
    EXPECT_FALSE(downFlags & kBarButtonDisabled);
    EXPECT_EQ(box->lineCount, 30);
    const int32_t u = (280 - 30) / 16;
    EXPECT_EQ(box->visibleLines, u);
    const BarButton& down = box->bar.buttons[FindButton(&box->bar, kBarArrowDown) - 1];
    EXPECT_EQ(down.left, 220 - 22);
    EXPECT_EQ(down.right - down.left, 17);
    const int32_t a = (u * 16 - 2) >> 1;
    EXPECT_EQ(down.top, 25 + a + 2);

    const int32_t dx = down.left + 5, dy = down.top + 5;
    const BarButton& up = box->bar.buttons[FindButton(&box->bar, kBarArrowUp) - 1];
    const int32_t ux = up.left + 5, uy = up.top + 5;
    Tap(dx, dy);
    Tap(dx, dy);
    PostProbe([&] { scrollDuringSecondRound = box->scroll; });
    Tap(ux, uy);
    Tap(box->bar.buttons[0].left + 3, box->bar.buttons[0].top + 3);
    EXPECT_EQ(RunMessageBox(box.get(), &display, text.c_str(), nullptr, &rect, 0), kMessageOk);
    EXPECT_EQ(scrollDuringSecondRound, 2);
    EXPECT_EQ(box->scroll, 1);
}

TEST_F(MessageBoxTest, InAScrollingBoxTheKeysAndWheelScrollAndEnterPressesTheDefault) {
    const std::string text = Lines(30);
    MessageRect rect{20, 20, 220, 300};
    std::vector<int32_t> scrolls;
    auto probe = [&] { PostProbe([&] { scrolls.push_back(box->scroll); }); };
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN);
    probe();
    Key(VK_UP);
    probe();
    Post(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(-kWheelNotch)) << 16);
    probe();
    Post(WM_MOUSEWHEEL, static_cast<uintptr_t>(kWheelNotch) << 16);
    probe();
    // The pen on an arrow scrolls without taking the focus from Ok.
    PostProbe([&] {
        const BarButton& down = box->bar.buttons[FindButton(&box->bar, kBarArrowDown) - 1];
        Tap(down.left + 5, down.top + 5);
        probe();
        Key(VK_RETURN);
    });
    EXPECT_EQ(
        RunMessageBox(box.get(), &display, text.c_str(), "Title", &rect, kMessageDontShowAgain),
        kMessageOk);
    EXPECT_EQ(scrolls, (std::vector<int32_t>{3, 2, 3, 2, 3}));
    EXPECT_EQ(FocusedButton(&box->bar), FindButton(&box->bar, kMessageOk));
    EXPECT_TRUE(box->bar.buttons[FindButton(&box->bar, kBarArrowUp) - 1].flags & kBarButtonNoFocus);

    // Left and Right still move between the buttons.
    Key(VK_LEFT);
    Key(VK_RETURN);
    EXPECT_EQ(
        RunMessageBox(box.get(), &display, text.c_str(), "Title", &rect, kMessageDontShowAgain),
        kMessageCancel);
}

TEST_F(MessageBoxTest, ABoxThatDoesNotScrollKeepsUpAndDownForTheButtons) {
    // Scrolling flags of an earlier, longer message must not stay behind.
    MessageRect rect{20, 20, 220, 300};
    Key(VK_RETURN);
    ASSERT_EQ(RunMessageBox(box.get(), &display, Lines(30).c_str(), nullptr, &rect, 0), kMessageOk);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "Sure?", nullptr, nullptr, kMessageYesNo),
              kMessageCancel);
}

TEST_F(MessageBoxTest, ListRowsBehindTheBoxDoNotShowThroughItsText) {
    // A white screen, as a list's rows are: inside the box it is darkened
    // to at most a sixteenth, so white text keeps more than 10:1 on it.
    ASSERT_TRUE(display.BeginScene());
    Clear(display.GetBackBuffer(), 0xFFFF);
    display.Present(0);
    uint16_t inside = 0;
    PostProbe([&] { inside = Shown(box->box.left + 3, box->box.bottom - 3); });
    Key(VK_RETURN);
    RunMessageBox(box.get(), &display, "Hello", nullptr, nullptr, 0);
    EXPECT_LE(inside >> 11, 2);
    EXPECT_LE((inside >> 5) & 0x3F, 4);
    EXPECT_GE(ContrastRatio(0xFFFF, inside), 10.0);
}

TEST_F(MessageBoxTest, RoomForFewerThanThreeLinesShowsTwo) {
    MessageRect rect{30, 100, 210, 160};
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, Lines(5).c_str(), nullptr, &rect, 0), kMessageOk);
    EXPECT_EQ(box->visibleLines, 2);
    EXPECT_EQ(box->firstLineY, 105);
    EXPECT_EQ(box->box.bottom, 105 + 2 * 16 + 35);
    EXPECT_NE(FindButton(&box->bar, kBarArrowDown), 0);
}

TEST_F(MessageBoxTest, ButtonSetsAndAnswers) {
    Key(VK_RIGHT);
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "Sure?", "Title", nullptr, kMessageYesNo),
              kMessageCancel);
    EXPECT_STREQ(box->bar.buttons[0].label, "Yes");
    EXPECT_STREQ(box->bar.buttons[1].label, "No");
    EXPECT_EQ(box->firstLineY, box->box.top + 16 + 5 + 5);

    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "x", nullptr, nullptr, kMessageOkCancel), 1);
    EXPECT_STREQ(box->bar.buttons[1].label, "Cancel");
    EXPECT_EQ(box->bar.buttons[1].right - box->bar.buttons[1].left, 55);

    Key(VK_LEFT);
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "x", nullptr, nullptr, kMessageDontShowAgain), 2);
    EXPECT_STREQ(box->bar.buttons[1].label, "Don't show me again!");
    EXPECT_EQ(box->bar.buttons[1].left, 220 - 160);
}

TEST_F(MessageBoxTest, FocusOnTheSecondButtonMakesEnterAnswerNo) {
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "Delete?", "Title", nullptr,
                            kMessageYesNo | kMessageFocusSecond),
              kMessageCancel);
    EXPECT_EQ(FocusedButton(&box->bar), 2);
    Key(VK_LEFT);
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "Delete?", "Title", nullptr,
                            kMessageYesNo | kMessageFocusSecond),
              kMessageOk);
    // A box with one button keeps its focus there.
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "x", nullptr, nullptr, kMessageFocusSecond),
              kMessageOk);
}

TEST_F(MessageBoxTest, QuitReturnsMinusThree) {
    PostQuitMessage(0);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "x", nullptr, nullptr, 0), kBarQuit);
}

TEST_F(MessageBoxTest, NoBackBufferGivesZero) {
    display.SetActive(false);
    EXPECT_EQ(RunMessageBox(box.get(), &display, "x", nullptr, nullptr, 0), 0);
}

TEST_F(MessageBoxTest, OverlongTextIsCutNotOverrun) {
    std::string text(6000, 'a');
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, text.c_str(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(std::string(box->text).size(), 4095u);

    const std::string many = Lines(400);
    Key(VK_RETURN);
    EXPECT_EQ(RunMessageBox(box.get(), &display, many.c_str(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(box->lineCount, kMaxMessageLines);
}

TEST_F(MessageBoxTest, ColourCodesCarryOverLineBreaks) {
    box->textFont = TestFont();
    // Line two has no code of its own: it stays red; line four turns green.
    const char* text = "#FF0000ab\rcd\r#00FF00ef\rgh";
    uint16_t line[4] = {};
    PostProbe([&] {
        for (int k = 0; k < 4; ++k) line[k] = Shown(box->box.left + 6, box->firstLineY + k * 8 + 3);
    });
    Key(VK_RETURN);
    ASSERT_EQ(RunMessageBox(box.get(), &display, text, nullptr, nullptr, 0), 1);
    EXPECT_EQ(box->lineCount, 4);
    EXPECT_TRUE(Red(line[0])) << line[0];
    EXPECT_TRUE(Red(line[1])) << line[1];
    EXPECT_TRUE(Green(line[2])) << line[2];
    EXPECT_TRUE(Green(line[3])) << line[3];
}

TEST_F(MessageBoxTest, ScrolledTextKeepsTheColourInForce) {
    box->textFont = TestFont();
    std::string text = "#FF0000";
    for (int i = 0; i < 60; ++i) text += "x\r";
    MessageRect rect{20, 20, 220, 100};
    const int32_t ux = 220 - 22 + 5;
    uint16_t first = 0;
    Key(VK_RETURN);
    ASSERT_EQ(RunMessageBox(box.get(), &display, text.c_str(), nullptr, &rect, 0), 1);
    const BarButton& down = box->bar.buttons[FindButton(&box->bar, kBarArrowDown) - 1];
    Tap(ux, down.top + 3);
    PostProbe([&] { first = Shown(box->box.left + 6, box->firstLineY + 3); });
    Tap(box->bar.buttons[0].left + 3, box->bar.buttons[0].top + 3);
    ASSERT_EQ(RunMessageBox(box.get(), &display, text.c_str(), nullptr, &rect, 0), 1);
    EXPECT_EQ(box->scroll, 1);
    EXPECT_TRUE(Red(first)) << first;
}

}  // namespace
}  // namespace ampliro
