#include "app/recorder/recorder_reels.h"

#include <cstring>
#include <memory>
#include <vector>

#include "app/export/export_progress.h"
#include "app/recorder/recorder_screen.h"
#include "audio/audio_settings.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/resources/resources.h"
#include "platform/window/messages.h"
#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

constexpr int32_t kReelCentres[2] = {RecorderReels::kLeftCentreX, RecorderReels::kRightCentreX};

TEST(RecorderReelsTest, AnglesFollowTheTapeRunningPastBothReels) {
    EXPECT_EQ(RecorderReels::RightAngle(44100, 44100), 768);  // 0.75 of 1024
    EXPECT_EQ(RecorderReels::LeftAngle(44100, 44100), 460);   // 0.45 turn
    EXPECT_EQ(RecorderReels::RightAngle(44100 * 4, 44100), 0);
    EXPECT_EQ(RecorderReels::RightAngle(0, 44100), 0);
    EXPECT_EQ(RecorderReels::LeftAngle(1000, 0), 0);
    // The longest take there is, at the lowest rate: no overflow.
    EXPECT_GE(RecorderReels::RightAngle(int64_t{INT32_MAX} / 2, 4000), 0);
}

TEST(RecorderReelsTest, AQuarterTurnClockwiseMovesAPointFromRightToBelow) {
    std::unique_ptr<Surface> s(CreateSurface(240, 320));
    const int32_t cx = RecorderReels::kRightCentreX, cy = RecorderReels::kCentreY;
    s->Row(cy)[cx + 20] = 0xF800;
    RecorderReels reels;
    // 1000 samples at 3000 Hz: a third of a second, 0.25 turn on the right.
    ASSERT_EQ(RecorderReels::RightAngle(1000, 3000), 256);
    reels.Draw(s.get(), 1000, 3000);
    EXPECT_EQ(s->Row(cy + 20)[cx], 0xF800);
    EXPECT_EQ(s->Row(cy)[cx + 20], 0x0000);
    int lit = 0;
    for (int32_t y = 0; y < s->height; ++y)
        for (int32_t x = 0; x < s->width; ++x) lit += s->Row(y)[x] != 0;
    EXPECT_EQ(lit, 1);
}

TEST(RecorderReelsTest, TheSquareScreenHasNoReelsToTurn) {
    std::unique_ptr<Surface> s(CreateSurface(240, 240));
    for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 240; ++x) s->Row(y)[x] = static_cast<uint16_t>(x * 3 + y);
    std::unique_ptr<Surface> before(CreateSurface(240, 240));
    CopySurface(before.get(), s.get());
    RecorderReels reels;
    reels.Draw(s.get(), 12345, 44100);
    for (int32_t y = 0; y < 240; ++y)
        ASSERT_EQ(std::memcmp(s->Row(y), before->Row(y), 480), 0) << y;
}

TEST(ExportProgressTest, TheBarIsFilledInProportion) {
    const int32_t barRow = ExportBoxTop(320) + 56;
    const uint16_t colours[4] = {0xC61F, 0x0000, 0xFFFF, 0xFFE0};
    ExportProgressLook look;
    look.colours = colours;
    for (int32_t permille : {0, 500, 999, 1000}) {
        std::unique_ptr<Surface> s(CreateSurface(240, 320));
        ButtonBar bar;
        DrawExportProgress(s.get(), look, "take.wav", permille, &bar);
        int filled = 0;
        for (int32_t x = kExportBarLeft; x < kExportBarLeft + kExportBarWidth; ++x) {
            const uint16_t p = s->Row(barRow)[x];
            ASSERT_TRUE(p == 0xFFE0 || p == 0x0000) << x;
            if (p == 0xFFE0) {
                EXPECT_EQ(x, kExportBarLeft + filled) << "filled from the left";
                ++filled;
            }
        }
        EXPECT_EQ(filled, kExportBarWidth * permille / 1000) << permille;
        ASSERT_EQ(bar.count, 1);
        EXPECT_EQ(bar.buttons[0].id, kExportCancelId);
        EXPECT_STREQ(bar.buttons[0].label, "Cancel");
    }
}

class RecorderReelsScreenTest : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        screen.BuildScreen(nullptr);
        screen.Engine().SetFolder(folder);
        background.reset(LoadImageResource(157, kResourceGif, nullptr));
        ASSERT_TRUE(background);
        ASSERT_EQ(background->height, 320);
        frame.reset(CreateSurface(240, 320));
    }
    // The area painted over its picture; the pixels of both reels.
    std::vector<uint16_t> Reels() {
        CopySurface(frame.get(), background.get());
        screen.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(frame.get()), 0);
        std::vector<uint16_t> pixels;
        for (int32_t cx : kReelCentres)
            for (int32_t y = -38; y <= 38; ++y)
                for (int32_t x = -38; x <= 38; ++x)
                    pixels.push_back(frame->Row(RecorderReels::kCentreY + y)[cx + x]);
        return pixels;
    }
    static int Differing(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b, int reel) {
        const size_t per = a.size() / 2;
        int n = 0;
        for (size_t i = per * reel; i < per * (reel + 1); ++i) n += a[i] != b[i];
        return n;
    }
    void Block(int32_t count = 512) {
        std::vector<int16_t> b(static_cast<size_t>(count), 0);
        screen.Engine().FlushDisk();
        screen.EngineStep(b.data(), count);
        screen.Engine().FlushDisk();
    }
    void Command(uint16_t id) { screen.HandleMessage(WM_COMMAND, MakeCommand(id, 0), 0); }

    RecorderScreen screen;
    std::unique_ptr<Surface> background, frame;
};

TEST_F(RecorderReelsScreenTest, ReelsTurnWhileRecordingOrPlayingAndStandStillOtherwise) {
    const std::vector<uint16_t> still = Reels();
    Command(kRecorderRecordId);
    Block();
    const std::vector<uint16_t> recorded = Reels();
    Block();
    const std::vector<uint16_t> recordedMore = Reels();
    for (int reel : {0, 1}) EXPECT_GT(Differing(recorded, recordedMore, reel), 20) << reel;
    for (int i = 0; i < 40; ++i) Block();
    Command(kRecorderStopId);

    Command(kRecorderPlayId);
    ASSERT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_EQ(Reels(), still);  // playback starts at the loop start
    Block();
    const std::vector<uint16_t> played = Reels();
    Block();
    const std::vector<uint16_t> playedMore = Reels();
    for (int reel : {0, 1}) {
        EXPECT_GT(Differing(still, played, reel), 20) << reel;
        EXPECT_GT(Differing(played, playedMore, reel), 20) << reel;
    }

    Command(kRecorderPauseId);
    const std::vector<uint16_t> paused = Reels();
    Block();
    EXPECT_EQ(Reels(), paused);
    Command(kRecorderStopId);
    const std::vector<uint16_t> stopped = Reels();
    Block();
    Block();
    EXPECT_EQ(Reels(), stopped);
}

TEST_F(RecorderReelsScreenTest, TurningLeavesThePictureAroundTheReelsAlone) {
    Command(kRecorderRecordId);
    for (int i = 0; i < 7; ++i) Block(333);
    Reels();
    int checked = 0;
    for (int32_t cx : kReelCentres)
        for (int32_t y = 0; y <= 45; ++y)
            for (int32_t x = -45; x <= 45; ++x) {
                const int32_t d2 = x * x + y * y;
                if (d2 <= 41 * 41 || d2 > 44 * 44) continue;
                const int32_t py = RecorderReels::kCentreY + y;
                ASSERT_EQ(frame->Row(py)[cx + x], background->Row(py)[cx + x]) << x << "," << y;
                ++checked;
            }
    EXPECT_GT(checked, 400);
}

}  // namespace
}  // namespace ampliro
