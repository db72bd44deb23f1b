// The widget gallery: one of each control on the device screen, to try them
// with the mouse. Escape or closing the window ends it.
#include <cstdio>
#include <memory>

#include "app/windowed_program.h"
#include "display/display.h"
#include "gallery_artwork.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/resources/resource_ids.h"
#include "platform/window/messages.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/desktop.h"
#include "ui/knob.h"
#include "ui/list_box.h"
#include "ui/scroll_bar.h"
#include "ui/sprite_sheet.h"

namespace ampliro {
namespace {

constexpr int32_t kKnobSide = 39;
constexpr int32_t kKnobFrames = 63;

enum ControlId : uint16_t {
    kGain = 1,
    kTempo,
    kPush,
    kToggle,
    kOutline,
    kRadioA,
    kRadioB,
    kRadioC,
    kLamp,
    kMinus,
    kPlus,
    kScroll,
    kSlider,
    kList,
    kCombo,
};

const char* const kControlNames[] = {"",       "Gain",   "Tempo", "Push", "Toggle", "Outline",
                                     "A",      "B",      "C",     "Lamp", "-",      "+",
                                     "Scroll", "Slider", "List",  "Combo"};

// The pictures the controls draw from, made once.
struct Artwork {
    Artwork()
        : knob(MakeKnobStrip(kKnobSide, kKnobFrames)),
          mask(MakeKnobMask(kKnobSide, kKnobFrames)),
          horizontalArrows(MakeArrowSheet(14, true)),
          verticalArrows(MakeArrowSheet(14, false)),
          thumb(MakeSliderThumb(9, 17)) {
        horizontalSheet.Init(horizontalArrows.get(), 2, 2, 0xF81F);
        verticalSheet.Init(verticalArrows.get(), 2, 2, 0xF81F);
        thumbSheet.Init(thumb.get(), 1, 1, 0xF81F);
    }
    std::unique_ptr<Surface> knob, mask, horizontalArrows, verticalArrows, thumb;
    SpriteSheet horizontalSheet, verticalSheet, thumbSheet;
};

class GalleryScreen : public Widget {
  public:
    void Build(const Artwork& art, BitmapFont* font) {
        SetBounds(0, 0, kScreenWidth, kScreenHeight);
        AddKnob(gain_, kGain, 30, 34, 0, art);
        gain_.SetRange(0, 100);
        gain_.SetValue(50);
        AddKnob(tempo_, kTempo, 110, 34, kKnobEndless, art);
        tempo_.SetRange(40, 200);
        tempo_.SetValue(120);

        AddButton(push_, kPush, "#000000Push", 20, 105, 60, 20, kButtonFramed);
        AddButton(toggle_, kToggle, "#000000Toggle", 90, 105, 60, 20,
                  kButtonFramed | kButtonToggle);
        AddButton(outline_, kOutline, "#FFFFFFOutline", 162, 105, 58, 20,
                  kButtonFramed | kButtonOutline);
        outline_.borderColour = 0xFFFF;
        AddButton(radioA_, kRadioA, "#000000A", 20, 135, 25, 20,
                  kButtonFramed | kButtonRadio | kButtonGroupStart | kButtonOn);
        AddButton(radioB_, kRadioB, "#000000B", 50, 135, 25, 20, kButtonFramed | kButtonRadio);
        AddButton(radioC_, kRadioC, "#000000C", 80, 135, 25, 20, kButtonFramed | kButtonRadio);
        AddButton(lamp_, kLamp, nullptr, 120, 138, 14, 14, kButtonFramed);
        lamp_.SetFlags(kVisible | kDisabled);
        lamp_.faceColour = 0x4208;
        AddButton(minus_, kMinus, "#000000-", 160, 135, 25, 20, kButtonFramed | kButtonAutoRepeat);
        AddButton(plus_, kPlus, "#000000+", 195, 135, 25, 20, kButtonFramed | kButtonAutoRepeat);

        scroll_.SetStyle(kScrollHorizontal | kScrollGrip);
        scroll_.SetBounds(20, 168, 200, 14);
        scroll_.SetArrowSheet(&art.horizontalSheet);
        scroll_.SetScrollRange(0, 60, 10);
        scroll_.SetCaption(kScroll, nullptr, kPlaceBelow);
        AddChild(&scroll_);

        slider_.SetThumbSheet(&art.thumbSheet);
        slider_.SetStyle(kScrollHorizontal | kScrollTicksBefore | kScrollTicksAfter |
                         kScrollValueCaption);
        slider_.SetBounds(20, 190, 170, 17);
        slider_.SetScrollRange(0, 100, 0);
        slider_.SetFlags(kVisible | kShowCaption);
        slider_.SetCaption(kSlider, nullptr, kPlaceRight);
        AddChild(&slider_);

        list_.SetFont(font);
        list_.SetBounds(10, 222, 120, list_.SetRowHeightFor(4));
        list_.SetArrowSheet(&art.verticalSheet);
        list_.SetCapacity(16);
        for (const char* pedal : {"Overdrive", "Parametric EQ", "Pitch Shifter", "Phaser", "Chorus",
                                  "Delay", "Reverb", "Tremolo", "Graphic EQ"})
            list_.AddRow(pedal, 0, 0);
        list_.Refresh();
        list_.SetFlags(kVisible | kCanFocus);
        list_.SetCaption(kList, nullptr, kPlaceBelow);
        AddChild(&list_);

        const uint32_t rateWidth[1] = {80};
        combo_.Init(140, 222, 90, 4, 8, font, &art.verticalSheet, rateWidth, 1);
        combo_.SetCaption(kCombo, nullptr, kPlaceBelow);
        combo_.SetColours(0x0000, 0xFFFF, 0x0000, 0xC618);
        for (const char* rate : {"8000", "11025", "16000", "22050", "32000", "44100"})
            combo_.list.AddRow(rate, 0, 0);
        combo_.list.SetSelection(5);
        combo_.list.Refresh();
        AddChild(&combo_);
        std::snprintf(status_, sizeof status_, "#FFFF00Try the controls");
    }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        if (message == WM_COMMAND)
            Report(static_cast<uint16_t>(wParam & 0xFFFF), static_cast<uint16_t>(wParam >> 16),
                   lParam);
        return DefaultProc(message, wParam, lParam);
    }

    const char* Status() const { return status_; }

  private:
    void AddKnob(Knob& knob, uint16_t knobId, int32_t kx, int32_t ky, uint32_t style,
                 const Artwork& art) {
        knob.SetBounds(kx, ky, kKnobSide, kKnobSide + 5);
        knob.SetFlags(kVisible | kShowCaption);
        knob.SetStyle(style);
        knob.SetImages(art.knob.get(), art.mask.get());
        knob.SetCaption(knobId, knobId == kGain ? "#FFFFFFGain" : "#FFFFFFTempo", kPlaceBelow);
        AddChild(&knob);
    }
    void AddButton(Button& button, uint16_t buttonId, const char* text, int32_t bx, int32_t by,
                   int32_t w, int32_t h, uint32_t style) {
        button.SetBounds(bx, by, w, h);
        button.SetFlags(text ? kVisible | kShowCaption : kVisible);
        button.SetStyle(style);
        button.SetCaption(buttonId, text, kPlaceInside);
        AddChild(&button);
    }
    void Report(uint16_t from, uint16_t code, uintptr_t lParam) {
        int32_t value = static_cast<int32_t>(lParam);
        if (from == kToggle) {
            if (toggle_.HasStyle(kButtonOn))
                lamp_.AddStyle(kButtonOn);
            else
                lamp_.RemoveStyle(kButtonOn);
            lamp_.faceColour = toggle_.HasStyle(kButtonOn) ? 0x07E0 : 0x4208;
            value = toggle_.HasStyle(kButtonOn);
        } else if (from == kMinus || from == kPlus) {
            counter_ += from == kPlus ? 1 : -1;
            value = counter_;
        } else if (from >= kRadioA && from <= kRadioC) {
            value = from - kRadioA;
        } else if (from == kList) {
            value = list_.GetSelection();
        } else if (from == kCombo) {
            value = combo_.list.GetSelection();
        } else if (from == kPush || from == kOutline) {
            value = ++clicks_;
        }
        const char* name =
            from < sizeof kControlNames / sizeof *kControlNames ? kControlNames[from] : "?";
        std::snprintf(status_, sizeof status_, "#FFFFFF%s #FFFF00code %u #80FF80value %d", name,
                      static_cast<unsigned>(code), static_cast<int>(value));
    }

    Knob gain_, tempo_;
    Button push_, toggle_, outline_, radioA_, radioB_, radioC_, lamp_, minus_, plus_;
    ScrollBar scroll_, slider_;
    ListBox list_;
    Combo combo_;
    int32_t counter_ = 0;
    int32_t clicks_ = 0;
    char status_[96] = {};
};

class Gallery : public WindowedProgram {
  public:
    Gallery() {
        title = "Ampliro Gallery";
        framesPerSecond = 20;
        splashImage = 0;
        iconResource = kProgramIcon;
    }

    void Init() override {
        if (!LoadFont(&font_, nullptr, 1)) MakeSystemCaptionFont(&font_);
        art_ = std::make_unique<Artwork>();
        desktop_.Attach(display, window);
        desktop_.SetCaptionFont(&font_);
        screen_.Build(*art_, &font_);
        desktop_.AddChild(&screen_);
    }

    int Frame() override {
        Surface* surface = BackBuffer();
        if (!surface) return 1;
        GradientFill(surface, 0, 0, surface->width, surface->height, 0x18E3, 0x0010, 1);
        DrawColourText(&font_, surface, 8, 6, "#FFE000Widget gallery", 0xFFFF, 0);
        DrawColourText(&font_, surface, 8, surface->height - font_.height - 4, screen_.Status(),
                       0xFFFF, 0);
        desktop_.Render(nullptr);
        return 1;
    }

    int HandleInput(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        desktop_.HandleMessage(message, wParam, lParam);
        if (message == WM_KEYDOWN && wParam == 27) RequestClose();
        return 0;
    }

  private:
    BitmapFont font_;
    std::unique_ptr<Artwork> art_;
    Desktop desktop_;
    GalleryScreen screen_;
};

}  // namespace
}  // namespace ampliro

int main() {
    ampliro::Gallery gallery;
    if (!gallery.CreateMainWindow(nullptr)) return 1;
    return gallery.Run();
}
