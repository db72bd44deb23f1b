#include "app/tuner/tuner_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/note_name.h"
#include "audio/tuner_tap.h"
#include "gfx/font.h"
#include "gfx/scaled_text.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

constexpr uint16_t kScreenColour = 0x10A2;
constexpr uint16_t kPanelColour = 0x0841;
constexpr uint16_t kFrameColour = 0x4208;
constexpr uint16_t kFace = 0x4208;
constexpr uint16_t kCloseFace = 0xBE9E;
constexpr uint32_t kFramedButton = kButtonFramed | kButtonOutline;
constexpr uint16_t kDimColour = 0x630C;
constexpr uint16_t kInTune = 0x07E0;
constexpr uint16_t kNear = 0xFFE0;
constexpr uint16_t kFar = 0xF800;
constexpr uint16_t kWhite = 0xFFFF;
// Within this many cents the note counts as in tune: the green zone.
constexpr double kInTuneCents = 3.0;
constexpr double kNearCents = 15.0;

uint16_t CentsColour(double cents) {
    const double off = std::abs(cents);
    return off <= kInTuneCents ? kInTune : off <= kNearCents ? kNear : kFar;
}

}  // namespace

int32_t NeedleStrip::XOf(double cents) const {
    const double clamped = std::clamp(cents, -50.0, 50.0);
    return left + static_cast<int32_t>(std::lround((clamped + 50.0) * (width - 1) / 100.0));
}

void TunerScreen::Layout(BitmapFont* font, BitmapFont* titleFont, TunerHost* host,
                         bool squareScreen) {
    font_ = font;
    titleFont_ = titleFont;
    host_ = host;
    square_ = squareScreen;
    SetBounds(0, 0, 240, squareScreen ? 240 : 320);
    // Tall screen: the note, the strip, the readings, the reference; the
    // square one keeps the order in 240 lines, its last line ("Output
    // muted while tuning", 26 below the reference row) ending above 240.
    noteTop_ = squareScreen ? 30 : 44;
    strip_ = squareScreen ? NeedleStrip{20, 104, 201, 26} : NeedleStrip{20, 156, 201, 34};
    readoutTop_ = strip_.top + strip_.height + 22;
    referenceTop_ = squareScreen ? 192 : 272;
    RemoveChildren();
    closeButton.Configure(kTunerCloseId, "#FFFFFFx", 208, 10, 15, 14, kFramedButton, kCloseFace);
    lowerButton.Configure(kTunerLowerId, "#FFFFFF-", 20, referenceTop_, 30, 22,
                          kFramedButton | kButtonAutoRepeat, kFace);
    raiseButton.Configure(kTunerRaiseId, "#FFFFFF+", 190, referenceTop_, 30, 22,
                          kFramedButton | kButtonAutoRepeat, kFace);
    AddChild(&closeButton);
    AddChild(&lowerButton);
    AddChild(&raiseButton);
}

void TunerScreen::Poll() {
    engine_.Poll(TunerRing());
}

void TunerScreen::ChangeReference(int32_t step) {
    engine_.SetReference(engine_.Reference() + step);
}

void TunerScreen::PaintNote(Surface* surface) {
    const TunerReading& r = engine_.Reading();
    constexpr int32_t kNoteScale = 4;
    if (!r.hasNote) {
        const int32_t w = ScaledTextWidth(titleFont_, "-", kNoteScale);
        DrawScaledText(titleFont_, surface, (240 - w) / 2, noteTop_, "-", kNoteScale, kDimColour);
        return;
    }
    const char* name = NoteName(r.position.note);
    char octave[8];
    std::snprintf(octave, sizeof octave, "%d", static_cast<int>(r.position.octave));
    const int32_t nameWidth = ScaledTextWidth(titleFont_, name, kNoteScale);
    const int32_t octaveWidth = ScaledTextWidth(titleFont_, octave, 2);
    const int32_t left = (240 - nameWidth - octaveWidth - 4) / 2;
    const uint16_t colour = CentsColour(r.position.cents);
    DrawScaledText(titleFont_, surface, left, noteTop_, name, kNoteScale, colour);
    DrawScaledText(titleFont_, surface, left + nameWidth + 4,
                   noteTop_ + titleFont_->height * (kNoteScale - 2), octave, 2, colour);
}

void TunerScreen::PaintStrip(Surface* surface) {
    const NeedleStrip& s = strip_;
    const int32_t bottom = s.top + s.height - 1;
    FillRect(surface, s.left - 3, s.top - 3, s.left + s.width + 2, bottom + 3, kFrameColour, 0);
    FillRect(surface, s.left - 1, s.top - 1, s.left + s.width, bottom + 1, kPanelColour, 0);
    // The green zone, then a tick every 10 cents, the centre one full height.
    FillRect(surface, s.XOf(-kInTuneCents), s.top, s.XOf(kInTuneCents), bottom, 0x0200, 0);
    for (int32_t cents = -50; cents <= 50; cents += 10) {
        const int32_t x = s.XOf(cents);
        const int32_t length = cents == 0 ? s.height : s.height / 3;
        VLine(surface, x, bottom - length + 1, length, cents == 0 ? kWhite : kDimColour);
    }
    DrawColourText(font_, surface, s.left - 6, bottom + 4, "-50", kDimColour, 0);
    DrawColourText(font_, surface, s.XOf(0) - 2, bottom + 4, "0", kDimColour, 0);
    DrawColourText(font_, surface, s.left + s.width - 14, bottom + 4, "+50", kDimColour, 0);
    const TunerReading& r = engine_.Reading();
    if (!r.hasNote) return;
    const int32_t x = s.XOf(r.position.cents);
    FillRect(surface, x - 1, s.top - 2, x + 1, bottom + 2, CentsColour(r.position.cents), 0);
}

void TunerScreen::Paint(Surface* surface) {
    if (!surface || !font_ || !titleFont_) return;
    FillRect(surface, 0, 0, width - 1, height - 1, kScreenColour, 0);
    FillRect(surface, 10, 8, 200, 26, kPanelColour, 0);
    DrawColourText(titleFont_, surface, 16, 9, "#FFE080TUNER", kWhite, 0);
    PaintNote(surface);
    PaintStrip(surface);

    const TunerReading& r = engine_.Reading();
    char line[48];
    if (r.hasNote) {
        std::snprintf(line, sizeof line, "#FFFFFF%+.1f cents", r.position.cents);
        DrawColourText(titleFont_, surface, -1, readoutTop_, line, kWhite, 0);
        std::snprintf(line, sizeof line, "#C0C0C0%.2f Hz", r.hz);
        DrawColourText(font_, surface, -1, readoutTop_ + 22, line, kWhite, 0);
    } else {
        DrawColourText(font_, surface, -1, readoutTop_ + 4, "#A0A0A0Play a single string", kWhite,
                       0);
    }
    std::snprintf(referenceLabel_, sizeof referenceLabel_, "#FFFFFFA4 = %d Hz",
                  static_cast<int>(engine_.Reference()));
    DrawColourText(font_, surface, -1, referenceTop_ + 4, referenceLabel_, kWhite, 0);
    DrawColourText(font_, surface, -1, referenceTop_ + 26, "#A0A0A0Output muted while tuning",
                   kWhite, 0);
}

int TunerScreen::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_PAINT) Paint(reinterpret_cast<Surface*>(wParam));
    if (message == WM_COMMAND) {
        switch (static_cast<uint16_t>(wParam & 0xFFFF)) {
            case kTunerLowerId:
                ChangeReference(-1);
                break;
            case kTunerRaiseId:
                ChangeReference(1);
                break;
            case kTunerCloseId:
                if (host_) host_->CloseTuner();
                break;
            default:
                break;
        }
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
