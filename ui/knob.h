// Knob: a rotary control showing one frame of a pre-rendered film strip,
// blended onto the background through a matching strip of opacity masks.
// Turned by dragging sideways after touching inside its circular face.
#pragma once

#include <cstdint>

#include "ui/widget.h"

namespace ampliro {

// Style bits.
inline constexpr uint32_t kKnobDragging = 0x01;
inline constexpr uint32_t kKnobEndless = 0x02;

class Knob : public Widget {
  public:
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Frames are square and stacked vertically: count = height / width.
    void SetImages(const Surface* strip, const Surface* mask);
    void SetRange(int32_t minimum, int32_t maximum) {
        this->minimum = minimum;
        this->maximum = maximum;
    }
    // Ignored outside [minimum, maximum]; sends nothing.
    void SetValue(int32_t value);
    int32_t GetValue() const { return value; }
    void SetStyle(uint32_t style) { this->style = style; }
    void SetRadius(int16_t radius) { this->radius = radius; }

    int32_t maximum = 0;
    int32_t minimum = 0;
    int32_t value = 0;
    uint32_t style = 0;
    int32_t frameCount = 0;
    int32_t maskFrameCount = 0;
    int32_t startValue = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    int16_t frame = 0;
    int16_t radius = 0;
    const Surface* strip = nullptr;
    const Surface* mask = nullptr;

  private:
    int32_t FrameForValue() const;
    bool Touched(uintptr_t lParam) const;
    void Drag(int32_t penX);
    void Paint(Surface* surface) const;
};

}  // namespace ampliro
