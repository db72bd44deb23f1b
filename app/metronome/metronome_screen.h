// The Metronome program area: tempo, accent and volume knobs, Start/Stop, the
// 440 Hz tone, "Mute Mic" and the Beat and Acc lamps, over the engine that
// the processing pass drives.
#pragma once

#include <cstdint>
#include <memory>

#include "app/metronome/metronome_engine.h"
#include "gfx/surface.h"
#include "ui/button.h"
#include "ui/knob.h"
#include "ui/sprite_sheet.h"
#include "ui/widget.h"

namespace ampliro {

class ResourceModule;

// Control ids.
inline constexpr uint16_t kMetronomeTempoId = 1;
inline constexpr uint16_t kMetronomeAccentId = 2;
inline constexpr uint16_t kMetronomeVolumeId = 3;
inline constexpr uint16_t kMetronomeStartStopId = 10;
inline constexpr uint16_t kMetronomeToneId = 11;
inline constexpr uint16_t kMetronomeMuteId = 12;
inline constexpr uint16_t kMetronomeCloseId = 20;

class MetronomeScreen : public Widget, public MetronomeHook {
  public:
    MetronomeScreen() = default;

    // Main thread, at start-up: loads the click, the tone and the pictures
    // (module null: the program's own) and lays out the screen.
    void BuildScreen(const ResourceModule* module, int32_t sampleRate);
    MetronomeEngine& Engine() { return engine_; }
    const MetronomeEngine& Engine() const { return engine_; }
    // Also moves the tempo knob and its caption.
    void SetTempo(int32_t bpm);
    // Starts or stops the clicks as Start/Stop does, only while the audio
    // runs, and shows the button accordingly (a remote control's switch).
    void SetRunning(bool on);

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    void TimingStep(int32_t count) override { engine_.TimingStep(count); }
    void MixInto(int16_t* samples, int32_t count) override { engine_.MixInto(samples, count); }
    void SetLampDelay(int32_t milliseconds) override { engine_.SetLampDelay(milliseconds); }
    void SetSampleRate(int32_t hz) override { engine_.SetSampleRate(hz); }

    Knob tempoKnob;
    Knob accentKnob;
    Knob volumeKnob;
    Button startStop;
    Button closeButton;
    Button toneButton;
    Button muteButton;
    Button beatLamp;
    Button accentLamp;

  private:
    void HandleCommand(uint16_t id);
    // The lamps follow the engine's state at every paint.
    void ShowLamps();

    MetronomeEngine engine_;
    std::unique_ptr<Surface> tempoStrip_;
    std::unique_ptr<Surface> tempoMask_;
    std::unique_ptr<Surface> knobStrip_;
    std::unique_ptr<Surface> knobMask_;
    std::unique_ptr<Surface> lampImage_;
    SpriteSheet lampSheet_;
};

}  // namespace ampliro
