#include "ui/edit.h"

#include <gtest/gtest.h>

#include <string>

#include "screen_fixture.h"

namespace ampliro {
namespace {

using testing::Ink;
using testing::ScreenFixture;

class EditTest : public ::testing::Test {
  protected:
    EditTest() {
        edit.SetFont(&fx.font);
        edit.SetBounds(10, 30, 200, 20);
        fx.desktop.AddChild(&edit);
        fx.desktop.SetFocus(&edit);
    }
    void Type(const char* text) {
        for (const char* p = text; *p; ++p)
            fx.desktop.HandleMessage(WM_CHAR, static_cast<unsigned char>(*p), 0);
    }
    void Key(uint32_t key) { fx.desktop.HandleMessage(WM_KEYDOWN, key, 0); }
    std::string Text() const { return edit.GetText(); }

    ScreenFixture fx;
    Edit edit;
};

TEST_F(EditTest, AcceptsOnlyTheNameCharacters) {
    Type("Rock #1-b?:;., Z");
    EXPECT_EQ(Text(), "Rock 1b?:;., Z");
    EXPECT_EQ(edit.caret, 14);
    Type("_/\\*\"'+=");
    EXPECT_EQ(Text(), "Rock 1b?:;., Z");
    fx.desktop.HandleMessage(WM_CHAR, 0, 0);
    fx.desktop.HandleMessage(WM_CHAR, 0x141, 0);  // beyond a byte
    EXPECT_EQ(edit.Length(), 14);
}

TEST_F(EditTest, InsertsAtTheCaret) {
    Type("acd");
    Key(VK_LEFT);
    Key(VK_LEFT);
    Type("b");
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(edit.caret, 2);
}

TEST_F(EditTest, FullFieldIgnoresCharactersButASelectionIsReplaced) {
    const std::string full(81, 'x');
    Type(full.c_str());
    EXPECT_EQ(edit.Length(), 81);
    Type("y");
    EXPECT_EQ(Text(), full);
    EXPECT_EQ(edit.caret, 81);

    edit.selectionStart = 10;
    edit.selectionEnd = 5;  // either order
    Type("y");
    EXPECT_EQ(edit.Length(), 77);
    EXPECT_EQ(Text()[5], 'y');
    EXPECT_EQ(edit.caret, 6);
    EXPECT_FALSE(edit.HasSelection());
}

TEST_F(EditTest, BackAndDeleteWithAndWithoutSelection) {
    Type("abc");
    Key(VK_BACK);
    EXPECT_EQ(Text(), "ab");
    Key(VK_LEFT);
    Key(VK_LEFT);
    Key(VK_BACK);  // caret at 0: nothing
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(edit.caret, 0);
    Key(VK_DELETE);
    EXPECT_EQ(Text(), "b");
    Key(VK_RIGHT);
    Key(VK_DELETE);  // nothing at the caret
    EXPECT_EQ(Text(), "b");

    edit.SetText("abcdef");
    edit.selectionStart = 4;
    edit.selectionEnd = 1;
    Key(VK_DELETE);
    EXPECT_EQ(Text(), "aef");
    EXPECT_EQ(edit.caret, 1);
    edit.SelectRange(2);
    Key(VK_BACK);
    EXPECT_EQ(Text(), "f");
    EXPECT_EQ(edit.caret, 0);
}

TEST_F(EditTest, LeftAndRightClearTheSelectionWithoutDeleting) {
    edit.SetText("preset");
    edit.SelectRange(-1);
    EXPECT_EQ(edit.selectionEnd, 6);
    EXPECT_EQ(edit.caret, 6);  // SelectRange leaves the caret
    Key(VK_LEFT);
    EXPECT_EQ(Text(), "preset");
    EXPECT_FALSE(edit.HasSelection());
    EXPECT_EQ(edit.caret, 5);
    edit.SelectRange(3);
    Key(VK_RIGHT);
    EXPECT_EQ(Text(), "preset");
    EXPECT_FALSE(edit.HasSelection());
    EXPECT_EQ(edit.caret, 6);
    Key(VK_RIGHT);
    EXPECT_EQ(edit.caret, 6);
}

TEST_F(EditTest, SetTextCutsToTheMaximumLength) {
    const std::string longName(120, 'n');
    edit.SetText(longName.c_str());
    EXPECT_EQ(edit.Length(), 81);
    EXPECT_EQ(edit.caret, 81);
    edit.SetMaxLength(10);
    EXPECT_EQ(Text(), std::string(10, 'n'));
    edit.SetMaxLength(500);
    EXPECT_EQ(edit.MaxLength(), Edit::kCapacity);
    edit.SetText(nullptr);
    EXPECT_EQ(Text(), "");
}

TEST_F(EditTest, ReadOnlyIgnoresKeysAndCharacters) {
    edit.SetText("fixed");
    edit.style = Edit::kReadOnly;
    Type("x");
    Key(VK_BACK);
    Key(VK_LEFT);
    EXPECT_EQ(Text(), "fixed");
    EXPECT_EQ(edit.caret, 5);
}

TEST_F(EditTest, PenDownPlacesTheCaretAndDraggingSelects) {
    // Glyphs are 5 wide, spaces 3: "ab cd" has edges at 5, 10, 13, 18, 23.
    edit.SetText("ab cd");
    const int32_t fieldX = 10, fieldY = 30;
    fx.Pen(WM_LBUTTONDOWN, fieldX + 16, fieldY + 5);
    // Inside "d" after a space: just after the space.
    EXPECT_EQ(edit.caret, 3);
    EXPECT_FALSE(edit.HasSelection());
    EXPECT_EQ(fx.desktop.capture, &edit);
    fx.Pen(WM_MOUSEMOVE, fieldX + 30, fieldY + 5);
    EXPECT_EQ(edit.selectionStart, 3);
    EXPECT_EQ(edit.selectionEnd, 5);
    EXPECT_EQ(edit.caret, 5);
    fx.Pen(WM_MOUSEMOVE, fieldX - 4, fieldY + 5);  // left of the field counts as 0
    EXPECT_EQ(edit.caret, 0);
    fx.Pen(WM_LBUTTONUP, fieldX - 4, fieldY + 5);
    EXPECT_EQ(fx.desktop.capture, nullptr);
    EXPECT_FALSE(edit.penHeld);
    Type("Z");
    EXPECT_EQ(Text(), "Zcd");

    fx.Pen(WM_LBUTTONDOWN, fieldX + 150, fieldY + 5);  // beyond the text: its end
    EXPECT_EQ(edit.caret, 3);
    fx.Pen(WM_LBUTTONUP, fieldX + 150, fieldY + 5);
}

TEST_F(EditTest, LiteralFitFollowsTheLineFittingRule) {
    BitmapFont& f = fx.font;
    EXPECT_EQ(LiteralFit(&f, "abcdef", 12), 2);   // no space: the character under x
    EXPECT_EQ(LiteralFit(&f, "ab cdef", 20), 3);  // after the last space before x
    EXPECT_EQ(LiteralFit(&f, "abc", 100), 3);
    EXPECT_EQ(LiteralFit(&f, "abc", 0), 0);
    EXPECT_EQ(LiteralWidth(&f, "a b#", 4), 18);  // "#" is a glyph here, not a code
}

TEST_F(EditTest, PaintsFrameSelectionTextAndBlinkingCaret) {
    edit.SetText("abc");
    edit.frameColour = 0xC71F;
    edit.SelectRange(1);
    Surface* s = fx.Paint();
    EXPECT_EQ(edit.height, fx.font.height + 4);
    EXPECT_EQ(GetPixel(s, 10, 30), 0xC71F);  // frame
    EXPECT_EQ(GetPixel(s, 210, 44), 0xC71F);
    EXPECT_EQ(GetPixel(s, 11, 31), 0xFFFF);  // background
    // The band under the selected "a" runs from x + 2 to x + 6 and one row
    // below the glyphs; the glyph is drawn again over it in white.
    EXPECT_EQ(GetPixel(s, 13, 42), 0x3358);
    EXPECT_TRUE(Ink(GetPixel(s, 13, 33), 0xFFFF));
    EXPECT_EQ(GetPixel(s, 17, 42), 0xFFFF);
    EXPECT_TRUE(Ink(GetPixel(s, 17, 33), 0x0000));  // "b" in the text colour
    // The caret after "abc", at x + 15 + 2, while the blink phase is below 15.
    EXPECT_EQ(fx.desktop.BlinkPhase(), 1);
    EXPECT_EQ(GetPixel(s, 27, 32), 0x0000);
    EXPECT_EQ(GetPixel(s, 27, 41), 0x0000);
    EXPECT_EQ(GetPixel(s, 28, 32), 0xFFFF);

    // Without the focus neither the band nor the caret shows.
    fx.desktop.SetFocus(nullptr);
    s = fx.Paint();
    EXPECT_TRUE(Ink(GetPixel(s, 13, 33), 0x0000));
    EXPECT_EQ(GetPixel(s, 13, 42), 0xFFFF);
    EXPECT_EQ(GetPixel(s, 27, 32), 0xFFFF);
}

TEST_F(EditTest, ATextLongerThanTheFieldScrollsToTheCaretAndStaysInsideTheFrame) {
    // 50 glyphs of 5 pixels: 250 pixels in a field with room for 197
    // (x + 2 .. x + width - 2, the caret's column included).
    edit.frameColour = 0xC71F;
    Type(std::string(50, 'a').c_str());
    ASSERT_EQ(edit.caret, 50);
    Surface* s = fx.Paint(0x1234);
    EXPECT_EQ(edit.scrollX, 53);
    for (int32_t y = 30; y <= 30 + edit.height; ++y) {
        EXPECT_EQ(GetPixel(s, 10, y), 0xC71F) << y;  // both frame lines whole
        EXPECT_EQ(GetPixel(s, 210, y), 0xC71F) << y;
        for (int32_t x = 211; x < 240; ++x) ASSERT_EQ(GetPixel(s, x, y), 0x1234) << x << "," << y;
    }
    // The caret after the last glyph, just inside the right frame line.
    EXPECT_EQ(GetPixel(s, 10 + 250 - 53 + 2, 32), 0x0000);

    // The pen reads the text where it is shown: 5 pixels in lies 58 pixels
    // into the text, on its twelfth glyph.
    fx.Tap(10 + 5, 35);
    EXPECT_EQ(edit.caret, 11);
    s = fx.Paint(0x1234);
    EXPECT_EQ(edit.scrollX, 53);
    // Back to the start: the text is shown from its first glyph again.
    for (int i = 0; i < 11; ++i) Key(VK_LEFT);
    s = fx.Paint(0x1234);
    EXPECT_EQ(edit.scrollX, 0);
    EXPECT_TRUE(Ink(GetPixel(s, 12, 41), 0x0000) || Ink(GetPixel(s, 13, 41), 0x0000));
    // Shortened to fit, the field scrolls back by itself.
    edit.SetText("abc");
    fx.Paint(0x1234);
    EXPECT_EQ(edit.scrollX, 0);
}

TEST_F(EditTest, CaretHidesForTheSecondHalfOfTheBlink) {
    edit.SetText("abc");
    Surface* s = nullptr;
    for (int i = 0; i < 14; ++i) s = fx.Paint();
    EXPECT_EQ(fx.desktop.BlinkPhase(), 14);
    EXPECT_EQ(GetPixel(s, 27, 32), 0x0000);
    s = fx.Paint();
    EXPECT_EQ(fx.desktop.BlinkPhase(), 15);
    EXPECT_EQ(GetPixel(s, 27, 32), 0xFFFF);
}

TEST_F(EditTest, HashInATextIsDrawnAsAGlyphNotReadAsAColour) {
    // A file name may hold "#"; the field draws it literally and stops at
    // the text's end even when fewer than six characters follow.
    edit.SetText("a#1");
    EXPECT_EQ(edit.Length(), 3);
    fx.desktop.SetFocus(nullptr);
    Surface* s = fx.Paint();
    EXPECT_TRUE(Ink(GetPixel(s, 18, 33), 0x0000));  // "#" at x + 2 + 5
    EXPECT_TRUE(Ink(GetPixel(s, 23, 33), 0x0000));  // "1"
    EXPECT_EQ(GetPixel(s, 28, 33), 0xFFFF);
}

}  // namespace
}  // namespace ampliro
