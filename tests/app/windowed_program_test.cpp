#include "app/windowed_program.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/memory_display.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

uint32_t fakeNow = 0;
std::vector<uint32_t> waits;
uint32_t FakeClock() {
    return fakeNow;
}
void FakeSleep(uint32_t ms) {
    waits.push_back(ms);
    fakeNow += ms;
}

struct Input {
    uint32_t message;
    uintptr_t wParam;
    uintptr_t lParam;
};

// A program on a memory display, without a native window.
class TestProgram : public WindowedProgram {
  public:
    TestProgram(int32_t displayWidth = kScreenWidth, int32_t displayHeight = kScreenHeight)
        : displayWidth_(displayWidth), displayHeight_(displayHeight) {
        headless = true;
        clock = &FakeClock;
        wait = &FakeSleep;
    }
    int OpenDisplay(int32_t o) override {
        orientation = o;
        delete display;
        memory = new MemoryDisplay(displayWidth_, displayHeight_);
        display = memory;
        return 1;
    }
    int Frame() override {
        frameTimes.push_back(fakeNow);
        return static_cast<int>(frameTimes.size()) < framesToRun;
    }
    int QueryClose() override {
        ++questions;
        // The question box pumps messages; a second close may arrive meanwhile.
        if (closeDuringQuestion) window->Send(WM_CLOSE, 0, 0);
        return allowClose;
    }
    int OnCreate() override { return createResult; }
    void Init() override { ++inits; }
    int Shutdown() override {
        ++shutdowns;
        return 7;
    }
    int HandleInput(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        inputs.push_back({message, wParam, lParam});
        return 0;
    }

    MemoryDisplay* memory = nullptr;
    std::vector<uint32_t> frameTimes;
    std::vector<Input> inputs;
    int framesToRun = 4;
    int questions = 0;
    int allowClose = 1;
    bool closeDuringQuestion = false;
    int createResult = 1;
    int inits = 0;
    int shutdowns = 0;

  private:
    int32_t displayWidth_, displayHeight_;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMessageQueue();
        fakeNow = 0;
    }
    void TearDown() override { ResetMessageQueue(); }
    void Drain() {
        Message msg;
        while (PeekMessage(&msg)) {
            if (msg.message == WM_QUIT) quits++;
            DispatchMessage(&msg);
        }
    }
    int quits = 0;
};

TEST_F(ProgramTest, FramePeriodIsWholeMilliseconds) {
    TestProgram program;
    program.framesPerSecond = 20;
    EXPECT_EQ(program.FramePeriod(), 50u);
    program.framesPerSecond = 30;
    EXPECT_EQ(program.FramePeriod(), 33u);
    program.framesPerSecond = 0;
    EXPECT_EQ(program.FramePeriod(), 1000u);
}

TEST_F(ProgramTest, RunCallsFrameOncePerPeriodAndEndsWhenFrameSaysSo) {
    TestProgram program;
    program.framesPerSecond = 20;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    Window* window = program.window;
    EXPECT_EQ(program.Run(), 7);
    EXPECT_EQ(program.frameTimes, (std::vector<uint32_t>{50, 100, 150, 200}));
    EXPECT_EQ(program.shutdowns, 1);
    EXPECT_FALSE(Window::IsAlive(window));  // Frame's 0 destroyed the window
    EXPECT_EQ(program.window, nullptr);
}

TEST_F(ProgramTest, AnIdleLoopWaitsOnceAFrameInsteadOfPolling) {
    TestProgram program;
    program.framesPerSecond = 20;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    waits.clear();
    fakeNow = 0;
    program.Run();
    EXPECT_EQ(waits, (std::vector<uint32_t>{50, 50, 50, 50}));
}

TEST_F(ProgramTest, ThirtyFramesASecondStepBy33) {
    TestProgram program;
    program.framesToRun = 3;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    program.Run();
    EXPECT_EQ(program.frameTimes, (std::vector<uint32_t>{33, 66, 99}));
}

TEST_F(ProgramTest, MessagesAreDispatchedBetweenFramesAndQuitEndsTheLoop) {
    TestProgram program;
    program.framesToRun = 1000;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    PostMessage(program.window, WM_KEYDOWN, VK_LEFT, 0);
    PostMessage(program.window, WM_LBUTTONDOWN, 1, PackPoint(12, 34));
    PostQuitMessage(0);
    EXPECT_EQ(program.Run(), 7);
    ASSERT_EQ(program.inputs.size(), 2u);
    EXPECT_EQ(program.inputs[0].message, WM_KEYDOWN);
    EXPECT_EQ(program.inputs[0].wParam, VK_LEFT);
    // Orientation 0 with a display of the screen's size: the position as is.
    EXPECT_EQ(program.inputs[1].lParam, PackPoint(12, 34));
    EXPECT_TRUE(program.frameTimes.empty());
}

TEST_F(ProgramTest, CreationSetsUpKeysDisplayAndInit) {
    TestProgram program;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    EXPECT_EQ(RunningProgram(), &program);
    EXPECT_EQ(program.inits, 1);
    const uint16_t expected[8] = {38, 40, 37, 39, 13, 32, 17, 16};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(program.keys[i], expected[i]) << i;
    EXPECT_FLOAT_EQ(InputScaleX(), 1.0f);
    EXPECT_FLOAT_EQ(InputScaleY(), 1.0f);
}

TEST_F(ProgramTest, OnCreateRefusalFailsTheWindow) {
    TestProgram program;
    program.createResult = 0;
    EXPECT_EQ(program.CreateMainWindow(nullptr), nullptr);
    EXPECT_EQ(program.inits, 0);
}

TEST_F(ProgramTest, CloseAsksAndMayBeRefused) {
    TestProgram program;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    Window* window = program.window;
    program.allowClose = 0;
    program.RequestClose();
    Drain();
    EXPECT_EQ(program.questions, 1);
    EXPECT_TRUE(Window::IsAlive(window));
    program.allowClose = 1;
    program.RequestClose();
    Drain();
    EXPECT_EQ(program.questions, 2);
    EXPECT_FALSE(Window::IsAlive(window));
    EXPECT_EQ(quits, 1);  // WM_DESTROY posted the quit
}

TEST_F(ProgramTest, SecondCloseDuringTheQuestionIsIgnored) {
    TestProgram program;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    Window* window = program.window;
    // A double click on the close box: the second close arrives while the
    // question is open. Answered No, the program goes on.
    program.allowClose = 0;
    program.closeDuringQuestion = true;
    program.RequestClose();
    Drain();
    EXPECT_EQ(program.questions, 1);  // not asked twice
    EXPECT_TRUE(Window::IsAlive(window));
    EXPECT_EQ(quits, 0);

    // Answered Yes, the window goes once.
    program.allowClose = 1;
    program.RequestClose();
    Drain();
    EXPECT_EQ(program.questions, 2);
    EXPECT_FALSE(Window::IsAlive(window));
    EXPECT_EQ(quits, 1);
}

TEST_F(ProgramTest, ActivationAndPaintReachTheDisplay) {
    TestProgram program;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    const int before = program.memory->PresentCount();
    program.window->Send(WM_ACTIVATE, 0, 0);
    EXPECT_EQ(program.active, 0);
    EXPECT_FALSE(program.memory->Active());
    EXPECT_EQ(program.BackBuffer(), nullptr);
    program.window->Send(WM_PAINT, 0, 0);
    EXPECT_EQ(program.memory->PresentCount(), before);
    program.window->Send(WM_ACTIVATE, 1, 0);
    EXPECT_TRUE(program.memory->Active());
    program.window->Send(WM_PAINT, 0, 0);
    EXPECT_EQ(program.memory->PresentCount(), before + 1);
    EXPECT_EQ(program.memory->LastPresentFlags(), 0u);
    EXPECT_EQ(program.window->Send(WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(ProgramTest, PenPositionsFollowOrientationAndDisplayScale) {
    TestProgram program(120, 160);  // half the screen in each direction
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    EXPECT_FLOAT_EQ(InputScaleX(), 0.5f);
    EXPECT_FLOAT_EQ(InputScaleY(), 0.5f);
    EXPECT_EQ(program.MapPenPosition(PackPoint(101, 51)), PackPoint(50, 25));  // truncated
    program.window->Send(WM_MOUSEMOVE, 1, PackPoint(40, 80));
    EXPECT_EQ(program.inputs.back().lParam, PackPoint(20, 40));
}

TEST_F(ProgramTest, TurnedOrientationsMapThePen) {
    TestProgram program(kScreenHeight, kScreenWidth);  // the turned screen
    program.orientation = 1;
    ASSERT_NE(program.CreateMainWindow(nullptr), nullptr);
    EXPECT_FLOAT_EQ(InputScaleX(), 1.0f);
    EXPECT_EQ(program.MapPenPosition(PackPoint(10, 20)), PackPoint(kScreenHeight - 20, 10));
    program.orientation = 3;
    EXPECT_EQ(program.MapPenPosition(PackPoint(10, 20)), PackPoint(20, kScreenWidth - 10));
    program.orientation = 2;
    EXPECT_EQ(program.MapPenPosition(PackPoint(10, 20)), PackPoint(0, 0));
}

}  // namespace
}  // namespace ampliro
