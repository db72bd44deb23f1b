// The panel side of Effect: the common controls and the message rule.
#include "effects/effect.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

const PedalImages kNoImages;
const PedalImages* gImages = &kNoImages;

// A knob strip's frames are squares as wide as the strip; without the
// picture the knob keeps the artwork's usual size.
constexpr int32_t kDefaultKnobSide = 40;

}  // namespace

void Effect::SetImages(const PedalImages* images) {
    gImages = images ? images : &kNoImages;
}

const PedalImages& Effect::Images() {
    return *gImages;
}

int32_t Effect::StripWidth(KnobStrip strip) {
    const Surface* s = gImages->knobStrip[strip];
    return s ? s->width : kDefaultKnobSide;
}

int Effect::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP) return 0;
    if (message == WM_COMMAND) {
        const uint16_t id = static_cast<uint16_t>(wParam & 0xFFFF);
        OnControl(id, ControlValue(id));
    } else if (message == WM_PAINT) {
        // The audio thread lights the indicator; the lamp shows it when painted.
        peakLamp.SetStyle(peakIndicator.load(std::memory_order_relaxed) ? kButtonOn : 0);
    }
    return DefaultProc(message, wParam, lParam);
}

int32_t Effect::ControlValue(uint16_t id) const {
    for (Widget* child = firstChild; child; child = child->nextSibling) {
        if (child->id != id) continue;
        if (const auto* knob = dynamic_cast<const Knob*>(child)) return knob->GetValue();
        if (const auto* bar = dynamic_cast<const ScrollBar*>(child)) return bar->GetPosition();
    }
    return 0;
}

void Effect::AddLevelSlider(ScrollBar& slider, int32_t x, int32_t y, int32_t w, int32_t h,
                            const SpriteSheet* thumb) {
    slider.SetBounds(x, y, w, h);
    slider.tickCount = 9;
    slider.SetThumbSheet(thumb);
    slider.SetFlags(kVisible);
    slider.SetStyle(kScrollGrip | kScrollTicksBefore | kScrollTicksAfter);
    slider.SetCaption(kLevelSliderId, "#FFFFFFLevel", kPlaceBelow);
    slider.SetScrollRange(0, 64, 0);
    slider.SetPosition(64 - level.load(std::memory_order_relaxed));
    slider.trackColour = 0xFFFF;
    slider.thumbColour = 0xBE7F;
    slider.thumbShadowColour = 0x6218;
    slider.thumbDraggedColour = 0xADFD;
    AddChild(&slider);
}

void Effect::AddPowerLamp() {
    powerLamp.SetBounds(20, 12, 15, 15);
    powerLamp.SetFlags(kVisible | kDisabled | kShowCaption);
    powerLamp.SetCaption(kPowerLampId, "#FFFFFFPower", kPlaceRight);
    powerLamp.SetStyle(enabled.load(std::memory_order_relaxed) ? kButtonOn : 0);
    powerLamp.SetImage(gImages->lampSheet, 0);
    AddChild(&powerLamp);
}

void Effect::AddPeakLamp(int32_t x, int32_t y) {
    peakLamp.SetBounds(x, y, 15, 15);
    peakLamp.SetFlags(kVisible | kDisabled | kShowCaption);
    peakLamp.SetCaption(kPeakLampId, "#FFFFFFPeak", kPlaceRight);
    peakLamp.SetStyle(0);
    peakLamp.SetImage(gImages->lampSheet, 1);
    AddChild(&peakLamp);
}

void Effect::AddFootSwitch() {
    footSwitch.SetBounds(8, 220, 222, 85);
    footSwitch.SetFlags(kVisible);
    footSwitch.SetCaption(kFootSwitchId, "", kPlaceRight);
    footSwitch.SetStyle(kButtonToggle);
    AddChild(&footSwitch);
}

void Effect::AddKnob(Knob& knob, uint16_t id, int32_t cx, int32_t cy, KnobStrip strip,
                     int32_t minimum, int32_t maximum, int32_t value, int32_t side) {
    const int32_t w = side > 0 ? side : StripWidth(strip);
    const int32_t half = StripWidth(kBlackSilverCapKnob) / 2;
    knob.SetBounds(cx - half, cy - half, w, w);
    knob.SetStyle(0);
    knob.SetImages(gImages->knobStrip[strip], gImages->knobMask);
    knob.SetRange(minimum, maximum);
    knob.SetRadius(18);
    knob.SetValue(value);
    knob.SetCaption(id, "", kPlaceCentre);
    AddChild(&knob);
}

}  // namespace ampliro
