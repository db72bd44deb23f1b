// PedalDsp: what a plugin instance drives. Each pedal's binding wraps that
// pedal's DSP unit: Init sets it up for a rate (the only call that may
// allocate; false when memory ran out), Set hands it one control's value in
// the knob's own units, and Process runs it on 16-bit samples in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro::lv2 {

class PedalDsp {
  public:
    virtual ~PedalDsp() = default;
    virtual bool Init(int32_t rate) = 0;
    // control: the index in the plugin's control table.
    virtual void Set(size_t control, int32_t value) = 0;
    virtual void Process(int16_t* samples, int32_t count) = 0;
};

}  // namespace ampliro::lv2
