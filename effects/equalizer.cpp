#include "effects/equalizer.h"

#include <algorithm>

#include "effects/block_kernels.h"
#include "effects/record_io.h"

namespace ampliro {

Equalizer::Equalizer() {
    name = "Graphic EQ";
    imageIndex = 4;
}

int Equalizer::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!bank.Setup(rate)) return 0;
    for (int i = 0; i < kGraphicBands; ++i) bank.SetBand(i, bandGain[i]);
    BuildPanel();
    return 1;
}

void Equalizer::BuildPanel() {
    const SpriteSheet* thumb = Images().eqSliderThumb;
    AddLevelSlider(levelSlider, 23, 30, 15, 100, thumb);
    for (int i = 0; i < kGraphicBands; ++i) {
        UIScrollBar& band = bandSlider[i];
        band.SetBounds(63 + 21 * i, 30, 15, 100);
        band.tickCount = 11;
        band.SetThumbSheet(thumb);
        band.SetFlags(1);
        band.SetStyle(kScrollGrip | kScrollTicksBefore | kScrollTicksAfter);
        band.SetCaption(static_cast<uint16_t>(2 + i), "", 8);
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

void Equalizer::SetBandGain(int band, int32_t dB) {
    // The sliders span -10..+10 dB; a damaged preset is held to the same
    // range so that 10^(dB/40) stays finite.
    bandGain[band] = ClampInt(dB, -10, 10);
    bank.SetBand(band, bandGain[band]);
}

void Equalizer::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    const int32_t lvl = level;  // 0..64: s * lvl fits in 22 bits
    // The bank runs band by band over chunks of the block; its outputs pass
    // 16 bits before the clip, hence the 32-bit scratch on the stack.
    constexpr int32_t kChunk = 512;
    int32_t scratch[kChunk];
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        for (int32_t i = 0; i < n; ++i) scratch[i] = static_cast<int32_t>((block[i] * lvl) >> 6);
        bank.ProcessBlock(scratch, n);
        ClipBlock(*this, scratch, block, n);
    }
}

int Equalizer::Load(std::FILE* file) {
    int32_t lvl = level, on = enabled;
    ReadInt32(file, lvl);
    ReadInt32(file, on);
    level = ClampInt(lvl, 0, 64);
    enabled = on != 0;
    for (int i = 0; i < kGraphicBands; ++i) {
        int32_t dB = bandGain[i];
        ReadInt32(file, dB);
        SetBandGain(i, dB);
    }
    return 1;
}

int Equalizer::Save(std::FILE* file) {
    WriteInt32(file, level);
    WriteInt32(file, enabled);
    for (int32_t dB : bandGain) WriteInt32(file, dB);
    return 1;
}

void Equalizer::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (id >= 2 && id < 2 + kGraphicBands) {
        SetBandGain(id - 2, 10 - value);
    } else {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
