#include "gfx/menu.h"

#include <memory>
#include <string>

#include "gfx/message_box.h"
#include "tests/gfx/dialog_test_support.h"

namespace ampliro {
namespace {

class MenuTest : public DialogTest {
  protected:
    std::unique_ptr<ChoiceMenu> menu = std::make_unique<ChoiceMenu>();
    std::unique_ptr<PopupMenu> popup = std::make_unique<PopupMenu>();
};

std::string Items(int n) {
    std::string spec;
    for (int i = 1; i <= n; ++i) {
        spec += (i < 10 ? "0" : "") + std::to_string(i) + "Item " + std::to_string(i) + ",";
    }
    return spec;
}

TEST_F(MenuTest, ItemListsAreParsedAndCut) {
    MenuItems items;
    ParseMenuItems(&items, "01Yes,,02No,");
    ASSERT_EQ(items.count, 2);
    EXPECT_STREQ(items.labels[0], "Yes");
    EXPECT_EQ(items.codes[0], 1);
    EXPECT_STREQ(items.labels[1], "No");
    EXPECT_EQ(items.codes[1], 2);

    ParseMenuItems(&items, Items(40).c_str());
    EXPECT_EQ(items.count, kMaxMenuItems);
    EXPECT_EQ(items.codes[22], 23);

    const std::string longLabel = "07" + std::string(400, 'z');
    ParseMenuItems(&items, longLabel.c_str());
    ASSERT_EQ(items.count, 1);
    EXPECT_EQ(std::string(items.labels[0]).size(), 253u);
    ParseMenuItems(&items, nullptr);
    EXPECT_EQ(items.count, 0);
}

TEST_F(MenuTest, AMenuCanTakeTheMessageBoxesFrameAndBacking) {
    menu->innerFrameColour = 0xC61F;
    menu->outerFrameColour = 0x0000;
    menu->titleColour = 0xFFE0;
    menu->showThrough = kMessageShowThrough;
    uint16_t inner = 0, outer = 0, inside = 0;
    PostProbe([&] {
        const MessageRect& r = menu->rect;
        inner = Shown(r.left - 1, r.top + 5);
        outer = Shown(r.left - 2, r.top + 5);
        inside = Shown(r.left + 2, r.bottom - 3);
    });
    Key(VK_RETURN);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "Exit Program?", "01Yes,02No", kMenuRun), 1);
    EXPECT_EQ(inner, 0xC61F);
    EXPECT_EQ(outer, 0x0000);
    // 2/32 of the background 0x1234 (R 2, G 17, B 20) is left: R 0, G 1, B 1.
    EXPECT_EQ(inside, 0x0021);
}

TEST_F(MenuTest, ChoosingNoReturnsItsCode) {
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "Exit Program?", "01Yes,02No", kMenuRun), 2);
    EXPECT_EQ(menu->items.count, 2);
    EXPECT_EQ(menu->visibleCount, 2);
    // Two items under a title: y0 = (320 - 21 - 25) / 2 + 9 = 146.
    EXPECT_EQ(menu->bar.buttons[1].top, 146);
    EXPECT_EQ(menu->bar.buttons[1].left, 50);
    EXPECT_EQ(menu->rect.top, 146 - 18 - 15);
    EXPECT_EQ(menu->rect.bottom, 146 + 21 + 25 + 16);
    EXPECT_EQ(menu->focus, 2);
    EXPECT_EQ(Shown(120, 160), kBackground);
}

TEST_F(MenuTest, NothingToChooseGivesZero) {
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "", ",,", kMenuRun), 0);
    PostQuitMessage(0);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "", "01Yes", kMenuRun), kBarQuit);
}

TEST_F(MenuTest, KeysScrollPastTheVisibleItemsAndTheArrowsHideAtTheEnds) {
    const std::string spec = Items(20);
    uint16_t upAtStart = 0, downAtStart = 0, upAtEnd = 0, downAtEnd = 0;
    PostProbe([&] {
        upAtStart = menu->bar.buttons[0].flags;
        downAtStart = menu->bar.buttons[menu->visibleCount + 1].flags;
    });
    Key(VK_UP);                                     // nothing hidden above: nothing happens
    for (int i = 0; i < 10 + 9; ++i) Key(VK_DOWN);  // to the last slot, then 9 scrolls
    PostProbe([&] {
        upAtEnd = menu->bar.buttons[0].flags;
        downAtEnd = menu->bar.buttons[menu->visibleCount + 1].flags;
    });
    Key(VK_DOWN);  // nothing more below
    Key(VK_RETURN);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "", spec.c_str(), kMenuRun), 20);
    // (320 + 18 - 58) / 25 = 11 of the 20 items fit.
    EXPECT_EQ(menu->visibleCount, 11);
    EXPECT_EQ(menu->firstVisible, 9);
    EXPECT_TRUE(upAtStart & kBarButtonHidden);
    EXPECT_FALSE(downAtStart & kBarButtonHidden);
    EXPECT_FALSE(upAtEnd & kBarButtonHidden);
    EXPECT_TRUE(downAtEnd & kBarButtonHidden);

    // Up on the first visible item scrolls back by one.
    for (int i = 0; i < 10; ++i) Key(VK_UP);
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "", spec.c_str(), kMenuRun), 9);
    EXPECT_EQ(menu->firstVisible, 8);
}

TEST_F(MenuTest, AnimationFramesArePacedByTheClock) {
    Key(VK_RETURN);
    EXPECT_EQ(RunChoiceMenu(menu.get(), &display, "", "01Yes,02No",
                            kMenuOpenAnimation | kMenuRun | kMenuCloseAnimation),
              1);
    // Width 150 and height 77: the opening takes ceil(74 / 10) + ceil(37 / 10)
    // frames, the closing ceil(38 / 10) + floor(75 / 10) + 1. Presents 0 and 1
    // are the test's screen and the menu's snapshot; the last one restores the
    // screen. The clock counts whole milliseconds, so a 20 ms wait may show
    // as 19 between two presents.
    const std::vector<uint32_t>& times = display.PresentTimes();
    const size_t opening = 8 + 4;
    const size_t closing = 4 + 8;
    ASSERT_GE(times.size(), 2 + opening + closing + 1);
    for (size_t i = 3; i < 2 + opening; ++i) EXPECT_GE(times[i] - times[i - 1], 19u) << i;
    EXPECT_GE(times[2 + opening] - times[1], 20u * (opening - 1));
    const size_t end = times.size() - 1;
    for (size_t i = end - closing + 1; i <= end; ++i) EXPECT_GE(times[i] - times[i - 1], 19u) << i;
}

TEST_F(MenuTest, PopupSkipsUnselectableItemsAndCancelsOutside) {
    SetPopupFont(popup.get(), TestFont());
    // Item rows of 8 pixels from y = 50: Open, a separator, Checked.
    Post(WM_LBUTTONDOWN, 0, PackPoint(30, 50 + 8 + 3));
    Post(WM_LBUTTONUP, 0, PackPoint(30, 50 + 8 + 3));  // the separator: keeps tracking
    int32_t hovered = -1;
    Post(WM_MOUSEMOVE, 0, PackPoint(30, 50 + 3));
    PostProbe([&] { hovered = popup->hovered; });
    Post(WM_MOUSEMOVE, 0, PackPoint(30, 50 + 8 + 3));
    Post(WM_LBUTTONUP, 0, PackPoint(30, 50 + 16 + 3));
    EXPECT_EQ(RunPopup(popup.get(), &display, 20, 50, "01Open,00,02*Checked\tF2"), 2);
    EXPECT_EQ(hovered, 1);
    EXPECT_EQ(popup->hovered, 0);  // the separator cannot be hovered
    EXPECT_EQ(popup->penY, 50 + 16 + 3);

    Post(WM_LBUTTONUP, 0, PackPoint(5, 5));
    EXPECT_EQ(RunPopup(popup.get(), &display, 20, 50, "01Open,00,02Close"), 0);
    EXPECT_EQ(RunPopup(popup.get(), &display, 20, 50, ""), 0);
    EXPECT_EQ(Shown(25, 55), kBackground);
}

TEST_F(MenuTest, PopupNearTheEdgesEndsFivePixelsInside) {
    SetPopupFont(popup.get(), TestFont());
    Post(WM_LBUTTONUP, 0, PackPoint(0, 0));
    // Widest label 8 characters of 6 pixels: 48 + 10 wide; 3 rows of 8.
    EXPECT_EQ(RunPopup(popup.get(), &display, 230, 310, "01Short,02Longer!,03Longest!"), 0);
    EXPECT_EQ(popup->width, 58);
    EXPECT_EQ(popup->left, 240 - 58 - 5);
    EXPECT_EQ(popup->top, 320 - 24 - 5);

    Post(WM_LBUTTONUP, 0, PackPoint(0, 0));
    popup->flags = kPopupOpenUpward;
    EXPECT_EQ(RunPopup(popup.get(), &display, 10, 12, "01A,02B"), 0);
    EXPECT_EQ(popup->top, 5);
    EXPECT_EQ(popup->left, 10);
}

TEST_F(MenuTest, PopupDrawsCheckMarksAndTheSecondColumn) {
    SetPopupFont(popup.get(), TestFont());
    SetPopupColours(popup.get(), 0xFFFF, 0x001F, 0x85BF, 0x07FF, 0x001F, 0x0000);
    uint16_t box = 0, secondColumn = 0, background = 0;
    PostProbe([&] {
        box = Shown(popup->left + 7, popup->top + 4);
        secondColumn = Shown(popup->secondColumnX + 1, popup->top + 3);
        background = Shown(popup->left + 2, popup->top + 3);
    });
    Post(WM_LBUTTONUP, 0, PackPoint(0, 0));
    EXPECT_EQ(RunPopup(popup.get(), &display, 20, 50, "01*Check\tF2"), 0);
    // "*Check\tF2": 9 characters of 6, +20 for the marker, +10 for the tab.
    EXPECT_EQ(popup->width, 54 + 20 + 10);
    EXPECT_EQ(popup->secondColumnX, 20 + 84 - 12 - 5);
    EXPECT_EQ(box, 0x0000);
    EXPECT_EQ(background, 0xFFFF);
    EXPECT_EQ(secondColumn & 0x1F, 0x1F);
}

}  // namespace
}  // namespace ampliro
