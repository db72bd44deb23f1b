#include "app/metronome/metronome_screen.h"

#include <gtest/gtest.h>

#include <memory>

#include "audio/stream.h"
#include "audio/stream_format.h"
#include "gfx/contrast.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

uint32_t gScreenNow = 1000;
uint32_t ScreenClock() {
    return gScreenNow;
}

class MetronomeScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        metronome.BuildScreen(nullptr, 44100);
        metronome.Engine().SetClock(ScreenClock);
    }
    void TearDown() override { MuteInput.store(0); }
    void Command(uint16_t id) { metronome.HandleMessage(WM_COMMAND, MakeCommand(id, 0), 0); }

    MetronomeScreen metronome;
};

TEST_F(MetronomeScreenTest, LayoutAndOrder) {
    EXPECT_EQ(metronome.width, 240);
    EXPECT_EQ(metronome.height, 320);
    const Widget* expected[] = {
        &metronome.startStop,  &metronome.closeButton, &metronome.toneButton,
        &metronome.muteButton, &metronome.tempoKnob,   &metronome.accentKnob,
        &metronome.volumeKnob, &metronome.beatLamp,    &metronome.accentLamp};
    const Widget* child = metronome.firstChild;
    for (const Widget* e : expected) {
        ASSERT_EQ(child, e);
        child = child->nextSibling;
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(metronome.startStop.x, 55);
    EXPECT_EQ(metronome.startStop.style, 0x148u);
    EXPECT_STREQ(metronome.startStop.caption, "#FFFFFFStart/Stop");
    EXPECT_EQ(metronome.muteButton.y, 160);
    EXPECT_EQ(metronome.beatLamp.flags, 7);
    EXPECT_EQ(metronome.accentLamp.x, 195);
    EXPECT_EQ(metronome.tempoKnob.GetValue(), 140);
    EXPECT_STREQ(metronome.tempoKnob.caption, "#FFFFFF140 bpm");
    EXPECT_EQ(metronome.accentKnob.GetValue(), 4);
    EXPECT_EQ(metronome.volumeKnob.GetValue(), 48);
    EXPECT_TRUE(metronome.Engine().ToneSound().HasSamples());
}

TEST_F(MetronomeScreenTest, KnobsSetTempoAccentAndVolume) {
    metronome.tempoKnob.SetValue(200);
    Command(kMetronomeTempoId);
    EXPECT_EQ(metronome.Engine().BeatInterval(), 300);
    EXPECT_STREQ(metronome.tempoKnob.caption, "#FFFFFF200 bpm");
    metronome.accentKnob.SetValue(6);
    Command(kMetronomeAccentId);
    EXPECT_EQ(metronome.Engine().Accent(), 6);
    metronome.volumeKnob.SetValue(0);
    Command(kMetronomeVolumeId);
    EXPECT_EQ(metronome.Engine().Volume(), 0);
    metronome.SetTempo(90);
    EXPECT_EQ(metronome.tempoKnob.GetValue(), 90);
}

TEST_F(MetronomeScreenTest, MuteMicFollowsTheButton) {
    metronome.muteButton.AddStyle(kButtonOn);
    Command(kMetronomeMuteId);
    EXPECT_EQ(MuteInput.load(), 1);
    metronome.muteButton.RemoveStyle(kButtonOn);
    Command(kMetronomeMuteId);
    EXPECT_EQ(MuteInput.load(), 0);
}

TEST_F(MetronomeScreenTest, StartStopNeedsTheAudioAndTheToneToggles) {
    ASSERT_FALSE(IsAudioRunning());
    Command(kMetronomeStartStopId);
    EXPECT_FALSE(metronome.Engine().Running());
    Command(kMetronomeToneId);
    EXPECT_TRUE(metronome.Engine().ToneOn());
    Command(kMetronomeToneId);
    EXPECT_FALSE(metronome.Engine().ToneOn());
}

TEST_F(MetronomeScreenTest, TheThreeSwitchesLightUpWhileOn) {
    BuildBlendTable();
    std::unique_ptr<Surface> screen(CreateSurface(240, 320));
    constexpr uint16_t kPanel = 0x18E3;
    auto paint = [&] {
        Clear(screen.get(), kPanel);
        metronome.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(screen.get()), 0);
    };
    // Inside each switch, clear of its caption: its top-left and the middle
    // of its left side.
    auto face = [&](const Button& b, int dy) { return screen->Row(b.y + dy)[b.x + 3]; };
    for (Button* b : {&metronome.toneButton, &metronome.muteButton, &metronome.startStop}) {
        paint();
        EXPECT_EQ(face(*b, 3), kPanel) << b->caption;
        EXPECT_EQ(face(*b, b->height / 2), kPanel) << b->caption;
        b->AddStyle(kButtonOn);
        paint();
        EXPECT_EQ(face(*b, 3), 0x03A0) << b->caption;
        EXPECT_EQ(face(*b, b->height / 2), 0x03A0) << b->caption;
        EXPECT_EQ(screen->Row(b->y + 1)[b->x + b->width / 2], 0x47E8) << b->caption;
        b->RemoveStyle(kButtonOn);
    }
    // The white captions stay readable on the lit face.
    EXPECT_GE(ContrastRatio(0xFFFF, 0x03A0), 4.5);
    EXPECT_GE(ContrastRatio(0x03A0, kPanel), 2.0);
}

TEST_F(MetronomeScreenTest, LampsFollowTheEngineAtPaint) {
    SetStreamBufferSize(128);  // passes of the latency setting's 64 frames
    metronome.Engine().SetLampDelay(0);
    metronome.Engine().SetAccent(1);
    metronome.Engine().Start();
    metronome.TimingStep(64);
    gScreenNow += 10;
    metronome.TimingStep(64);
    metronome.HandleMessage(WM_PAINT, 0, 0);
    EXPECT_TRUE(metronome.beatLamp.HasStyle(kButtonOn));
    EXPECT_TRUE(metronome.accentLamp.HasStyle(kButtonOn));
    for (int pass = 0; pass < MetronomeEngine::kLampPasses; ++pass) metronome.TimingStep(64);
    metronome.HandleMessage(WM_PAINT, 0, 0);
    EXPECT_FALSE(metronome.beatLamp.HasStyle(kButtonOn));
    EXPECT_FALSE(metronome.accentLamp.HasStyle(kButtonOn));
}

}  // namespace
}  // namespace ampliro
