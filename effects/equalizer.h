// Equalizer: the Graphic EQ pedal, seven peaking bands of -10..+10 dB from
// 100 Hz to 6.4 kHz after the Level stage; no mix.
#pragma once

#include "effects/effect.h"
#include "effects/graphic_bank.h"

namespace ampliro {

class Equalizer final : public Effect {
  public:
    Equalizer();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return bank.Process(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    void SetBandGain(int band, int32_t dB);

    GraphicBank bank;
    int32_t bandGain[kGraphicBands] = {};
    UIScrollBar levelSlider;
    UIScrollBar bandSlider[kGraphicBands];

  private:
    void BuildPanel();
};

}  // namespace ampliro
