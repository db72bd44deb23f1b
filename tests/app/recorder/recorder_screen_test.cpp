#include "app/recorder/recorder_screen.h"

#include <string>
#include <vector>

#include "audio/audio_settings.h"
#include "platform/window/messages.h"
#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

std::vector<std::string> gTold;
void Tell(const char* title, const char* text) {
    gTold.push_back(std::string(title) + "|" + text);
}

class RecorderScreenTest : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        screen.BuildScreen(nullptr);
        screen.Engine().SetFolder(folder);
        screen.SetMessageSink(Tell);
        gTold.clear();
    }
    // What a tap does: a toggle button flips its own light, then reports.
    void Press(Button& button) {
        if (button.HasStyle(kButtonToggle)) {
            if (button.HasStyle(kButtonOn))
                button.RemoveStyle(kButtonOn);
            else
                button.AddStyle(kButtonOn);
        }
        Command(button.id);
    }
    // Which of Record, Play and Pause are lit, as "RPZ" with "-" for dark.
    std::string Lit() {
        std::string lit;
        lit += screen.recordButton.HasStyle(kButtonOn) ? 'R' : '-';
        lit += screen.playButton.HasStyle(kButtonOn) ? 'P' : '-';
        lit += screen.pauseButton.HasStyle(kButtonOn) ? 'Z' : '-';
        return lit;
    }
    void Command(uint16_t id, uint16_t code = 0) {
        screen.HandleMessage(WM_COMMAND, MakeCommand(id, code), 0);
    }
    // One block through the engine, the disk side settled before and after.
    std::vector<int16_t> Block(int16_t value, int32_t count = 64) {
        std::vector<int16_t> b(static_cast<size_t>(count), value);
        screen.Engine().FlushDisk();
        screen.EngineStep(b.data(), count);
        screen.Engine().FlushDisk();
        return b;
    }

    RecorderScreen screen;
};

TEST_F(RecorderScreenTest, LayoutAndOrder) {
    const Widget* expected[] = {
        &screen.recordButton, &screen.playButton,      &screen.stopButton,    &screen.pauseButton,
        &screen.repeatButton, &screen.loopStartButton, &screen.loopEndButton, &screen.slider,
        &screen.closeButton,  &screen.exportButton};
    const Widget* child = screen.firstChild;
    for (const Widget* e : expected) {
        ASSERT_EQ(child, e);
        child = child->nextSibling;
    }
    EXPECT_EQ(child, nullptr);
    // Between the tops of the two reels of the area's picture.
    EXPECT_EQ(screen.exportButton.x, 98);
    EXPECT_EQ(screen.exportButton.y, 212);
    EXPECT_EQ(screen.exportButton.width, 44);
    EXPECT_STREQ(screen.exportButton.caption, "#FFFFFFExport");
    EXPECT_EQ(screen.exportButton.id, kRecorderExportId);
    EXPECT_EQ(screen.loopStartButton.width, 71);
    EXPECT_EQ(screen.pauseButton.x, 170);
    EXPECT_EQ(screen.pauseButton.style, 0x148u);
    EXPECT_EQ(screen.stopButton.style, 0x140u);
    EXPECT_EQ(screen.slider.flags, 9);
    EXPECT_EQ(screen.slider.maximum, 0);
    EXPECT_STREQ(screen.recordButton.caption, "#FFFFFFRecord");
}

TEST_F(RecorderScreenTest, TransportButtonsShowTheState) {
    Command(kRecorderRecordId);
    EXPECT_EQ(screen.Engine().State(), kRecorderRecording);
    EXPECT_TRUE(screen.recordButton.HasStyle(kButtonOn));
    Block(1000);
    Command(kRecorderPlayId);
    EXPECT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_TRUE(screen.playButton.HasStyle(kButtonOn));
    EXPECT_EQ(Block(0, 32)[0], 1000);
    screen.HandleMessage(WM_PAINT, 0, 0);
    EXPECT_EQ(screen.slider.minimum, 4);
    EXPECT_EQ(screen.slider.maximum, 4 + 128);
    EXPECT_EQ(screen.slider.GetPosition(), 4 + 64);

    // The audio thread ends the playback; the next paint shows it.
    Block(0, 32);
    Block(0, 32);
    EXPECT_EQ(screen.Engine().State(), kRecorderStopped);
    screen.playButton.AddStyle(kButtonOn);
    screen.HandleMessage(WM_PAINT, 0, 0);
    EXPECT_FALSE(screen.playButton.HasStyle(kButtonOn));
}

TEST_F(RecorderScreenTest, ExactlyTheRunningStatesButtonIsLit) {
    Press(screen.recordButton);
    EXPECT_EQ(Lit(), "R--");
    Block(1000, 200);
    Press(screen.playButton);  // play while recording
    EXPECT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_EQ(Lit(), "-P-");
    Press(screen.recordButton);  // record while playing
    EXPECT_EQ(screen.Engine().State(), kRecorderRecording);
    EXPECT_EQ(Lit(), "R--");
    Block(1000, 200);
    Press(screen.pauseButton);
    EXPECT_EQ(Lit(), "--Z");
    Press(screen.playButton);  // play while paused: the pause is over
    EXPECT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_EQ(Lit(), "-P-");
    Press(screen.pauseButton);  // the next Pause pauses, and shows it
    EXPECT_EQ(screen.Engine().State(), kRecorderPaused);
    EXPECT_EQ(Lit(), "--Z");
    Press(screen.pauseButton);
    EXPECT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_EQ(Lit(), "-P-");
    Press(screen.pauseButton);
    Press(screen.recordButton);  // record while paused
    EXPECT_EQ(Lit(), "R--");
    Press(screen.stopButton);
    EXPECT_EQ(Lit(), "---");
    EXPECT_TRUE(gTold.empty());
}

TEST_F(RecorderScreenTest, PlayAtAnotherRateSaysWhichRateItNeeds) {
    ASSERT_NE(SampleRate(), 22050);
    ASSERT_TRUE(screen.Engine().StartRecording(22050));
    Block(5);
    screen.Engine().StopRecorder();
    Press(screen.playButton);
    EXPECT_EQ(Lit(), "---");
    EXPECT_EQ(screen.Engine().State(), kRecorderStopped);
    ASSERT_EQ(gTold.size(), 1u);
    EXPECT_EQ(gTold[0],
              "Cannot Play|The recording was made at 22050Hz: choose 22Khz in Configuration "
              "to play it.");

    // A rate the Configuration screen does not offer is named in hertz.
    ASSERT_TRUE(screen.Engine().StartRecording(8000));
    screen.Engine().StopRecorder();
    Press(screen.playButton);
    ASSERT_EQ(gTold.size(), 2u);
    EXPECT_NE(gTold[1].find("made at 8000Hz: choose 8000Hz"), std::string::npos) << gTold[1];
}

TEST_F(RecorderScreenTest, MissingOrDamagedRecordingPlaysNothingWithoutAMessage) {
    Press(screen.playButton);
    EXPECT_EQ(Lit(), "---");
    WriteFile({0x44, 0xAC});  // shorter than its header
    Press(screen.playButton);
    WriteFile({0xFF, 0xFF, 0xFF, 0xFF, 1, 0});  // a rate no recording has
    Press(screen.playButton);
    EXPECT_EQ(Lit(), "---");
    EXPECT_TRUE(gTold.empty());
}

TEST_F(RecorderScreenTest, RecordThatCannotCreateItsFileSaysWhy) {
    screen.Engine().SetFolder(folder / "gone");
    Press(screen.recordButton);
    EXPECT_EQ(Lit(), "---");
    EXPECT_EQ(screen.Engine().State(), kRecorderStopped);
    ASSERT_EQ(gTold.size(), 1u);
    EXPECT_EQ(gTold[0], "Cannot Record|RECORD.DAT cannot be written: No such file or directory.");
}

TEST_F(RecorderScreenTest, RepeatLoopMarksAndSlider) {
    Command(kRecorderRecordId);
    Block(7, 100);
    Command(kRecorderStopId);
    screen.repeatButton.AddStyle(kButtonOn);
    Command(kRecorderRepeatId);
    EXPECT_TRUE(screen.Engine().Repeat());
    screen.slider.minimum = 4;
    screen.slider.maximum = 204;
    screen.slider.SetPosition(101);
    Command(kRecorderSliderId, kScrollDragged);  // only the release counts
    EXPECT_EQ(screen.Engine().Position(), 204);
    Command(kRecorderSliderId, kScrollReleased);
    EXPECT_EQ(screen.Engine().Position(), 100);
    Command(kRecorderLoopStartId);
    EXPECT_EQ(screen.Engine().LoopStart(), 100);
    screen.slider.SetPosition(150);
    Command(kRecorderSliderId, kScrollReleased);
    Command(kRecorderLoopEndId);
    EXPECT_EQ(screen.Engine().LoopEnd(), 150);
    Command(kRecorderPauseId);
    EXPECT_EQ(screen.Engine().State(), kRecorderPaused);
    Command(kRecorderPauseId);
    EXPECT_EQ(screen.Engine().State(), kRecorderStopped);
}

}  // namespace
}  // namespace ampliro
