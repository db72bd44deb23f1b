// ConfigurationScreen: the Configuration program area. The power switch, the sample-rate
// choice, the latency and volume knobs, and the effect order list with which
// the user reorders the chain, switches pedals and jumps to a pedal's panel.
#pragma once

#include <cstdint>

#include "audio/power.h"
#include "gfx/surface.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/knob.h"
#include "ui/list_box.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;
struct SpriteSheet;
class Surface;

// Message box kinds: Ok, Yes/No, Ok with "Don't show me again!".
inline constexpr int kMessageKindOk = 4;
inline constexpr int kMessageKindYesNo = 6;
inline constexpr int kMessageKindIntro = 12;
// A kind's flag that puts the focus on No.
inline constexpr int kMessageFocusNo = 0x10;
inline constexpr int kMessageKindYesNoFocusNo = kMessageKindYesNo | kMessageFocusNo;

// What the Configuration screen asks of the application.
class ConfigurationHost {
  public:
    virtual ~ConfigurationHost() = default;
    // The application's message box, of one of the kinds above.
    virtual int ShowMessage(const char* title, const char* text, int kind) = 0;
    // The chain slot whose panel the Effects area shows.
    virtual void SelectEffectSlot(int slot) = 0;
    // Switch to the Effects area showing the panel of that slot.
    virtual void OpenEffect(int slot) = 0;
};

struct ConfigurationArtwork {
    BitmapFont* font = nullptr;                // lists, the choice, captions
    const SpriteSheet* arrows = nullptr;       // 2 x 2 cells of 15 x 15
    const SpriteSheet* powerSwitch = nullptr;  // 1 x 2 cells of 30 x 50
    const SpriteSheet* lamps = nullptr;        // 2 x 2 cells of 15 x 15
    const Surface* knobStrip = nullptr;        // 39 pixels wide
    const Surface* knobMask = nullptr;
};

inline constexpr const char* kPowerOnFirstTitle = "Power On First!";
inline constexpr const char* kPowerOnFirstText =
    "You must power on before you can access other parts of the program. Select the 'latency' "
    "and 'samplerate' required then press the 'On/Off' button.\r\rYou can then use the "
    "'direction pad' to navigate the various program areas. Left and Right move between "
    "program areas, up and down move between effects.";

class ConfigurationScreen : public Widget, public PowerView {
  public:
    // Control ids.
    static constexpr uint16_t kPowerSwitchId = 1;
    static constexpr uint16_t kLatencyId = 2;
    static constexpr uint16_t kVolumeId = 3;
    static constexpr uint16_t kPowerLampId = 10;
    static constexpr uint16_t kMoveUpId = 10;
    static constexpr uint16_t kMoveDownId = 11;
    static constexpr uint16_t kEffectListId = 12;
    static constexpr uint16_t kDefaultId = 13;
    static constexpr uint16_t kEditEffectId = 14;
    static constexpr uint16_t kOnOffId = 15;
    static constexpr uint16_t kCloseId = 20;
    static constexpr uint16_t kSampleRateId = 100;
    // The pedal's own footswitch command.
    static constexpr uint16_t kEffectFootswitchId = 12;

    ConfigurationScreen() = default;

    // Builds every control once. square: the 240 x 240 layout without Edit
    // Effect and On/Off; highRates: 48 and 96 kHz are offered too.
    void Layout(const ConfigurationArtwork& artwork, ConfigurationHost* host, bool square,
                bool highRates);
    // Rows for the chain as it stands, with the given row selected.
    void RefreshEffectList(int selected);
    // Folds the sample-rate choice back up if it is open.
    void CloseSampleRateList();
    void ShowPower(bool on) override;
    // On a server that sets the block (a JACK period of serverFrames at
    // rate), the latency knob would only add delay: it makes way for the
    // server's figures, "Server: 64 frames, 1.3 ms". 0 frames brings the
    // knob back with the saved setting. Cheap when nothing changed: the
    // application calls it every frame.
    void FollowServerBlock(uint32_t serverFrames, uint32_t rate);

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    bool Square() const { return square; }
    const char* LatencyCaption() const { return latencyCaption; }

    Button powerSwitch;
    Button powerLamp;
    Button closeButton;
    Knob latencyKnob;
    // The server's block and its length in the latency knob's place.
    Widget serverReadout;
    Knob volumeKnob;
    ListBox effectList;
    Button moveUp, moveDown, defaultOrder, editEffect, onOff;
    Combo sampleRate;

    // The pause after the latency knob is let go, before the stream format
    // changes; tests replace it.
    void (*pause)(uint32_t milliseconds) = nullptr;

  private:
    void FormatLatencyCaption();
    void OnCommand(uint16_t control, uint32_t code, uintptr_t lParam);
    void OnLatencyReleased(int32_t value);
    void OnSampleRateChosen();
    void ToggleSelectedEffect();
    int Selected() const;
    void LayoutButton(Button& button, uint16_t buttonId, const char* caption, int32_t left,
                      int32_t top, int32_t w, int32_t h, uint32_t buttonStyle);

    ConfigurationHost* host = nullptr;
    bool square = false;
    uint32_t shownServerFrames = 0;
    uint32_t shownServerRate = 0;
    char serverCaption[48] = "";
    int rateRows = 3;
    char latencyCaption[40] = {};
};

}  // namespace ampliro
