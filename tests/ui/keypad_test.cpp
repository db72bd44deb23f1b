#include "ui/keypad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gfx/contrast.h"
#include "gfx/font.h"
#include "gfx/surface.h"

#include "screen_fixture.h"
#include "ui/edit.h"

namespace ampliro {
namespace {

using testing::ScreenFixture;

constexpr int32_t kLeft = 11, kTop = 60;

class KeypadTest : public ::testing::Test {
  protected:
    KeypadTest() {
        edit.SetFont(&fx.font);
        edit.SetBounds(10, 20, 200, 20);
        keypad.SetFont(&fx.font);
        keypad.Layout();
        keypad.SetBounds(kLeft, kTop, keypad.width, keypad.height);
        fx.desktop.AddChild(&edit);
        fx.desktop.AddChild(&keypad);
        fx.desktop.SetFocus(&edit);
    }
    // Centre of a key in desktop coordinates.
    void TapKey(int row, int column) { fx.Tap(kLeft + column * 22 + 10, kTop + row * 24 + 11); }
    void TapBottom(int32_t offset) { fx.Tap(kLeft + offset, kTop + 3 * 24 + 11); }
    void TapShift() { TapBottom(21); }
    void TapSpace() { TapBottom(44 + 43); }
    void TapAlt() { TapBottom(132 + 21); }
    void TapDel() { TapBottom(176 + 21); }
    std::string Labels(int row) {
        std::string s;
        for (int c = 0; c < 10; ++c) {
            const Button& key = keypad.Key(row * 10 + c);
            s += key.caption[0] ? key.caption : "_";
        }
        return s;
    }

    ScreenFixture fx;
    Edit edit;
    Keypad keypad;
};

TEST_F(KeypadTest, LayoutBuildsThirtyFourKeysInRows) {
    EXPECT_EQ(keypad.KeyCount(), 34);
    EXPECT_EQ(keypad.width, 220);
    EXPECT_EQ(keypad.height, 96);
    EXPECT_EQ(Labels(0), "qwertyuiop");
    EXPECT_EQ(Labels(1), "asdfghjkl:");
    EXPECT_EQ(Labels(2), "zxcvbnm,.?");
    const Button& w = keypad.Key(1);
    EXPECT_EQ(w.id, 'w');
    EXPECT_EQ(w.x, 22);
    EXPECT_EQ(w.y, 0);
    EXPECT_EQ(w.width, 20);
    EXPECT_EQ(w.height, 22);
    EXPECT_EQ(w.flags, kVisible | kShowCaption);
    EXPECT_EQ(w.style, kButtonFramed);
    EXPECT_EQ(w.faceColour, 0xC61F);
    EXPECT_EQ(w.captionPlacement & 0x3F, 0x10);

    const Button* space = keypad.FindKey(Keypad::kSpaceId);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->x, 44);
    EXPECT_EQ(space->y, 72);
    EXPECT_EQ(space->width, 86);
    const Button* del = keypad.FindKey(Keypad::kDeleteId);
    ASSERT_NE(del, nullptr);
    EXPECT_EQ(del->x, 176);
    EXPECT_EQ(del->width, 42);
    EXPECT_TRUE(keypad.FindKey(Keypad::kShiftId)->HasStyle(kButtonToggle));
}

TEST_F(KeypadTest, DialogKeySizeGivesTwoHundredByNinetySix) {
    Keypad small;
    small.SetKeySize(18, 22);
    small.Layout();
    EXPECT_EQ(small.width, 200);
    EXPECT_EQ(small.height, 96);
    EXPECT_EQ(small.Key(9).x, 180);
}

TEST_F(KeypadTest, KeysPostCharactersAndLeaveTheFocusOnTheField) {
    TapKey(0, 0);
    TapKey(2, 9);
    TapSpace();
    const auto posted = fx.Drain();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].message, WM_CHAR);
    EXPECT_EQ(posted[0].wParam, static_cast<uintptr_t>('q'));
    EXPECT_EQ(posted[0].window, fx.window);
    EXPECT_EQ(posted[1].wParam, static_cast<uintptr_t>('?'));
    EXPECT_EQ(posted[2].wParam, static_cast<uintptr_t>(' '));
    EXPECT_EQ(fx.desktop.focus, &edit);
    EXPECT_TRUE(edit.flags & kHasFocus);
}

TEST_F(KeypadTest, ShiftShowsAndSendsUpperCaseUntilTappedAgain) {
    TapShift();
    EXPECT_TRUE(fx.Drain().empty());  // Shift itself posts nothing
    EXPECT_TRUE(keypad.Shift());
    EXPECT_EQ(Labels(0), "QWERTYUIOP");
    EXPECT_TRUE(keypad.FindKey(Keypad::kShiftId)->HasStyle(kButtonOn));
    TapKey(1, 0);
    auto posted = fx.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, static_cast<uintptr_t>('A'));

    TapShift();
    EXPECT_FALSE(keypad.Shift());
    EXPECT_EQ(Labels(0), "qwertyuiop");
    EXPECT_FALSE(keypad.FindKey(Keypad::kShiftId)->HasStyle(kButtonOn));
    TapKey(1, 0);
    posted = fx.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, static_cast<uintptr_t>('a'));
}

TEST_F(KeypadTest, AltShowsDigitsAndMarksTheUnusedKeysDarkAndDeaf) {
    TapAlt();
    EXPECT_TRUE(keypad.Alt());
    EXPECT_EQ(Labels(0), "1234567890");
    EXPECT_EQ(Labels(1), "__________");
    EXPECT_EQ(Labels(2), "__________");
    EXPECT_EQ(keypad.Key(15).id, 0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keypad.Key(i).flags, kVisible | kShowCaption) << i;
    for (int i = 10; i < 30; ++i) EXPECT_EQ(keypad.Key(i).flags, kVisible | kDisabled) << i;
    // Painted dark, so a key of the letter page never shows through.
    const Surface* s = fx.Paint(0xFFFF);
    EXPECT_EQ(s->Row(kTop + 24 + 11)[kLeft + 3 * 22 + 10], 0x3186);
    EXPECT_EQ(s->Row(kTop + 11)[kLeft + 3 * 22 + 4], 0xC61F);
    TapKey(0, 6);
    TapKey(1, 3);  // an unused key: nothing is sent
    auto posted = fx.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, static_cast<uintptr_t>('7'));
    for (const Message& m : posted) fx.desktop.HandleMessage(m.message, m.wParam, m.lParam);
    EXPECT_STREQ(edit.GetText(), "7");

    TapAlt();
    EXPECT_FALSE(keypad.Alt());
    EXPECT_EQ(Labels(0), "qwertyuiop");
}

// The strongest contrast between a key's face and any pixel inside its
// bevel, and how many pixels reach 4.5:1 (the strokes of its label).
struct LabelContrast {
    double best = 1.0;
    int legiblePixels = 0;
};

LabelContrast MeasureKey(const Surface* s, const Button& key) {
    int32_t l = key.x, t = key.y;
    key.ToScreen(l, t);
    const int32_t r = l + key.width, b = t + key.height;
    const uint16_t face = s->Row(t + 3)[l + 3];
    LabelContrast c;
    for (int32_t y = t + 3; y <= b - 3; ++y) {
        for (int32_t x = l + 3; x <= r - 3; ++x) {
            const double ratio = ContrastRatio(s->Row(y)[x], face);
            c.best = std::max(c.best, ratio);
            if (ratio >= 4.5) ++c.legiblePixels;
        }
    }
    return c;
}

TEST_F(KeypadTest, EveryKeyLabelReadsAtLeastFourAndAHalfToOneOnEveryPage) {
    // The program's own caption font, so the pixels are those a user sees.
    BitmapFont captions;
    ASSERT_EQ(LoadFont(&captions, nullptr, 1), 1);
    fx.desktop.SetCaptionFont(&captions);
    for (const char* page : {"normal", "Shift", "Alt"}) {
        if (std::string(page) == "Shift") TapShift();
        if (std::string(page) == "Alt") {
            TapShift();
            TapAlt();
        }
        const Surface* s = fx.Paint(0x0000);
        int visible = 0;
        for (int i = 0; i < keypad.KeyCount(); ++i) {
            const Button& key = keypad.Key(i);
            if (!(key.flags & kVisible) || (key.flags & kDisabled)) continue;
            ++visible;
            ASSERT_NE(key.caption[0], '\0') << page << " key " << i << " is blank";
            const LabelContrast c = MeasureKey(s, key);
            EXPECT_GE(c.best, 4.5) << page << " key '" << key.caption << "'";
            // A full stop or comma is a pixel or two at this size; letters,
            // digits and the words have strokes.
            const bool dot = std::string(".,:").find(key.caption[0]) != std::string::npos;
            EXPECT_GE(c.legiblePixels, dot ? 1 : 4) << page << " key '" << key.caption << "'";
        }
        // Alt: ten digits and the four function keys; the rest are unused.
        EXPECT_EQ(visible, std::string(page) == "Alt" ? 14 : 34) << page;
    }
    EXPECT_TRUE(keypad.Alt());
    EXPECT_FALSE(keypad.Shift());
    fx.desktop.SetCaptionFont(&fx.font);
}

TEST_F(KeypadTest, TypingANameOnTheKeysReachesTheField) {
    edit.SetText("old");
    edit.SelectRange(-1);
    TapShift();
    TapKey(0, 3);  // R
    TapShift();
    TapKey(0, 8);  // o
    TapKey(2, 2);  // c
    TapKey(1, 7);  // k
    TapAlt();
    TapKey(0, 0);  // 1
    TapDel();
    TapKey(0, 1);  // 2
    fx.Deliver();
    EXPECT_STREQ(edit.GetText(), "Rock2");
}

}  // namespace
}  // namespace ampliro
