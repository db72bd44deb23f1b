// A pedal's plugin in one table: each row is a control port and the unit
// setter its value goes to. UnitDsp runs any DSP unit through such a table;
// PortsOf gives the rows' port descriptions for the plugin table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "lv2/pedal_dsp.h"
#include "lv2/plugin_table.h"

namespace ampliro::lv2 {

template <typename Unit>
struct UnitControl {
    ControlInfo info;
    // Null for a control the plugin itself reads (the block size).
    void (*set)(Unit&, int32_t);
};

template <typename Unit, size_t N>
constexpr std::array<ControlInfo, N> PortsOf(const UnitControl<Unit> (&controls)[N]) {
    std::array<ControlInfo, N> ports{};
    for (size_t i = 0; i < N; ++i) ports[i] = controls[i].info;
    return ports;
}

template <typename Unit, size_t N>
class UnitDsp final : public PedalDsp {
  public:
    explicit UnitDsp(const UnitControl<Unit> (&controls)[N]) : controls_(controls) {}

    // A new unit each time: some units keep filter memories across their
    // own Init (as the pedal does across a preset load), but a host's
    // activate asks for a plugin as fresh as a new one. The instance then
    // hands every control to the new unit.
    bool Init(int32_t rate) override {
        unit_ = std::make_unique<Unit>();
        if constexpr (std::is_same_v<decltype(unit_->Init(rate)), bool>) {
            return unit_->Init(rate);
        } else {
            unit_->Init(rate);
            return true;
        }
    }
    void Set(size_t control, int32_t value) override {
        if (control < N && controls_[control].set != nullptr) controls_[control].set(*unit_, value);
    }
    void Process(int16_t* samples, int32_t count) override {
        unit_->Process(samples, static_cast<size_t>(count));
    }

  private:
    const UnitControl<Unit> (&controls_)[N];
    std::unique_ptr<Unit> unit_;
};

template <typename Unit, size_t N>
std::unique_ptr<PedalDsp> MakeUnitDsp(const UnitControl<Unit> (&controls)[N]) {
    return std::make_unique<UnitDsp<Unit, N>>(controls);
}

}  // namespace ampliro::lv2
