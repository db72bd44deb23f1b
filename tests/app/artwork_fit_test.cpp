// The program's pictures fit where it draws them: each area's and each
// pedal's background covers the screen, and every knob's
// film strip is cut into square frames that its mask matches one for one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/effect_chain.h"
#include "audio/power.h"
#include "game_harness.h"
#include "gfx/surface.h"
#include "ui/knob.h"

namespace ampliro {
namespace {

using namespace testing;

// Pixels of the screen that the program's frame leaves as they were: drawn
// over a black and over a white screen, they differ. A background smaller
// than the screen leaves some, as no control paints all the free panel.
int UnpaintedPixels(HeadlessGame& game) {
    std::vector<uint16_t> frames[2];
    for (uint16_t under : {0x0000, 0xFFFF}) {
        if (!game.display->BeginScene()) return -1;
        Surface* screen = game.display->GetBackBuffer();
        Clear(screen, under);
        game.Frame();
        for (int32_t y = 0; y < screen->height; ++y)
            frames[under != 0].insert(frames[under != 0].end(), screen->Row(y),
                                      screen->Row(y) + screen->width);
    }
    int unpainted = 0;
    for (size_t i = 0; i < frames[0].size(); ++i) unpainted += frames[0][i] != frames[1][i];
    return unpainted;
}

// Every knob below root: a whole number of square frames, at least two, and
// a mask of the same frame size and count, at least as wide as the knob.
int ExpectSquareFrames(const Widget* root, const std::string& where) {
    int knobs = 0;
    for (const Widget* c = root->firstChild; c; c = c->nextSibling) {
        knobs += ExpectSquareFrames(c, where);
        const auto* knob = dynamic_cast<const Knob*>(c);
        if (!knob) continue;
        ++knobs;
        SCOPED_TRACE(where + ", knob at " + std::to_string(c->x) + "," + std::to_string(c->y));
        if (!knob->strip || !knob->mask) {
            ADD_FAILURE() << "a knob without its pictures";
            continue;
        }
        const int32_t side = knob->strip->width;
        EXPECT_EQ(knob->strip->height % side, 0);
        EXPECT_GE(knob->frameCount, 2);
        EXPECT_EQ(knob->mask->width, side);
        EXPECT_EQ(knob->mask->height, knob->strip->height);
        EXPECT_LE(knob->width, side);
    }
    return knobs;
}

class ArtworkFitTest : public GameTest {};

TEST_F(ArtworkFitTest, BackgroundsCoverTheirPlaceAndKnobFramesAreSquare) {
    WriteWords(folder / "VRPREFS.DAT", {12, 3, 48, 140, 4, 0});  // no introduction
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    SetPower(1);
    ASSERT_TRUE(IsAudioRunning());
    int knobs = 0;
    for (int32_t area : {kAreaConfiguration, kAreaPresets, kAreaMetronome, kAreaRecorder}) {
        const std::string name = "area " + std::to_string(area);
        SCOPED_TRACE(name);
        game.ShowArea(area);
        EXPECT_EQ(UnpaintedPixels(game), 0);
        knobs += ExpectSquareFrames(&game.desktop, name);
    }
    for (int32_t key = 0; key < kEffectCount; ++key) {
        const std::string name = "pedal " + std::to_string(key);
        SCOPED_TRACE(name);
        game.ShowEffect(key);
        EXPECT_EQ(UnpaintedPixels(game), 0);
        knobs += ExpectSquareFrames(&game.desktop, name);
    }
    EXPECT_GT(knobs, kEffectCount);
    SetPower(0);
    game.Shutdown();
}

}  // namespace
}  // namespace ampliro
