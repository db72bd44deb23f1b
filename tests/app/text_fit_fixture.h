// The fixture of the text fit tests. Each screen of the real program (its own
// fonts, artwork and layouts) is painted twice, once as usual and once with
// the glyphs of the caption and title fonts blanked. The pixels that differ
// are the text; each of them must lie on the inner face of the control that
// draws it, or on free panel space where an outside caption belongs, never
// on a frame, a bevel, an arrow, a scroll bar or another control.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "audio/stream.h"
#include "display/memory_display.h"
#include "effects/effect.h"
#include "gfx/font.h"
#include "gfx/message_box.h"
#include "gfx/surface.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "platform/files/paths.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/knob.h"
#include "ui/list_box.h"
#include "ui/save_preset_dialog.h"
#include "ui/scroll_bar.h"

namespace ampliro {
namespace fit {

namespace fs = std::filesystem;

// A memory display that keeps a copy of every frame presented while asked
// to, for what a modal box draws and takes away again.
class RecordingDisplay : public MemoryDisplay {
  public:
    RecordingDisplay() : MemoryDisplay(240, 320) {}
    int Present(uint32_t flags) override {
        const int result = MemoryDisplay::Present(flags);
        if (recording) {
            const Surface& shown = Presented();
            std::vector<uint16_t> frame;
            for (int32_t y = 0; y < shown.height; ++y)
                frame.insert(frame.end(), shown.Row(y), shown.Row(y) + shown.width);
            frames.push_back(std::move(frame));
        }
        return result;
    }
    bool recording = false;
    std::vector<std::vector<uint16_t>> frames;
};

// The program on a 240 x 320 memory display in either build, so that the
// tall layouts fit whole and a square layout's text below its 240 rows shows
// as cut off.
class FitGame : public Application {
  public:
    FitGame() { headless = true; }
    int OpenDisplay(int32_t o) override {
        orientation = o;
        delete display;
        display = new RecordingDisplay();
        return 1;
    }
};

struct Rect {
    int32_t left, top, right, bottom;  // inclusive
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

// Where a control's own text may go, and the whole area the control paints.
struct ControlArea {
    const Widget* widget;
    Rect painted;
    Rect text;  // empty (right < left) when the control draws no text
    std::string name;
};

inline Rect Absolute(const Widget* o, int32_t grow = 0) {
    int32_t x = o->x, y = o->y;
    o->ToScreen(x, y);
    return {x - grow, y - grow, x + o->width - 1 + grow, y + o->height - 1 + grow};
}

inline std::string NameOf(const Widget* o) {
    if (o->caption) return o->caption;
    return "widget at " + std::to_string(o->x) + "," + std::to_string(o->y);
}

// The painted and text areas of one visible control, by what it is.
inline bool Describe(const Widget* o, ControlArea* area) {
    const Rect r = Absolute(o);
    area->widget = o;
    area->name = NameOf(o);
    constexpr Rect kNoText{0, 0, -1, -1};
    if (const auto* b = dynamic_cast<const Button*>(o)) {
        // A framed button paints l .. l + width (one more than its size),
        // the outline one pixel further out; its caption stays clear of the
        // frame and bevel lines by a pixel.
        const bool framed = b->style & kButtonFramed;
        const bool outline = b->style & kButtonOutline;
        const int32_t r2 = r.right + 1, b2 = r.bottom + 1;
        area->painted = outline
                            ? Rect{r.left - 1, r.top - 1, r2 + 1, b2}
                            : Rect{r.left, r.top, framed ? r2 : r.right, framed ? b2 : r.bottom};
        const bool inside = (o->captionPlacement & 0x10) && (o->flags & kShowCaption);
        if (!framed || !inside)
            area->text = kNoText;
        else if (outline)
            area->text = {r.left + 2, r.top + 2, r2 - 2, b2 - 3};
        else
            area->text = {r.left + 3, r.top + 3, r2 - 3, b2 - 3};
        return true;
    }
    if (const auto* list = dynamic_cast<const ListBox*>(o)) {
        const int32_t arrow = list->arrowSheet ? list->arrowSheet->cellWidth : 14;
        area->painted = r;
        area->text = {r.left + 1, r.top + 1, r.left + list->width - arrow - 1, r.bottom - 1};
        return true;
    }
    if (const auto* combo = dynamic_cast<const Combo*>(o)) {
        const int32_t closedBottom = r.top + combo->ClosedHeight() - 1;
        area->painted = {r.left, r.top, r.right, closedBottom};
        area->text = {r.left + 1, r.top + 1, r.left + combo->dropButton.left - 1, closedBottom - 1};
        return true;
    }
    if (dynamic_cast<const ScrollBar*>(o) || dynamic_cast<const Knob*>(o)) {
        area->painted = r;
        area->text = kNoText;
        return true;
    }
    if (dynamic_cast<const Edit*>(o)) {
        area->painted = r;
        area->text = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        return true;
    }
    return false;  // screens and panels: containers, their space is free
}

// Every visible control in painting order (the popup last, as it is painted).
inline void Collect(const Widget* root, const Widget* popup, std::vector<ControlArea>* out) {
    for (const Widget* c = root->firstChild; c; c = c->nextSibling) {
        if (!(c->flags & kVisible) || c == popup) continue;
        ControlArea area;
        if (Describe(c, &area)) out->push_back(area);
        Collect(c, nullptr, out);
    }
}

class TextFitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The process as well as the fixture: under AddressSanitizer two
        // test processes run side by side put their fixtures at one address.
        folder = fs::temp_directory_path() / ("ampliro-fit-" + std::to_string(getpid()) + "-" +
                                              std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::remove_all(folder);
        fs::create_directories(folder);
        // A name too long for the file list's column, and a short one.
        std::ofstream(folder / "An uncommonly long preset name for a test.preset") << "x";
        std::ofstream(folder / "Rock.preset") << "x";
        SetProgramFolder(folder.c_str());
        SetAudioBackend(&audio);
        game = std::make_unique<FitGame>();
        ASSERT_NE(game->CreateMainWindow(nullptr), nullptr);
        font = game->desktop.captionFont;
        ASSERT_NE(font, nullptr);
        ASSERT_NE(font->strip, nullptr);
        titleFont = game->NameDialog().titleFont;
        ASSERT_NE(titleFont, nullptr);
        ASSERT_NE(titleFont->strip, nullptr);
    }
    void TearDown() override {
        game.reset();
        SetAudioBackend(nullptr);
        SetProgramFolder(nullptr);
        fs::remove_all(folder);
    }

    RecordingDisplay& Display() { return *static_cast<RecordingDisplay*>(game->display); }

    // Lists keep a picture of their rows: both paintings must draw them.
    static void MarkListsDirty(Widget* root) {
        for (Widget* c = root->firstChild; c; c = c->nextSibling) {
            if (auto* list = dynamic_cast<ListBox*>(c)) list->MarkDirty();
            MarkListsDirty(c);
        }
    }
    std::vector<uint16_t> Render() {
        MarkListsDirty(&game->desktop);
        Display().BeginScene();
        Clear(Display().GetBackBuffer(), 0x0000);
        game->desktop.Render(nullptr);
        const Surface& shown = Display().Presented();
        std::vector<uint16_t> pixels;
        for (int32_t y = 0; y < shown.height; ++y)
            pixels.insert(pixels.end(), shown.Row(y), shown.Row(y) + shown.width);
        return pixels;
    }

    struct Fit {
        int textPixels = 0;
        int misplaced = 0;
        std::string first;  // the first misplaced pixel, described
    };

    // What draw paints, once as usual and once with the glyphs of both the
    // caption and the title font blanked.
    template <typename Draw>
    std::pair<std::vector<uint16_t>, std::vector<uint16_t>> WithAndWithoutText(Draw draw) {
        const std::vector<uint16_t> withText = draw();
        Surface* glyphs = font->strip;
        Surface* titleGlyphs = titleFont->strip;
        std::unique_ptr<Surface> blank(CreateSurface(glyphs->width, glyphs->height));
        std::unique_ptr<Surface> titleBlank(CreateSurface(titleGlyphs->width, titleGlyphs->height));
        Clear(blank.get(), 0x0000);
        Clear(titleBlank.get(), 0x0000);
        font->strip = blank.get();
        titleFont->strip = titleBlank.get();
        const std::vector<uint16_t> withoutText = draw();
        font->strip = glyphs;
        titleFont->strip = titleGlyphs;
        return {withText, withoutText};
    }

    // The text pixels of what the desktop holds now, checked against the
    // controls; none may fall into keepClear either (a picture an area draws
    // itself), nor on the screen's outer columns or last row, where a letter
    // is cut.
    Fit Measure(const std::vector<Rect>& keepClear = {}) {
        const auto [withText, withoutText] = WithAndWithoutText([this] { return Render(); });
        Render();

        std::vector<ControlArea> controls;
        Collect(&game->desktop, game->desktop.popup, &controls);
        if (game->desktop.popup) {
            ControlArea area;
            if (Describe(game->desktop.popup, &area)) controls.push_back(area);
            Collect(game->desktop.popup, nullptr, &controls);
        }
        const int32_t w = Display().Presented().width;
        const int32_t h = Display().Presented().height;
        Fit fit;
        for (size_t i = 0; i < withText.size(); ++i) {
            if (withText[i] == withoutText[i]) continue;
            ++fit.textPixels;
            const int32_t x = static_cast<int32_t>(i % static_cast<size_t>(w));
            const int32_t y = static_cast<int32_t>(i / static_cast<size_t>(w));
            // The control painted last at this point owns it.
            const ControlArea* owner = nullptr;
            for (const ControlArea& c : controls)
                if (c.painted.Contains(x, y)) owner = &c;
            bool clear = x == 0 || x == w - 1 || y == h - 1;
            for (const Rect& r : keepClear) clear = clear || r.Contains(x, y);
            if (clear) {
                if (fit.misplaced++ == 0)
                    fit.first = "text at " + std::to_string(x) + "," + std::to_string(y) +
                                " where no text belongs";
                continue;
            }
            if (!owner || owner->text.Contains(x, y)) continue;
            if (fit.misplaced++ == 0)
                fit.first = "text at " + std::to_string(x) + "," + std::to_string(y) +
                            " outside the text area of '" + owner->name + "'";
        }
        return fit;
    }
    // Below a square screen's last row: text there would be cut off.
    static Rect BelowSquareScreen() { return {0, 240, 239, 319}; }

    int CheckScreen(const std::string& screen, const std::vector<Rect>& keepClear = {}) {
        const Fit fit = Measure(keepClear);
        EXPECT_EQ(fit.misplaced, 0) << screen << ": " << fit.first;
        return fit.textPixels;
    }

    void Show(Widget* screen) {
        game->desktop.Reset();
        game->desktop.AddChild(screen);
    }

    // Every row of a list shows its columns whole, without an ellipsis.
    void ExpectRowsWhole(const ListBox& list, const std::string& what) {
        const int32_t arrow = list.arrowSheet ? list.arrowSheet->cellWidth : 14;
        const int32_t content = list.width - arrow;
        for (int32_t r = 0; r < list.RowCount(); ++r) {
            for (int32_t c = 0; c < list.columnCount; ++c) {
                const std::string text = list.GetColumnText(r, c);
                const int32_t right =
                    std::min<int32_t>(list.columns[c].left + list.columns[c].width, content);
                EXPECT_LE(TextWidth(font, text.c_str()), right - list.columns[c].left - 6)
                    << what << ": '" << text << "' does not fit its column";
            }
        }
    }

    // The game's own artwork, for Configuration screens laid out anew.
    ConfigurationArtwork ConfigurationArt() const {
        ConfigurationArtwork art;
        art.font = font;
        art.arrows = game->configuration.effectList.arrowSheet;
        art.powerSwitch = game->configuration.powerSwitch.sheet;
        art.lamps = game->configuration.powerLamp.sheet;
        art.knobStrip = game->configuration.latencyKnob.strip;
        art.knobMask = game->configuration.latencyKnob.mask;
        return art;
    }

    // Every row of a combo shows whole both in its drop list and on its
    // closed face, where the drop button ends the columns.
    void ExpectComboWhole(const Combo& combo, const std::string& what) {
        ExpectRowsWhole(combo.list, what + ", open");
        const ListBox& list = combo.list;
        for (int32_t r = 0; r < list.RowCount(); ++r) {
            for (int32_t c = 0; c < list.columnCount; ++c) {
                const std::string text = list.GetColumnText(r, c);
                const int32_t right = std::min<int32_t>(
                    list.columns[c].left + list.columns[c].width, combo.dropButton.left);
                EXPECT_LE(TextWidth(font, text.c_str()), right - list.columns[c].left - 6)
                    << what << ", closed: '" << text << "' does not fit its face";
            }
        }
    }

    fs::path folder;
    ScriptedAudio audio;
    std::unique_ptr<FitGame> game;
    BitmapFont* font = nullptr;
    BitmapFont* titleFont = nullptr;
};

}  // namespace fit
}  // namespace ampliro
