#include "effects/pedals/graphic_eq_pedal.h"

#include <array>
#include <utility>

namespace ampliro {
namespace {

template <int Band>
constexpr PedalParam<GraphicEqPedal> BandParam() {
    return {.get = [](const GraphicEqPedal& e) { return e.bandGain[Band]; },
            .set = [](GraphicEqPedal& e, int32_t dB) { e.SetBandGain(Band, dB); }};
}

// The preset record: level, enabled, then the seven band gains in dB.
template <int... Bands>
constexpr std::array<PedalParam<GraphicEqPedal>, 2 + sizeof...(Bands)> MakeParams(
    std::integer_sequence<int, Bands...>) {
    return {{LevelParam<GraphicEqPedal>(), EnabledParam<GraphicEqPedal>(), BandParam<Bands>()...}};
}

constexpr auto kParams = MakeParams(std::make_integer_sequence<int, dsp::kGraphicBands>());

}  // namespace

std::span<const PedalParam<GraphicEqPedal>> GraphicEqPedal::Params() {
    return kParams;
}

GraphicEqPedal::GraphicEqPedal() {
    name = "Graphic EQ";
    imageIndex = kGraphicEqPicture;
    RestoreDefaults();
}

int GraphicEqPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    for (int i = 0; i < dsp::kGraphicBands; ++i) unit_.SetBand(i, bandGain[i]);
    if (!unit_.Init(rate)) return 0;
    BuildPanel();
    return 1;
}

// A band slider's position 0 is the top, +10 dB.
void GraphicEqPedal::BuildPanel() {
    const SpriteSheet* thumb = Images().eqSliderThumb;
    AddLevelSlider(levelSlider, 23, 30, 15, 100, thumb);
    for (int i = 0; i < dsp::kGraphicBands; ++i) {
        ScrollBar& band = bandSlider[i];
        band.SetBounds(63 + 21 * i, 30, 15, 100);
        band.tickCount = 11;
        band.SetThumbSheet(thumb);
        band.SetFlags(kVisible);
        band.SetStyle(kScrollGrip | kScrollTicksBefore | kScrollTicksAfter);
        band.SetCaption(static_cast<uint16_t>(kFirstBandSliderId + i), "", kPlaceBelow);
        band.SetScrollRange(0, 20, 0);
        band.SetPosition(10 - bandGain[i]);
        band.trackColour = 0xFFFF;
        band.thumbColour = 0xBE7F;
        band.thumbShadowColour = 0x6218;
        band.thumbDraggedColour = 0xADFD;
        AddChild(&band);
    }
    AddPowerLamp();
    AddPeakLamp(90, 12);
    AddFootSwitch();
}

void GraphicEqPedal::SetBandGain(int band, int32_t dB) {
    unit_.SetBand(band, dB);
    bandGain[band] = dsp::ClampInt(dB, -10, 10);
}

void GraphicEqPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

bool GraphicEqPedal::OnOwnControl(int32_t id, int32_t value) {
    const int32_t band = id - kFirstBandSliderId;
    if (band < 0 || band >= dsp::kGraphicBands) return false;
    SetBandGain(band, 10 - value);
    return true;
}

}  // namespace ampliro
