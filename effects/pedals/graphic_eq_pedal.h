// GraphicEqPedal: the Graphic EQ pedal around the graphic EQ unit; its seven band
// sliders take the place of knobs.
#pragma once

#include "effects/effect.h"
#include "effects/units/graphic_eq/graphic_eq.h"

namespace ampliro {

class GraphicEqPedal final : public Effect {
  public:
    // The band sliders' control ids: band i is kFirstBandSliderId + i.
    static constexpr int32_t kFirstBandSliderId = 2;

    GraphicEqPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return unit_.Step(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    void SetBandGain(int band, int32_t dB);

  private:
    dsp::GraphicEq unit_;

  public:
    dsp::GraphicBank& bank = unit_.bank();
    int32_t bandGain[dsp::kGraphicBands] = {};
    ScrollBar levelSlider;
    ScrollBar bandSlider[dsp::kGraphicBands];

  private:
    void BuildPanel();
};

}  // namespace ampliro
