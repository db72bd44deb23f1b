// Effect: the base of the nine pedals. The processing side lives here; the
// panel side (lamps, footswitch, knobs) joins it through Widget.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "effects/pedal_params.h"
#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "ui/button.h"
#include "ui/knob.h"
#include "ui/scroll_bar.h"
#include "ui/widget.h"

namespace ampliro {

// Stable pedal keys, stored in preset files to record the chain order.
enum EffectKey : int32_t {
    kKeyOverdrive = 0,
    kKeyReverb = 1,
    kKeyChorus = 2,
    kKeyPitchShifter = 3,
    kKeyDelay = 4,
    kKeyPhaser = 5,
    kKeyParametricEq = 6,
    kKeyGraphicEq = 7,
    kKeyTremolo = 8,
    kKeyNoiseGate = 9,
    kKeyAmp = 10,
    kKeyCabinet = 11,
};
// The nine pedals of the classic chain: a preset's fixed part holds their
// records and their order.
inline constexpr int kEffectCount = 9;
// Every pedal of the chain: the nine, then the noise gate, the amp and the
// cabinet, whose settings a preset keeps in a chunk after the fixed part.
inline constexpr int kChainLength = 12;

// Control ids shared by every panel.
inline constexpr int32_t kLevelSliderId = 1;
inline constexpr int32_t kPowerLampId = 10;
inline constexpr int32_t kPeakLampId = 11;
inline constexpr int32_t kFootSwitchId = 12;

class Surface;
struct SpriteSheet;

// The pictures the pedal panels share; the application loads them once and
// hands the pedals this record. Any of them may be null (tests, a missing
// resource): the controls then draw without them.
struct PedalImages {
    const SpriteSheet* lampSheet = nullptr;      // kLampsBitmap
    const SpriteSheet* sliderThumb = nullptr;    // kLevelThumbBitmap
    const SpriteSheet* eqSliderThumb = nullptr;  // kBandThumbBitmap
    const Surface* knobStrip[4] = {};            // by KnobStrip: the four strip pictures
    const Surface* knobMask = nullptr;           // kKnobMask
};

// The pedals' panel pictures, in the order of the resource table (the
// picture of pedal p is resource kFirstPedalPicture + p).
enum PedalPicture : int32_t {
    kPhaserPicture = 0,
    kParametricEqPicture = 1,
    kDelayPicture = 2,
    kPitchShifterPicture = 3,
    kGraphicEqPicture = 4,
    kReverbPicture = 5,
    kChorusPicture = 6,
    kOverdrivePicture = 7,
    kTremoloPicture = 8,
    // Resources 170..172: 149 and the numbers after it are taken.
    kNoiseGatePicture = 30,
    kAmpPicture = 31,
    kCabinetPicture = 32,
};

class Effect : public Widget {
  public:
    // Stores sampleRate and effectKey and returns 0; a pedal's own Init
    // (re)builds its unit and panel and returns 1, or 0 when a buffer cannot
    // be allocated.
    virtual int Init(int32_t sampleRate, int32_t effectKey);
    // Called by the processing pass on the audio thread, in place. The base
    // does nothing; a pedal hands the block to its sound unit when not
    // Bypassed.
    virtual void ProcessBlock(int16_t* samples, int32_t count);
    // Main thread, before Init: the block the stream hands over at the
    // latency setting. A pedal whose sound depends on its blocks keeps to
    // this one whatever the stream's blocks are; the others ignore it.
    virtual void SetOwnBlock(int32_t frames) { (void)frames; }
    // Read or write the pedal's preset record; both return 1.
    virtual int Load(std::FILE* file);
    virtual int Save(std::FILE* file);
    // Frames by which the pedal's output trails its input while it is on
    // (the amp's resampling); 0 for a pedal that adds none. Any thread.
    virtual int32_t LatencyFrames() const { return 0; }

    // Command 273 from a control: the parameter follows the control's value
    // (whatever the notification), then DefaultProc. Pen messages end here.
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Applies a control's new value (knob value or slider position) to the
    // parameter that control edits; id 12, the footswitch, toggles the pedal.
    virtual void OnControl(int32_t id, int32_t value);
    // The Level slider's position 0 is the top: unity gain.
    void SetLevelFromSlider(int32_t position) { level = dsp::ClampInt(64 - position, 0, 64); }
    // Clears the pedal's delay memory (where it has one), then switches it.
    void ToggleEnabled();

    // The lamp and its hold after a unit's block reported its clips: lit by a
    // clipped sample, out again sampleRate calls after the last one.
    void HoldPeak(dsp::ClipReport report) {
        dsp::HoldPeak(peakHold, peakIndicator, sampleRate.load(std::memory_order_relaxed), report);
    }

    // The shared pictures for the panel, set once by the application.
    static void SetImages(const PedalImages* images);

    Button powerLamp;
    Button peakLamp;
    Button footSwitch;
    const char* name = "";
    PedalPicture imageIndex = kPhaserPicture;

    // Written by the main thread, read by the audio thread from its next block.
    std::atomic<int32_t> effectKey{0};
    std::atomic<int32_t> level{48};  // Q6 input gain, 64 = unity
    std::atomic<int32_t> mix{32};    // Q6 wet share
    std::atomic<int32_t> sampleRate{0};
    int32_t peakHold = 0;  // audio thread only
    std::atomic<int32_t> enabled{0};
    // The Peak lamp's state: written by the audio thread, read when painting.
    std::atomic<int32_t> peakIndicator{0};

  protected:
    // Panel building, at the end of every Init (in the order the pedal adds
    // them). The first empties the child list.
    void BeginPanel() { RemoveChildren(); }
    void AddLevelSlider(ScrollBar& slider, int32_t x, int32_t y, int32_t w, int32_t h,
                        const SpriteSheet* thumb);
    void AddPowerLamp();
    void AddPeakLamp(int32_t x, int32_t y);
    void AddFootSwitch();
    // A knob of side `side` centred on (cx, cy) less half the side of strip
    // 125, which is where the pictures put their knob faces.
    void AddKnob(Knob& knob, uint16_t id, int32_t cx, int32_t cy, KnobStrip strip, int32_t minimum,
                 int32_t maximum, int32_t value, int32_t side = 0);
    // The knobs of a parameter table, in the order of their ids, into
    // knobs[0], knobs[1], ...
    template <typename Pedal>
    void AddKnobs(std::span<const PedalParam<Pedal>> params, Knob* knobs) {
        const Pedal& pedal = static_cast<const Pedal&>(*this);
        int32_t next = 0;
        for (int32_t id = 1; id <= kFootSwitchId; ++id) {
            for (const PedalParam<Pedal>& p : params) {
                if (p.knobId != id) continue;
                const KnobStrip side = p.sideStrip < 0 ? p.strip : KnobStrip(p.sideStrip);
                AddKnob(knobs[next++], static_cast<uint16_t>(id), p.cx, p.cy, p.strip, p.minimum,
                        p.maximum, p.KnobValue(pedal), StripWidth(side));
            }
        }
    }
    // The standard four knobs at (111, 41), (186, 41), (111, 113), (186, 113).
    static constexpr int32_t kKnobCentre[4][2] = {{111, 41}, {186, 41}, {111, 113}, {186, 113}};
    static int32_t StripWidth(KnobStrip strip);
    static const PedalImages& Images();
    // The value the control with this id reports: a knob's value or a
    // slider's position; 0 for a button or an unknown id.
    int32_t ControlValue(uint16_t id) const;

    // Called by ToggleEnabled before the switch; the base has no memory.
    virtual void ClearMemory() {}
    bool Bypassed(int32_t count) const {
        return count < 1 || enabled.load(std::memory_order_relaxed) == 0;
    }
};

// A pedal whose stored parameters and knobs are one table, Pedal::Params():
// its preset record, its knobs' commands, its defaults and its Level slider
// (unless it sets kHasLevelSlider false) all follow from that table.
template <typename Pedal>
class TablePedal : public Effect {
  public:
    static constexpr bool kHasLevelSlider = true;

    int Load(std::FILE* file) override {
        LoadParams<Pedal>(Self(), Pedal::Params(), file);
        return 1;
    }
    int Save(std::FILE* file) override {
        SaveParams<Pedal>(Self(), Pedal::Params(), file);
        return 1;
    }
    // The Level slider, then the table's knobs (after which the pedal shows
    // its readings), then the pedal's own controls, then the footswitch.
    void OnControl(int32_t id, int32_t value) override {
        if (Pedal::kHasLevelSlider && id == kLevelSliderId) {
            SetLevelFromSlider(value);
        } else if (SetFromKnob<Pedal>(Self(), Pedal::Params(), id, value)) {
            ShowReadings();
        } else if (!OnOwnControl(id, value)) {
            Effect::OnControl(id, value);
        }
    }
    // Whether every stored parameter is at its default (the pedal off too).
    bool AtDefaults() const {
        for (const PedalParam<Pedal>& p : Pedal::Params()) {
            if (p.Word(static_cast<const Pedal&>(*this)) != p.defaultValue) return false;
        }
        return true;
    }
    // Every parameter at its default, for the constructor and a reset.
    void RestoreDefaults() { SetDefaults<Pedal>(Self(), Pedal::Params()); }

  protected:
    Pedal& Self() { return static_cast<Pedal&>(*this); }
    // The table's knobs into knobs[0], knobs[1], ... in the order of their ids.
    void AddKnobs(Knob* knobs) { Effect::AddKnobs<Pedal>(Pedal::Params(), knobs); }
    // The panel most pedals share: the Level slider on the left, the lamps,
    // the footswitch and the table's knobs.
    void BuildStandardPanel(ScrollBar& levelSlider, Knob* knobs) {
        AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
        AddPowerLamp();
        AddPeakLamp(20, 30);
        AddFootSwitch();
        AddKnobs(knobs);
    }
    // After a knob moved: a pedal that shows its values under its knobs
    // writes them again.
    virtual void ShowReadings() {}
    // A control of the pedal's own that is no knob of the table (a selector,
    // a Load button); true when it was one.
    virtual bool OnOwnControl(int32_t id, int32_t value) {
        (void)id;
        (void)value;
        return false;
    }
};

}  // namespace ampliro
