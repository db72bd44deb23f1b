#include "platform/threads/thread_queue.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/system/clock.h"
#include "platform/threads/thread.h"

namespace ampliro {
namespace {

TEST(ThreadQueueTest, MessagesArriveInOrderAndQuitComesAfterThem) {
    ThreadQueue queue;
    EXPECT_TRUE(queue.Post(0x3C0, 1, 2));
    EXPECT_TRUE(queue.Post(0x3BD, 3, 4));
    queue.PostQuit();
    ThreadMessage message;
    EXPECT_EQ(queue.Get(message), 1);
    EXPECT_EQ(message.message, 0x3C0u);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2u);
    EXPECT_EQ(queue.Get(message), 1);
    EXPECT_EQ(message.message, 0x3BDu);
    EXPECT_EQ(queue.Get(message), 0);
    EXPECT_EQ(message.message, kQuitMessage);
}

TEST(ThreadQueueTest, APostedQuitMessageEndsTheWaitToo) {
    ThreadQueue queue;
    queue.Post(kQuitMessage, 0, 0);
    ThreadMessage message;
    EXPECT_EQ(queue.Get(message), 0);
}

TEST(ThreadQueueTest, AFullRingRefusesPostsButStillDeliversTheQuit) {
    ThreadQueue queue;
    for (size_t i = 0; i < ThreadQueue::kCapacity; ++i) ASSERT_TRUE(queue.Post(1, i, 0));
    EXPECT_FALSE(queue.Post(1, 9999, 0));
    queue.PostQuit();
    ThreadMessage message;
    for (size_t i = 0; i < ThreadQueue::kCapacity; ++i) {
        ASSERT_EQ(queue.Get(message), 1);
        ASSERT_EQ(message.wParam, i);
    }
    EXPECT_EQ(queue.Get(message), 0);
    EXPECT_EQ(queue.Pending(), 0u);
}

int gHandled = 0;

int CountUntilQuit(ThreadQueue& queue) {
    ThreadMessage message;
    while (queue.Get(message) != 0) {
        SleepMilliseconds(1);
        ++gHandled;
    }
    return 42;
}

TEST(MessageThreadTest, WaitUntilIdleReturnsOnceEveryMessageIsHandled) {
    gHandled = 0;
    MessageThread thread;
    ASSERT_TRUE(thread.Start(&CountUntilQuit));
    EXPECT_TRUE(thread.Running());
    EXPECT_FALSE(thread.Start(&CountUntilQuit));
    for (int i = 0; i < 20; ++i) thread.Queue().Post(7, 0, 0);
    thread.Queue().WaitUntilIdle();
    EXPECT_EQ(gHandled, 20);
    thread.Quit();
    EXPECT_FALSE(thread.Running());
    EXPECT_EQ(thread.ExitCode(), 42);

    // The same object starts a fresh thread.
    ASSERT_TRUE(thread.Start(&CountUntilQuit));
    thread.Queue().Post(7, 0, 0);
    thread.Queue().WaitUntilIdle();
    EXPECT_EQ(gHandled, 21);
}

int ReturnAtOnce(ThreadQueue&) {
    return 5;
}

TEST(MessageThreadTest, AQuitNobodyTookDoesNotEndTheNextThread) {
    gHandled = 0;
    MessageThread thread;
    ASSERT_TRUE(thread.Start(&ReturnAtOnce));
    while (thread.Running()) SleepMilliseconds(1);
    thread.Queue().PostQuit();  // as if it raced with the thread's own end
    ASSERT_TRUE(thread.Start(&CountUntilQuit));
    thread.Queue().Post(7, 0, 0);
    EXPECT_TRUE(thread.Queue().WaitUntilIdleFor(5000));
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(gHandled, 1);
}

TEST(MessageThreadTest, RaisedPriorityIsWhatTheThreadReallyRuns) {
    ThreadPriority level = ThreadPriority::kUnchanged;
    int policy = -1;
    int nice = 0;
    int niceBefore = 0;
    std::thread probe([&] {
        niceBefore = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        level = RaiseCurrentThreadToRealTime();
        policy = sched_getscheduler(0);
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    });
    probe.join();
    switch (level) {
        case ThreadPriority::kRealTime:
            EXPECT_EQ(policy, SCHED_FIFO);
            break;
        case ThreadPriority::kRaisedNice:
            EXPECT_NE(policy, SCHED_FIFO);
            EXPECT_LT(nice, niceBefore);
            break;
        case ThreadPriority::kUnchanged:
            EXPECT_NE(policy, SCHED_FIFO);
            EXPECT_EQ(nice, niceBefore);
            break;
    }
}

}  // namespace
}  // namespace ampliro
