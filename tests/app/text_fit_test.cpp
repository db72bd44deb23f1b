// Every text of every screen stays inside its control: each screen of the
// real program (its own fonts, artwork and layouts, in both screen shapes
// where the layout has two) is painted twice, once as usual and once with
// the caption and title fonts' glyphs blanked. The pixels that differ are the text;
// each of them must lie on the inner face of the control that draws it, or
// on free panel space where an outside caption belongs, never on a frame, a
// bevel, an arrow, a scroll bar or another control.
#include "tests/app/text_fit_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/screens/media_picker.h"
#include "gfx/font.h"
#include "gfx/message_box.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/button.h"
#include "ui/list_box.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using fit::Absolute;
using fit::Rect;
using fit::TextFitTest;

TEST_F(TextFitTest, EveryAreaInThisScreenShape) {
    const std::string shape = game->squareScreen ? "square" : "tall";
    const std::vector<Rect> shapeClear =
        game->squareScreen ? std::vector<Rect>{BelowSquareScreen()} : std::vector<Rect>{};
    Show(&game->configuration);
    game->configuration.RefreshEffectList(0);
    EXPECT_GT(CheckScreen(shape + " Configuration", shapeClear), 500);
    ExpectRowsWhole(game->configuration.effectList, "effect order");
    ExpectComboWhole(game->configuration.sampleRate, "sample rate");
    // On JACK, the server's figures in the latency knob's place; its longest.
    game->configuration.FollowServerBlock(1024, 44100);
    EXPECT_GT(CheckScreen(shape + " Configuration on a JACK server", shapeClear), 500);
    game->configuration.FollowServerBlock(0, 0);

    // The choice open over the effect order list: drawn whole, its frame's
    // bottom line too.
    game->configuration.sampleRate.Open();
    EXPECT_GT(CheckScreen(shape + " Configuration, sample rate open", shapeClear), 500);
    const ListBox& drop = game->configuration.sampleRate.list;
    const Rect dropRect = Absolute(&drop);
    const Surface& shown = Display().Presented();
    for (int32_t x = dropRect.left; x < dropRect.right - 16; ++x)
        ASSERT_EQ(shown.Row(dropRect.bottom)[x], 0x0000) << "bottom line at " << x;
    game->configuration.sampleRate.Close();

    game->presets.presets.Reload();
    Show(&game->presets);
    EXPECT_GT(CheckScreen(shape + " Presets", shapeClear), 200);
    Show(&game->metronome);
    EXPECT_GT(CheckScreen(shape + " Metronome", shapeClear), 200);
    game->metronome.toneButton.AddStyle(kButtonOn);
    game->metronome.muteButton.AddStyle(kButtonOn);
    game->metronome.startStop.AddStyle(kButtonOn);
    CheckScreen(shape + " Metronome, switches on", shapeClear);
    Show(&game->recorder);
    EXPECT_GT(CheckScreen(shape + " Loop Recorder", shapeClear), 100);
    for (int key = 0; key < kChainLength; ++key) {
        game->ShowEffect(key);
        CheckScreen(shape + " pedal " + std::to_string(key), shapeClear);
    }
}

TEST_F(TextFitTest, TheOtherShapesLayoutsOfConfigurationAndPresets) {
    const bool square = !game->squareScreen;
    const std::string shape = square ? "square" : "tall";
    const ConfigurationArtwork art = ConfigurationArt();
    // With the high rates too (their rows are checked on their own below).
    ConfigurationScreen configuration;
    configuration.Layout(art, game.get(), square, true);
    configuration.RefreshEffectList(0);
    Show(&configuration);
    const std::vector<Rect> keepClear =
        square ? std::vector<Rect>{BelowSquareScreen()} : std::vector<Rect>{};
    CheckScreen(shape + " Configuration", keepClear);
    ExpectRowsWhole(configuration.effectList, "effect order");

    PresetsArtwork presetsArt;
    presetsArt.font = font;
    presetsArt.arrows = art.arrows;
    presetsArt.pictures = game->presets.presets.list.pictures;
    PresetsScreen presets;
    presets.Layout(presetsArt, game.get(), square, folder.string().c_str());
    Show(&presets);
    CheckScreen(shape + " Presets", keepClear);
    game->desktop.Reset();
}

TEST_F(TextFitTest, TheHighSampleRatesShowWholeInBothShapes) {
    const ConfigurationArtwork art = ConfigurationArt();
    for (const bool square : {false, true}) {
        const std::string shape = square ? "square" : "tall";
        ConfigurationScreen configuration;
        configuration.Layout(art, game.get(), square, true);
        ASSERT_EQ(configuration.sampleRate.list.RowCount(), 5);
        Show(&configuration);
        const std::vector<Rect> keepClear =
            square ? std::vector<Rect>{BelowSquareScreen()} : std::vector<Rect>{};
        // Each rate chosen in turn, the longest "48Khz Very High Quality".
        for (int32_t row = 0; row < 5; ++row) {
            configuration.sampleRate.list.SetSelection(row);
            const std::string what = shape + " sample rate '" +
                                     configuration.sampleRate.list.GetColumnText(row, 0) + "'";
            CheckScreen(what, keepClear);
            configuration.sampleRate.Open();
            CheckScreen(what + ", open", keepClear);
            configuration.sampleRate.Close();
        }
        ExpectComboWhole(configuration.sampleRate, shape + " sample rate");
    }
    game->desktop.Reset();
}

TEST_F(TextFitTest, TheMediaPickerShowsTheSizesOfAmpModelsAndIRsWhole) {
    // A short IR, a typical amp model (296,570 bytes: "289K"), the largest
    // size still in kilobytes ("1000K"), a large model ("12Mb") and the
    // widest size text ("999Mb"). The large files are sparse.
    const fs::path models = folder / "models";
    fs::create_directories(models);
    const std::pair<const char*, uintmax_t> files[] = {{"short.wav", 78000},
                                                       {"standard.nam", 296570},
                                                       {"edge.nam", 1024000},
                                                       {"large.nam", 12u << 20},
                                                       {"huge.nam", 1023000000}};
    for (const auto& [name, size] : files) {
        std::ofstream(models / name) << "x";
        fs::resize_file(models / name, size);
    }
    MediaPicker picker;
    picker.Layout(font, game->configuration.effectList.arrowSheet,
                  game->presets.presets.list.pictures);
    picker.Open(models.string());
    ASSERT_EQ(picker.files.list.RowCount(), 6);  // with ".."
    Show(&picker);
    EXPECT_GT(CheckScreen("media picker"), 300);
    ExpectRowsWhole(picker.files.list, "media picker");
    game->desktop.Reset();
}

TEST_F(TextFitTest, TheCheckSeesACaptionThatRunsOverItsButtonsFrame) {
    Show(&game->configuration);
    game->configuration.RefreshEffectList(0);
    ASSERT_EQ(Measure().misplaced, 0);
    Button& button =
        game->configuration.Square() ? game->configuration.moveDown : game->configuration.onOff;
    const char* const caption = button.caption;
    button.caption = "#FFFFFFMove it all the way down";
    const Fit fit = Measure();
    button.caption = caption;
    // Its letters land on its own frame and on the effect order list beside it.
    EXPECT_GT(fit.misplaced, 10) << fit.first;
}

TEST_F(TextFitTest, MessageBoxButtonLabelsFitTheirButtons) {
    BitmapFont title;
    ASSERT_EQ(LoadFont(&title, nullptr, 3), 1);
    const struct {
        int kind;
        const char* text;
    } boxes[] = {{kMessageKindIntro, "Read me."},
                 {kMessageKindYesNo, "Sure?"},
                 {kMessageKindOk, "Done."},
                 {kMessageOkCancel | kMessageCentre, "Go on?"}};
    for (const auto& b : boxes) {
        MessageBox box;
        box.titleFont = &title;
        box.textFont = font;
        box.buttonFont = font;
        const MessageRect rect{10, 0, 230, 200};
        PostMessage(game->window, WM_KEYDOWN, VK_RETURN, 0);
        PostMessage(game->window, WM_KEYUP, VK_RETURN, 0);
        ASSERT_GT(RunMessageBox(&box, game->display, b.text, "Title", &rect,
                                static_cast<uint32_t>(b.kind)),
                  0);
        for (int32_t i = 0; i < box.bar.count; ++i) {
            const BarButton& button = box.bar.buttons[i];
            if (button.id < 0) continue;
            // Centred, clear of the frame and bevel by a pixel on each side.
            EXPECT_LE(TextWidth(font, button.label), button.right - button.left - 6)
                << "'" << button.label << "'";
            EXPECT_LE(font->height, button.bottom - button.top - 4) << "'" << button.label << "'";
        }
    }
}

}  // namespace
}  // namespace ampliro
