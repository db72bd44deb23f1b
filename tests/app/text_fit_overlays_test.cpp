// The text of what opens over the program areas, and of the areas' own
// drawings, fits as the controls' text does: the tuner in both shapes, with
// and without a note; the Loop Recorder's time text at its longest; the name
// dialog on each keypad page in both shapes; the export's progress box with
// a name too long for it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/export/export_progress.h"
#include "gfx/button_bar.h"
#include "gfx/font.h"
#include "gfx/message_box.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "tests/app/text_fit_fixture.h"
#include "tests/audio/test_tones.h"
#include "ui/keypad.h"
#include "ui/save_preset_dialog.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using fit::Rect;
using fit::TextFitTest;

// A bare container that paints its children, as the dialog's desktop does.
struct Panel : Widget {
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        return DefaultProc(message, wParam, lParam);
    }
};

// The needle strip with its frame: a picture, no place for text.
Rect StripArea(const TunerScreen& tuner) {
    const NeedleStrip& s = tuner.Strip();
    return {s.left - 3, s.top - 3, s.left + s.width + 2, s.top + s.height + 2};
}

TEST_F(TextFitTest, TheTunerInBothShapesWithAndWithoutANote) {
    for (const bool square : {game->squareScreen, !game->squareScreen}) {
        const std::string shape = square ? "square" : "tall";
        TunerScreen tuner;
        tuner.Layout(font, titleFont, nullptr, square);
        Show(&tuner);
        std::vector<Rect> keepClear = {StripArea(tuner)};
        if (square) keepClear.push_back(BelowSquareScreen());
        const int silent = CheckScreen(shape + " tuner, silent", keepClear);
        // An F#2 a little flat: the longest note name, cents and frequency.
        const auto tone = test::Sine(92.0, 44100, 0.5);
        tuner.Engine().Feed(tone.data(), tone.size());
        ASSERT_TRUE(tuner.Engine().Reading().hasNote);
        const int playing = CheckScreen(shape + " tuner, F#2", keepClear);
        // The note, the cents and the frequency are text too.
        EXPECT_GT(playing, silent + 300) << shape;
        // All of it within the screen's shape.
        EXPECT_LE(tuner.y + tuner.height, square ? 240 : 320);
    }
    game->desktop.Reset();
}

TEST_F(TextFitTest, TheLoopRecordersLongestTimeTextKeepsClearOfItsControls) {
    // The longest take a RECORD.DAT holds: 2 GB at 11025 Hz, over 1600
    // minutes. The file is sparse, so it takes no room on the disk.
    const fs::path take = game->recorder.Engine().FilePath();
    {
        std::FILE* file = std::fopen(take.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const int32_t rate = 11025;
        ASSERT_EQ(std::fwrite(&rate, sizeof rate, 1, file), 1u);
        std::fclose(file);
    }
    fs::resize_file(take, 0x7FFFFFFF);
    game->recorder.ReadRecordingInfo();
    const std::string time = game->recorder.TimeText();
    ASSERT_EQ(time, "0:00 / 1623:11");
    Show(&game->recorder);
    const int pixels = CheckScreen("Loop Recorder with the longest take");
    // Right-aligned to the slider's end, on the row above it, it stays clear
    // of the "POSITION" label that the background carries at x 20 .. 67.
    const ScrollBar& slider = game->recorder.slider;
    EXPECT_GE(slider.x + slider.width - TextWidth(font, time.c_str()), 72) << time;
    EXPECT_GT(pixels, 100);
    game->desktop.Reset();
    fs::remove(take);
}

TEST_F(TextFitTest, TheNameDialogOnEveryKeypadPageInBothShapes) {
    for (const int32_t height : {320, 240}) {
        NameDialogControls dialog;
        dialog.Layout(font, height);
        dialog.field.SetText("An uncommonly long name for a take of the whole evening");
        Panel box;
        box.SetBounds(0, 0, 240, height);
        box.SetFlags(kVisible);
        box.AddChild(&dialog.field);
        box.AddChild(&dialog.ok);
        box.AddChild(&dialog.cancel);
        box.AddChild(&dialog.keypad);
        Show(&box);
        EXPECT_GE(dialog.top, 0);
        EXPECT_LE(dialog.bottom, height);
        const std::string shape = height == 240 ? "square" : "tall";
        // Letters, Shift, Alt over Shift, Alt alone.
        const uint16_t steps[] = {0, Keypad::kShiftId, Keypad::kAltId, Keypad::kShiftId};
        for (const uint16_t step : steps) {
            if (step) dialog.keypad.HandleMessage(WM_COMMAND, step, 0);
            const std::string page = std::string(dialog.keypad.Shift() ? " Shift" : "") +
                                     (dialog.keypad.Alt() ? " Alt" : "");
            const std::vector<Rect> keepClear =
                height == 240 ? std::vector<Rect>{BelowSquareScreen()} : std::vector<Rect>{};
            EXPECT_GT(CheckScreen(shape + " name dialog" + page, keepClear), 400) << shape << page;
        }
        game->desktop.Reset();
    }
}

TEST_F(TextFitTest, TheExportProgressBoxFitsANameTooLongForIt) {
    const std::string name(240, 'w');
    for (const int32_t height : {320, 240}) {
        std::unique_ptr<Surface> surface(CreateSurface(240, height));
        ButtonBar bar;
        ExportProgressLook look;
        look.font = font;
        look.titleFont = titleFont;
        const uint16_t colours[4] = {0xC61F, 0x0000, 0xFFFF, 0xFFE0};  // the message boxes'
        look.colours = colours;
        const auto [withText, withoutText] = WithAndWithoutText([&] {
            Clear(surface.get(), 0x0000);
            DrawExportProgress(surface.get(), look, (name + ".wav").c_str(), 500, &bar);
            std::vector<uint16_t> pixels;
            for (int32_t y = 0; y < height; ++y)
                pixels.insert(pixels.end(), surface->Row(y), surface->Row(y) + 240);
            return pixels;
        });
        const int32_t top = ExportBoxTop(height);
        const Rect inside{21, top + 1, 219, top + 99};
        const int32_t barTop = top + 50;
        const Rect barArea{kExportBarLeft - 2, barTop, kExportBarLeft + kExportBarWidth + 1,
                           barTop + 13};
        ASSERT_EQ(bar.count, 1);
        const BarButton& cancel = bar.buttons[0];
        const Rect cancelFace{cancel.left + 3, cancel.top + 3, cancel.right - 3, cancel.bottom - 3};
        const Rect cancelFrame{cancel.left, cancel.top, cancel.right, cancel.bottom};
        int text = 0, misplaced = 0;
        std::string first;
        for (size_t i = 0; i < withText.size(); ++i) {
            if (withText[i] == withoutText[i]) continue;
            ++text;
            const int32_t x = static_cast<int32_t>(i % 240), y = static_cast<int32_t>(i / 240);
            const bool ok = inside.Contains(x, y) && !barArea.Contains(x, y) &&
                            (!cancelFrame.Contains(x, y) || cancelFace.Contains(x, y));
            if (!ok && misplaced++ == 0) first = std::to_string(x) + "," + std::to_string(y);
        }
        EXPECT_EQ(misplaced, 0) << height << ": text at " << first;
        EXPECT_GT(text, 400) << height;
    }
}

}  // namespace
}  // namespace ampliro
