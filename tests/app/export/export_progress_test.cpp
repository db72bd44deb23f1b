#include "app/export/export_progress.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/export/export_job.h"
#include "gfx/button_bar.h"
#include "gfx/surface.h"
#include "tests/gfx/dialog_test_support.h"

namespace ampliro {
namespace {

class ExportProgressDialogTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("ampliro_progress_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        // Ten pieces of 32768 samples at 44100 Hz.
        std::ofstream out(folder / "RECORD.DAT", std::ios::binary);
        const char rate[4] = {0x44, static_cast<char>(0xAC), 0, 0};
        out.write(rate, 4);
        const std::vector<char> samples(2 * 327680, 1);
        out.write(samples.data(), static_cast<std::streamsize>(samples.size()));
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        DialogTest::TearDown();
    }
    std::filesystem::path folder;
};

// The job holds after its first piece until Cancel is asked for, so the box
// is on the screen with a tenth of the bar filled while the dialog keeps
// handling messages: a probe looks at the screen, then taps Cancel.
TEST_F(ExportProgressDialogTest, TheBoxFollowsTheJobAndCancelStopsIt) {
    std::atomic<ExportJob*> running{nullptr};
    ExportJob job(folder / "RECORD.DAT", folder / "take.wav", [&running](int64_t) {
        // At most ten seconds, so that a dialog that never cancels fails
        // the test instead of hanging it.
        for (int waited = 0; waited < 10000; ++waited) {
            const ExportJob* self = running.load();
            if (self && self->CancelAsked()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    running = &job;
    const int32_t top = ExportBoxTop(kScreenHeight);
    const int32_t barRow = top + 56;
    int filled = -1;
    uint16_t inside = 0;
    PostProbe([&] {
        filled = 0;
        for (int32_t x = kExportBarLeft; x < kExportBarLeft + kExportBarWidth; ++x)
            filled += Shown(x, barRow) == 0xFFE0;
        inside = Shown(kExportBarLeft + kExportBarWidth - 1, barRow);
        Tap(220 - 30, top + 100 - 15);  // Cancel
    });
    ExportProgressLook look;
    RunExportProgress(&display, look, job, "take.wav");
    EXPECT_EQ(filled, kExportBarWidth * 100 / 1000);  // 32768 of 327680 samples
    EXPECT_EQ(inside, 0x0000);
    EXPECT_EQ(job.Result().outcome, ExportResult::kCancelled);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"RECORD.DAT"});
    // The screen is as it was before the box.
    EXPECT_EQ(Shown(kExportBarLeft + 10, barRow), kBackground);
}

// Without a font the box writes in the system font, 8 pixels a letter: a
// long name still ends in "..." inside the box, never past its right edge.
TEST(ExportProgressBoxTest, ALongNameInTheSystemFontEndsInsideTheBox) {
    std::unique_ptr<Surface> screen(CreateSurface(240, 320));
    Clear(screen.get(), 0x0000);
    ButtonBar bar;
    ExportProgressLook look;
    DrawExportProgress(screen.get(), look, (std::string(100, 'W') + ".wav").c_str(), 0, &bar);
    const int32_t top = ExportBoxTop(320);
    int32_t rightmost = -1;
    for (int32_t y = top + 28; y < top + 44; ++y)
        for (int32_t x = 0; x < 240; ++x)
            if (screen->Row(y)[x] == 0xFFFF) rightmost = std::max(rightmost, x);
    // The box's inside ends at x = 219: "Saving '" and the name's first
    // letters, 20 in all, then "...", are 23 letters of 8 from x = 25.
    EXPECT_GT(rightmost, 25 + 20 * 8);
    EXPECT_LT(rightmost, 25 + 23 * 8);
}

}  // namespace
}  // namespace ampliro
