// GraphicEqPedal: the Graphic EQ pedal around the graphic EQ unit; its seven band
// sliders take the place of knobs.
#pragma once

#include "effects/effect.h"
#include "effects/units/graphic_eq/graphic_eq.h"

namespace ampliro {

class GraphicEqPedal final : public TablePedal<GraphicEqPedal> {
  public:
    // The band sliders' control ids: band i is kFirstBandSliderId + i.
    static constexpr int32_t kFirstBandSliderId = 2;

    GraphicEqPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<GraphicEqPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    void SetBandGain(int band, int32_t dB);

    int32_t bandGain[dsp::kGraphicBands] = {};
    ScrollBar levelSlider;
    ScrollBar bandSlider[dsp::kGraphicBands];

  protected:
    bool OnOwnControl(int32_t id, int32_t value) override;

  private:
    dsp::GraphicEq unit_;
    void BuildPanel();
};

}  // namespace ampliro
