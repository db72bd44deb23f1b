#include "app/metronome/metronome_screen.h"

#include "app/windowed_program.h"
#include "audio/stream.h"
#include "gfx/image.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/resources.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

constexpr uint16_t kFace = 0x4208;
constexpr uint16_t kCloseFace = 0xBE9E;
constexpr uint16_t kShowCaptionFlags = kVisible | kShowCaption;
constexpr uint16_t kLampFlags = kVisible | kDisabled | kShowCaption;
constexpr int16_t kKnobRadius = 18;

void SetUpKnob(Knob& k, uint16_t id, const char* caption, int32_t x, int32_t y,
               const Surface* strip, const Surface* mask, int32_t minimum, int32_t maximum,
               uint32_t style, int32_t value) {
    const int32_t w = strip ? strip->width : 0;
    k.SetBounds(x, y, w, w + 5);
    k.SetFlags(kShowCaptionFlags);
    k.SetCaption(id, caption, kPlaceBelow);
    k.SetImages(strip, mask);
    k.SetRange(minimum, maximum);
    k.SetRadius(kKnobRadius);
    k.SetStyle(style);
    k.SetValue(value);
}

void SetUpLamp(Button& b, uint16_t id, const char* caption, int32_t x, uint16_t placement,
               const SpriteSheet* sheet, int32_t column) {
    b.SetBounds(x, 90, 15, 15);
    b.SetFlags(kLampFlags);
    b.SetCaption(id, caption, placement);
    b.SetStyle(0);
    b.SetImage(sheet, column);
}

}  // namespace

void MetronomeScreen::BuildScreen(const ResourceModule* module, int32_t sampleRate) {
    engine_.SetSampleRate(sampleRate);
    engine_.LoadSounds(module);
    tempoStrip_.reset(LoadImageResource(kTempoKnobStrip, kResourceGif, module));
    tempoMask_.reset(LoadImageResource(kTempoKnobMask, kResourceGif, module));
    knobStrip_.reset(LoadImageResource(kGoldCapKnobStrip, kResourceGif, module));
    knobMask_.reset(LoadImageResource(kKnobMask, kResourceGif, module));
    lampImage_.reset(LoadImageResource(kLampsBitmap, RT_BITMAP, module));
    if (lampImage_) lampSheet_.Init(lampImage_.get(), 2, 2, 0xF81F);
    const SpriteSheet* lamps = lampImage_ ? &lampSheet_ : nullptr;

    SetBounds(0, 0, 240, 320);
    RemoveChildren();
    startStop.Configure(kMetronomeStartStopId, "#FFFFFFStart/Stop", 55, 190, 60, 22,
                        kButtonToggle | kButtonFramed | kButtonOutline, kFace);
    closeButton.Configure(kMetronomeCloseId, "#FFFFFFx", 208, 10, 15, 14,
                          kButtonFramed | kButtonOutline, kCloseFace);
    toneButton.Configure(kMetronomeToneId, "#FFFFFF440Hz", 125, 190, 60, 22,
                         kButtonToggle | kButtonFramed | kButtonOutline, kFace);
    muteButton.Configure(kMetronomeMuteId, "#FFFFFFMute Mic", 95, 160, 50, 22,
                         kButtonToggle | kButtonFramed | kButtonOutline, kFace);
    SetUpKnob(tempoKnob, kMetronomeTempoId, engine_.TempoLabel(), 95, 75, tempoStrip_.get(),
              tempoMask_.get(), kMinTempo, kMaxTempo, 2, engine_.Tempo());
    SetUpKnob(accentKnob, kMetronomeAccentId, "#FFFFFFAccent", 36, 125, knobStrip_.get(),
              knobMask_.get(), kMinAccent, kMaxAccent, 0, engine_.Accent());
    SetUpKnob(volumeKnob, kMetronomeVolumeId, "#FFFFFFVolume", 166, 125, knobStrip_.get(),
              knobMask_.get(), 0, kMaxMetronomeVolume, 0, engine_.Volume());
    SetUpLamp(beatLamp, 10, "#FFFFFFBeat", 30, kPlaceRight, lamps, 0);
    SetUpLamp(accentLamp, 11, "#FFFFFFAcc", 195, kPlaceLeft, lamps, 1);
    for (Widget* child : {static_cast<Widget*>(&startStop), static_cast<Widget*>(&closeButton),
                          static_cast<Widget*>(&toneButton), static_cast<Widget*>(&muteButton),
                          static_cast<Widget*>(&tempoKnob), static_cast<Widget*>(&accentKnob),
                          static_cast<Widget*>(&volumeKnob), static_cast<Widget*>(&beatLamp),
                          static_cast<Widget*>(&accentLamp)}) {
        AddChild(child);
    }
}

void MetronomeScreen::SetTempo(int32_t bpm) {
    engine_.SetTempo(bpm);
    tempoKnob.SetValue(engine_.Tempo());
    tempoKnob.caption = engine_.TempoLabel();
}

void MetronomeScreen::ShowLamps() {
    if (engine_.BeatLampOn())
        beatLamp.AddStyle(kButtonOn);
    else
        beatLamp.RemoveStyle(kButtonOn);
    if (engine_.AccentLampOn())
        accentLamp.AddStyle(kButtonOn);
    else
        accentLamp.RemoveStyle(kButtonOn);
}

void MetronomeScreen::SetRunning(bool on) {
    if (!IsAudioRunning()) return;
    if (on && !engine_.Running()) engine_.Start();
    if (!on && engine_.Running()) engine_.Stop();
    if (engine_.Running())
        startStop.AddStyle(kButtonOn);
    else
        startStop.RemoveStyle(kButtonOn);
}

void MetronomeScreen::HandleCommand(uint16_t id) {
    switch (id) {
        case kMetronomeTempoId:
            SetTempo(tempoKnob.GetValue());
            break;
        case kMetronomeAccentId:
            engine_.SetAccent(accentKnob.GetValue());
            accentKnob.SetValue(engine_.Accent());
            break;
        case kMetronomeVolumeId:
            engine_.SetVolume(volumeKnob.GetValue());
            break;
        case kMetronomeStartStopId:
            if (!IsAudioRunning()) break;
            if (engine_.Running())
                engine_.Stop();
            else
                engine_.Start();
            break;
        case kMetronomeToneId:
            engine_.ToggleTone();
            break;
        case kMetronomeMuteId:
            MuteInput.store(muteButton.HasStyle(kButtonOn) ? 1 : 0);
            break;
        case kMetronomeCloseId:
            if (WindowedProgram* program = RunningProgram()) program->RequestClose();
            break;
        default:
            break;
    }
}

int MetronomeScreen::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND) {
        HandleCommand(static_cast<uint16_t>(wParam & 0xFFFF));
        return 0;
    }
    if (message == WM_PAINT) ShowLamps();
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
