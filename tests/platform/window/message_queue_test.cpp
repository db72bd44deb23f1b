#include "platform/window/message_queue.h"

#include <gtest/gtest.h>

#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

uint32_t queueNow = 0;
uint32_t QueueClock() {
    return queueNow;
}

std::vector<uint32_t> delivered;
intptr_t Record(Window* w, uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    delivered.push_back(message);
    return DefWindowProc(w, message, wParam, lParam);
}

class MessageQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMessageQueue();
        SetMessageClock(&QueueClock);
        queueNow = 1000;
        delivered.clear();
        WindowDescription d;
        d.procedure = &Record;
        d.native = false;
        window = Window::Create(d);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        Window::Destroy(window);
        ResetMessageQueue();
        SetMessageClock(nullptr);
    }
    Window* window = nullptr;
};

TEST_F(MessageQueueTest, PostedMessagesComeBackInOrder) {
    EXPECT_EQ(delivered, (std::vector<uint32_t>{WM_CREATE}));
    PostMessage(window, WM_KEYDOWN, VK_LEFT, 0);
    PostMessage(window, WM_COMMAND, 5, 6);
    Message msg;
    ASSERT_TRUE(PeekMessage(&msg, false));  // look without taking
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_EQ(msg.wParam, VK_LEFT);
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(msg.lParam, 6u);
    EXPECT_FALSE(PeekMessage(&msg));
}

TEST_F(MessageQueueTest, TimersTickAtTheirPeriodOnlyWhenTheQueueIsEmpty) {
    SetTimer(window, 1000, 50);
    Message msg;
    queueNow += 49;
    EXPECT_FALSE(PeekMessage(&msg));
    queueNow += 1;
    PostMessage(window, WM_KEYDOWN, VK_UP, 0);
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);  // input first
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, 1000u);
    EXPECT_EQ(msg.window, window);
    // A slow reader sees one tick, not a backlog.
    queueNow += 500;
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_FALSE(PeekMessage(&msg));
    queueNow += 50;
    KillTimer(window, 1000);
    EXPECT_FALSE(PeekMessage(&msg));
}

TEST_F(MessageQueueTest, KillingATimerDropsItsPendingTick) {
    SetTimer(window, 7, 10);
    queueNow += 10;
    Message msg;
    ASSERT_TRUE(PeekMessage(&msg, false));  // generated and left waiting
    KillTimer(window, 7);
    EXPECT_FALSE(PeekMessage(&msg));
}

TEST_F(MessageQueueTest, GetMessageWaitsForTheNextTimerAndStopsAtQuit) {
    SetMessageClock(nullptr);  // the real clock: the wait sleeps until the tick
    SetTimer(window, 3, 1);
    Message msg;
    EXPECT_EQ(GetMessage(&msg), 1);
    EXPECT_EQ(msg.message, WM_TIMER);
    KillTimer(window, 3);
    PostQuitMessage(4);
    EXPECT_EQ(GetMessage(&msg), 0);
    EXPECT_EQ(msg.wParam, 4u);
    EXPECT_EQ(GetMessage(&msg), -1);  // nothing can arrive any more
}

TEST_F(MessageQueueTest, TranslateTurnsControlKeysIntoCharacters) {
    Message key{window, WM_KEYDOWN, VK_BACK, 1, 0};
    TranslateMessage(&key);
    key.wParam = 'A';  // printable characters come from text input instead
    TranslateMessage(&key);
    Message msg;
    ASSERT_TRUE(PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, VK_BACK);
    EXPECT_FALSE(PeekMessage(&msg));
}

TEST_F(MessageQueueTest, CloseDestroysTheWindowAndItsMessagesGo) {
    PostMessage(window, WM_CLOSE, 0, 0);
    PostMessage(window, WM_KEYDOWN, VK_UP, 0);
    SetTimer(window, 1, 5);
    Message msg;
    ASSERT_TRUE(PeekMessage(&msg));
    DispatchMessage(&msg);
    EXPECT_FALSE(Window::IsAlive(window));
    EXPECT_EQ(delivered.back(), WM_DESTROY);
    queueNow += 100;
    EXPECT_FALSE(PeekMessage(&msg));
    EXPECT_FALSE(PostMessage(window, WM_KEYDOWN, VK_UP, 0));
    window = nullptr;
}

}  // namespace
}  // namespace ampliro
