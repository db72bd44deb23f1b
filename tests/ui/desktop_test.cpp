#include "ui/desktop.h"

#include <gtest/gtest.h>

#include "platform/window/message_queue.h"
#include "platform/window/window.h"
#include "widget_harness.h"

namespace ampliro {
namespace {

using testing::DesktopFixture;
using testing::RecordingWidget;

class DesktopTest : public ::testing::Test, public DesktopFixture {};

TEST_F(DesktopTest, HitTestEdgesAreStrict) {
    RecordingWidget w;
    Place(desktop, w, 10, 20, 30, 40);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 10, 30), nullptr);  // left edge
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 20, 20), nullptr);  // top edge
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 40, 30), nullptr);  // x + width
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 20, 60), nullptr);  // y + height
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 11, 21), &w);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 39, 59), &w);
}

TEST_F(DesktopTest, OverlappingSiblingsFirstAddedWinsAndChildrenComeFirst) {
    RecordingWidget first, second, panel, inner;
    Place(desktop, first, 0, 0, 100, 100);
    Place(desktop, second, 50, 50, 100, 100);
    Place(desktop, panel, 150, 150, 80, 80);
    Place(panel, inner, 10, 10, 20, 20);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 75, 75), &first);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 120, 120), &second);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 165, 165), &inner);
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 200, 200), &panel);
    first.SetFlags(0);  // invisible widgets are not found
    EXPECT_EQ(Desktop::HitTest(&desktop, nullptr, 75, 75), &second);
}

TEST_F(DesktopTest, PenReachesTheWidgetInItsOwnCoordinates) {
    RecordingWidget panel, inner;
    Place(desktop, panel, 100, 100, 100, 100);
    Place(panel, inner, 10, 20, 30, 30);
    Pen(WM_LBUTTONDOWN, 115, 125);
    ASSERT_NE(inner.Last(WM_LBUTTONDOWN), nullptr);
    EXPECT_EQ(inner.Last(WM_LBUTTONDOWN)->lParam, PackPoint(5, 5));
    EXPECT_EQ(inner.Last(WM_LBUTTONDOWN)->wParam, reinterpret_cast<uintptr_t>(&desktop));
    EXPECT_EQ(panel.Count(WM_LBUTTONDOWN), 0);
    // Nothing under the pen and nothing captured: dropped.
    EXPECT_EQ(Pen(WM_LBUTTONDOWN, 5, 5), 0);
}

TEST_F(DesktopTest, CaptureHolderKeepsThePenOverOtherWidgets) {
    RecordingWidget knob, button;
    Place(desktop, knob, 10, 10, 40, 40);
    Place(desktop, button, 100, 10, 40, 40);
    desktop.SetCapture(&knob);
    Pen(WM_MOUSEMOVE, 120, 30);
    Pen(WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(button.Count(WM_MOUSEMOVE) + button.Count(WM_LBUTTONUP), 0);
    ASSERT_EQ(knob.Count(WM_MOUSEMOVE), 1);
    EXPECT_EQ(knob.Last(WM_MOUSEMOVE)->lParam, PackPoint(110, 20));
    // Left of and above the holder: negative local coordinates, seen unsigned.
    EXPECT_EQ(knob.Last(WM_LBUTTONUP)->lParam, PackPoint(-5, -5));
    EXPECT_EQ(knob.Last(WM_LBUTTONUP)->lParam & 0xFFFF, 0xFFFBu);
}

TEST_F(DesktopTest, CaptureStillLetsTheHolderChildrenBeHit) {
    RecordingWidget combo, list, other;
    Place(desktop, combo, 10, 10, 100, 100);
    Place(combo, list, 0, 20, 100, 80);
    Place(desktop, other, 150, 10, 50, 50);
    desktop.SetCapture(&combo);
    EXPECT_EQ(Desktop::HitTest(&desktop, &combo, 50, 50), &list);
    EXPECT_EQ(Desktop::HitTest(&desktop, &combo, 170, 30), nullptr);
}

TEST_F(DesktopTest, FocusFollowsPenDownOnlyToFocusableWidgets) {
    RecordingWidget plain, edit;
    plain.SetBounds(10, 10, 40, 40);
    edit.SetBounds(100, 10, 40, 40);
    edit.SetFlags(kVisible | kCanFocus);
    desktop.AddChild(&plain);
    desktop.AddChild(&edit);
    Pen(WM_LBUTTONDOWN, 120, 30);
    EXPECT_EQ(desktop.focus, &edit);
    EXPECT_TRUE(edit.flags & kHasFocus);
    Pen(WM_LBUTTONDOWN, 30, 30);
    EXPECT_EQ(desktop.focus, &edit);
    desktop.HandleMessage(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(edit.Count(WM_KEYDOWN), 1);
    EXPECT_EQ(plain.Count(WM_KEYDOWN), 0);
    EXPECT_EQ(SetFocus(nullptr), &edit);  // the global form returns the old holder
    EXPECT_FALSE(edit.flags & kHasFocus);
    EXPECT_EQ(desktop.HandleMessage(WM_KEYDOWN, VK_UP, 0), 0);
}

TEST_F(DesktopTest, DisabledWidgetGetsNoPenButPaintsAndTakesKeys) {
    RecordingWidget w;
    w.SetBounds(10, 10, 40, 40);
    w.SetFlags(kVisible | kDisabled | kCanFocus);
    w.fill = true;
    w.colour = 0x07E0;
    desktop.AddChild(&w);
    Pen(WM_LBUTTONDOWN, 30, 30);
    Pen(WM_LBUTTONUP, 30, 30);
    EXPECT_EQ(w.Count(WM_LBUTTONDOWN) + w.Count(WM_LBUTTONUP), 0);
    desktop.SetFocus(&w);
    desktop.HandleMessage(WM_CHAR, 'a', 0);
    EXPECT_EQ(w.Count(WM_CHAR), 1);
    Paint();
    EXPECT_EQ(Pixel(30, 30), 0x07E0);
}

TEST_F(DesktopTest, TimersReachEveryWidgetOrOnlyTheCaptureHolder) {
    RecordingWidget a, b, nested;
    a.SetBounds(0, 0, 10, 10);
    b.SetBounds(20, 0, 10, 10);
    desktop.AddChild(&a);
    desktop.AddChild(&b);
    b.AddChild(&nested);
    desktop.HandleMessage(WM_TIMER, 7, 0);
    EXPECT_EQ(a.Count(WM_TIMER), 1);
    EXPECT_EQ(b.Count(WM_TIMER), 1);
    EXPECT_EQ(nested.Count(WM_TIMER), 1);
    desktop.SetCapture(&a);
    desktop.HandleMessage(WM_TIMER, 7, 0);
    EXPECT_EQ(a.Count(WM_TIMER), 2);
    EXPECT_EQ(b.Count(WM_TIMER), 1);
}

TEST_F(DesktopTest, PopupChildrenPaintAfterEverythingElse) {
    std::vector<Widget*> order;
    RecordingWidget combo, list, later;
    combo.SetBounds(10, 10, 100, 20);
    list.SetBounds(0, 20, 100, 100);
    later.SetBounds(0, 50, 240, 40);
    for (RecordingWidget* w : {&combo, &list, &later}) {
        w->fill = true;
        w->paintOrder = &order;
    }
    combo.colour = 0x001F;
    list.colour = 0xF800;
    later.colour = 0x07E0;
    desktop.AddChild(&combo);
    combo.AddChild(&list);
    desktop.AddChild(&later);
    Paint();
    EXPECT_EQ(Pixel(50, 60), 0x07E0);  // without a popup the later sibling covers the list
    EXPECT_EQ(desktop.SetPopup(&combo), nullptr);
    order.clear();
    Paint();
    EXPECT_EQ(Pixel(50, 60), 0xF800);  // the popup's list paints over it
    EXPECT_EQ(Pixel(50, 15), 0x001F);  // the popup itself paints in its place
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), &list);
    EXPECT_TRUE(combo.flags & kPopup);
    desktop.Reset();
    EXPECT_FALSE(combo.flags & kPopup);
    EXPECT_EQ(desktop.firstChild, nullptr);
}

TEST_F(DesktopTest, BlinkPhaseCyclesThroughThirtyOneValues) {
    std::vector<int32_t> phases;
    for (int i = 0; i < 33; ++i) {
        desktop.HandleMessage(WM_PAINT, 0, 0);
        phases.push_back(desktop.BlinkPhase());
    }
    EXPECT_EQ(phases[0], 1);
    EXPECT_EQ(phases[29], 30);
    EXPECT_EQ(phases[30], 0);
    EXPECT_EQ(phases[31], 1);
}

TEST_F(DesktopTest, RenderCopiesTheBackgroundAndPresents) {
    std::unique_ptr<Surface> background(CreateSurface(240, 320));
    Clear(background.get(), 0x1234);
    RecordingWidget w;
    w.SetBounds(10, 10, 10, 10);
    w.fill = true;
    w.colour = 0xFFFF;
    desktop.AddChild(&w);
    desktop.Render(background.get());  // begins its own frame
    EXPECT_EQ(display.PresentCount(), 1);
    EXPECT_EQ(Pixel(0, 0), 0x1234);
    EXPECT_EQ(Pixel(15, 15), 0xFFFF);
    // A smaller background covers only its own rows and columns.
    std::unique_ptr<Surface> small(CreateSurface(20, 20));
    Clear(small.get(), 0x4321);
    display.BeginScene();
    Clear(display.GetBackBuffer(), 0);
    desktop.Render(small.get());
    EXPECT_EQ(Pixel(5, 19), 0x4321);
    EXPECT_EQ(Pixel(20, 0), 0x0000);
    EXPECT_EQ(Pixel(0, 20), 0x0000);
}

TEST_F(DesktopTest, RenderDoesNothingWhileTheDisplayIsInactive) {
    display.SetActive(false);
    desktop.Render(nullptr);
    EXPECT_EQ(display.PresentCount(), 0);
}

TEST_F(DesktopTest, AWidgetThatGoesAwayIsLetGoOf) {
    {
        RecordingWidget w;
        w.SetFlags(kVisible | kCanFocus);
        desktop.SetFocus(&w);
        desktop.SetCapture(&w);
        desktop.SetPopup(&w);
    }
    EXPECT_EQ(desktop.focus, nullptr);
    EXPECT_EQ(desktop.capture, nullptr);
    EXPECT_EQ(desktop.popup, nullptr);
    desktop.HandleMessage(WM_TIMER, 1, 0);  // would reach the dead widget
    {
        Desktop local;
        MemoryDisplay other(240, 320);
        local.Attach(&other, nullptr);
        EXPECT_EQ(CurrentDesktop, &local);
    }
    EXPECT_EQ(CurrentDesktop, nullptr);
    CurrentDesktop = &desktop;
}

TEST_F(DesktopTest, AttachFailsWithoutDisplayAndCoversTheScreen) {
    Desktop other;
    EXPECT_EQ(other.Attach(nullptr, nullptr), 0);
    EXPECT_EQ(CurrentDesktop, &desktop);
    EXPECT_EQ(desktop.width, 240);
    EXPECT_EQ(desktop.height, 320);
    EXPECT_EQ(desktop.kind, kKindDesktop);
}

// Where the caption's first glyph lands: the top-left pixel lit, the ones left
// of and above it not.
::testing::AssertionResult CaptionAt(DesktopFixture& f, int32_t x, int32_t y) {
    if (f.Pixel(x, y) == 0) return ::testing::AssertionFailure() << "nothing at " << x << "," << y;
    if (f.Pixel(x - 1, y) != 0 || f.Pixel(x, y - 1) != 0)
        return ::testing::AssertionFailure() << "caption starts before " << x << "," << y;
    return ::testing::AssertionSuccess();
}

TEST_F(DesktopTest, CaptionsArePlacedAroundOrInsideTheWidget) {
    auto font = testing::MakeBlockFont();  // glyphs 6 x 10
    desktop.SetCaptionFont(font.get());
    RecordingWidget w;
    w.SetBounds(50, 50, 40, 20);
    w.SetFlags(kVisible | kShowCaption);
    desktop.AddChild(&w);
    const char* text = "#FF0000Ab";  // 12 pixels wide
    const struct {
        uint16_t placement;
        int32_t x, y;
    } cases[] = {
        {0x08, 64, 72},  // below, centred
        {0x04, 64, 38},  // above: y - 10 - 2
        {0x01, 33, 55},  // left: x - 12 - 5, centred vertically
        {0x02, 95, 55},  // right: x + 40 + 5
        {0x20, 50, 38},  // above, left-aligned
        {0x00, 64, 55},  // centred
        {0x11, 55, 55},  // inside left
        {0x12, 73, 55},  // inside right: x + 40 - 12 - 5
        {0x14, 64, 55},  // inside top: y + 5
        {0x18, 64, 55},  // inside bottom: y + 20 - 10 - 5
        {0x30, 55, 55},  // inside top-left
        {0x50, 66, 57},  // inside, pressed: 2 right and 2 down
        {0x48, 64, 72},  // pressed moves only inside captions
    };
    for (const auto& c : cases) {
        w.SetCaption(1, text, c.placement);
        Paint();
        EXPECT_TRUE(CaptionAt(*this, c.x, c.y)) << "placement " << c.placement;
        EXPECT_GE(Pixel(c.x, c.y) >> 11, 28) << "the caption's own colour code: red";
    }
    w.SetFlags(kVisible);
    Paint();
    EXPECT_EQ(Pixel(64, 72), 0);
    // A caption on a nested widget lands at its absolute position.
    RecordingWidget panel, inner;
    panel.SetBounds(100, 200, 100, 100);
    inner.SetBounds(10, 10, 40, 20);
    inner.SetFlags(kVisible | kShowCaption);
    inner.SetCaption(2, text, 0x08);
    desktop.AddChild(&panel);
    panel.AddChild(&inner);
    Paint();
    EXPECT_TRUE(CaptionAt(*this, 100 + 10 + 14, 200 + 10 + 22));
    desktop.SetCaptionFont(nullptr);
}

std::vector<uint32_t> dispatched;
intptr_t RecordProcedure(Window* window, uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    dispatched.push_back(message);
    return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(DesktopTest, NotificationsArePostedToTheWindowWithTheFlagAndPumped) {
    ResetMessageQueue();
    dispatched.clear();
    WindowDescription d;
    d.procedure = &RecordProcedure;
    d.native = false;
    Window* window = Window::Create(d);
    ASSERT_NE(window, nullptr);
    desktop.window = window;
    RecordingWidget parent, control;
    parent.AddChild(&control);
    control.Notify(WM_COMMAND, MakeCommand(3, 0), 0);
    Message msg;
    EXPECT_FALSE(PeekMessage(&msg));  // flag clear: the parent only
    control.SetFlags(kVisible | kPostNotifications);
    control.Notify(WM_COMMAND, MakeCommand(3, 0), 42);
    EXPECT_EQ(parent.Count(WM_COMMAND), 2);

    RecordingWidget focused;
    focused.SetFlags(kVisible | kCanFocus);
    desktop.AddChild(&focused);
    desktop.SetFocus(&focused);
    PostMessage(window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessage(window, WM_ACTIVATE, 1, 0);
    // The command comes back through the queue; the pump drops it.
    ASSERT_EQ(desktop.PumpMessage(&msg), 1);
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(msg.lParam, 42u);
    EXPECT_EQ(parent.Count(WM_COMMAND), 2);
    ASSERT_EQ(desktop.PumpMessage(&msg), 1);
    EXPECT_EQ(focused.Count(WM_KEYDOWN), 1);
    // The Enter key was translated into a character.
    ASSERT_EQ(desktop.PumpMessage(&msg), 1);
    ASSERT_EQ(desktop.PumpMessage(&msg), 1);
    EXPECT_EQ(focused.Count(WM_CHAR), 1);
    EXPECT_EQ(dispatched.back(), WM_ACTIVATE);
    PostQuitMessage(0);
    EXPECT_EQ(desktop.PumpMessage(&msg), 0);
    // Nothing left and nothing can arrive: a failed fetch, not a hang.
    EXPECT_EQ(desktop.PumpMessage(&msg), -1);
    desktop.window = nullptr;
    Window::Destroy(window);
}

}  // namespace
}  // namespace ampliro
