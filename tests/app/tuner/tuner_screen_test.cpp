#include "app/tuner/tuner_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gfx/font.h"
#include "gfx/scaled_text.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "tests/audio/test_tones.h"

namespace ampliro {
namespace {

constexpr uint16_t kInTune = 0x07E0;
constexpr uint16_t kNear = 0xFFE0;
constexpr uint16_t kFar = 0xF800;

class RecordingHost : public TunerHost {
  public:
    void OpenTuner() override { ++opened; }
    void CloseTuner() override { ++closed; }
    int opened = 0, closed = 0;
};

class TunerScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(LoadFont(&font, nullptr, 1), 1);
        ASSERT_EQ(LoadFont(&titleFont, nullptr, 3), 1);
        tuner.Layout(&font, &titleFont, &host, false);
        surface.reset(CreateSurface(240, 320));
    }
    // Plays half a second of a tone `cents` off A2 into the engine.
    void Hear(double hz) {
        const auto tone = test::Sine(hz, 44100, 0.5);
        tuner.Engine().Feed(tone.data(), tone.size());
    }
    void Paint() { tuner.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(surface.get()), 0); }
    // The columns of the strip's middle row in the needle's colours.
    std::vector<int32_t> NeedleColumns(uint16_t colour) const {
        std::vector<int32_t> columns;
        const NeedleStrip& s = tuner.Strip();
        for (int32_t x = s.left; x < s.left + s.width; ++x)
            if (GetPixel(surface.get(), x, s.top + 4) == colour) columns.push_back(x);
        return columns;
    }
    int32_t CountInNoteArea(uint16_t colour) const {
        int32_t n = 0;
        for (int32_t y = 40; y < 120; ++y)
            for (int32_t x = 0; x < 240; ++x) n += GetPixel(surface.get(), x, y) == colour;
        return n;
    }

    BitmapFont font, titleFont;
    RecordingHost host;
    TunerScreen tuner;
    std::unique_ptr<Surface> surface;
};

TEST_F(TunerScreenTest, TheNeedleMovesWithTheCentsInTheirColours) {
    const NeedleStrip& s = tuner.Strip();
    EXPECT_EQ(s.XOf(0.0), s.left + 100);
    EXPECT_EQ(s.XOf(-50.0), s.left);
    EXPECT_EQ(s.XOf(50.0), s.left + 200);
    EXPECT_EQ(s.XOf(-80.0), s.left);
    EXPECT_EQ(s.XOf(20.0), s.left + 140);

    struct Case {
        double cents;
        uint16_t colour;
    };
    for (const Case& c : {Case{0.0, kInTune}, Case{-5.0, kNear}, Case{5.0, kNear},
                          Case{-20.0, kFar}, Case{20.0, kFar}, Case{2.0, kInTune}}) {
        tuner.Engine().Clear();
        Hear(110.0 * std::pow(2.0, c.cents / 1200.0));
        ASSERT_TRUE(tuner.Engine().Reading().hasNote);
        Paint();
        // Three columns wide, centred where the reading's cents put it.
        const int32_t centre = s.XOf(tuner.Engine().Reading().position.cents);
        EXPECT_NEAR(centre, s.XOf(c.cents), 1) << c.cents;
        EXPECT_EQ(NeedleColumns(c.colour), (std::vector<int32_t>{centre - 1, centre, centre + 1}))
            << c.cents;
        // The note is drawn large in the same colour.
        EXPECT_GT(CountInNoteArea(c.colour), 400) << c.cents;
    }
}

TEST_F(TunerScreenTest, TheNoteNameIsDrawnAndDiffersFromNoteToNote) {
    Hear(110.0);
    Paint();
    std::vector<uint16_t> a(surface->pixels, surface->pixels + 240 * 120);
    tuner.Engine().Clear();
    Hear(164.8138);  // E3
    Paint();
    ASSERT_STREQ(NoteName(tuner.Engine().Reading().position.note), "E");
    std::vector<uint16_t> e(surface->pixels, surface->pixels + 240 * 120);
    int32_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) differing += a[i] != e[i];
    EXPECT_GT(differing, 300);

    // The large "A" is the font's "A" at four times its size: where the
    // scaled glyph is solid, the screen shows the note's colour.
    tuner.Engine().Clear();
    Hear(110.0);
    std::unique_ptr<Surface> alone(CreateSurface(240, 120));
    const int32_t nameWidth = ScaledTextWidth(&titleFont, "A", 4);
    const int32_t octaveWidth = ScaledTextWidth(&titleFont, "2", 2);
    const int32_t left = (240 - nameWidth - octaveWidth - 4) / 2;
    DrawScaledText(&titleFont, alone.get(), left, 44, "A", 4, kInTune);
    Paint();
    int32_t solid = 0;
    for (int32_t y = 44; y < 44 + 64; ++y)
        for (int32_t x = left; x < left + nameWidth; ++x) {
            if (GetPixel(alone.get(), x, y) != kInTune) continue;
            ++solid;
            EXPECT_EQ(GetPixel(surface.get(), x, y), kInTune) << x << "," << y;
        }
    EXPECT_GT(solid, 400);
}

TEST_F(TunerScreenTest, WithoutANoteThereIsNoNeedleAndADash) {
    Paint();
    EXPECT_TRUE(NeedleColumns(kInTune).empty());
    EXPECT_TRUE(NeedleColumns(kNear).empty());
    EXPECT_TRUE(NeedleColumns(kFar).empty());
    EXPECT_EQ(CountInNoteArea(kInTune), 0);
    EXPECT_GT(CountInNoteArea(0x630C), 20);  // the dim dash
}

TEST_F(TunerScreenTest, ButtonsSetTheReferenceAndClose) {
    EXPECT_EQ(tuner.Engine().Reference(), 440);
    for (int i = 0; i < 3; ++i)
        tuner.HandleMessage(WM_COMMAND, MakeCommand(kTunerRaiseId, kNotifyClick), 0);
    EXPECT_EQ(tuner.Engine().Reference(), 443);
    for (int i = 0; i < 30; ++i)
        tuner.HandleMessage(WM_COMMAND, MakeCommand(kTunerLowerId, kNotifyClick), 0);
    EXPECT_EQ(tuner.Engine().Reference(), 430);
    Paint();
    EXPECT_EQ(host.closed, 0);
    tuner.HandleMessage(WM_COMMAND, MakeCommand(kTunerCloseId, kNotifyClick), 0);
    EXPECT_EQ(host.closed, 1);
}

TEST_F(TunerScreenTest, TheSquareLayoutKeepsEverythingOnItsScreen) {
    TunerScreen square;
    square.Layout(&font, &titleFont, &host, true);
    EXPECT_EQ(square.height, 240);
    EXPECT_LE(square.Strip().top + square.Strip().height, 200);
    EXPECT_LE(square.raiseButton.y + square.raiseButton.height, 240);
    std::unique_ptr<Surface> small(CreateSurface(240, 240));
    const auto tone = test::Sine(110.0 * std::pow(2.0, 20.0 / 1200.0), 44100, 0.5);
    square.Engine().Feed(tone.data(), tone.size());
    square.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(small.get()), 0);
    const int32_t x = square.Strip().XOf(20.0);
    EXPECT_EQ(GetPixel(small.get(), x, square.Strip().top + 4), kFar);
}

}  // namespace
}  // namespace ampliro
