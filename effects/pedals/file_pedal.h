// FilePedal: the panel of a pedal that plays a file the player loads (the
// amp's model, the cabinet's impulse response): the lamps, two knobs with
// their readings under them, a Load button that asks the application for a
// file, and the file's name.
#pragma once

#include <cstdio>
#include <string>

#include "effects/effect.h"
#include "effects/pedals/knob_reading.h"

namespace ampliro {

// The file name of a path, for a panel's caption.
inline std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

template <typename Pedal>
class FilePedal : public TablePedal<Pedal> {
  public:
    static constexpr bool kHasLevelSlider = false;
    static constexpr int32_t kLoadButtonId = 20;

    Knob knobs[2];
    Button loadButton;
    Widget fileLabel;
    // Set by the application: the Load button asks it for a file.
    void (*onLoadRequest)(Effect& pedal) = nullptr;

  protected:
    // At the end of Init: the panel, its Load button captioned `loadCaption`.
    void BuildFilePanel(const char* loadCaption) {
        constexpr uint16_t kCaptionFlags = kVisible | kShowCaption;
        this->AddPowerLamp();
        this->AddPeakLamp(20, 30);
        this->AddFootSwitch();
        this->AddKnobs(knobs);
        this->ShowReadings();
        loadButton.Configure(kLoadButtonId, loadCaption, 100, 96, 100, 24,
                             kButtonFramed | kButtonOutline, 0x3186);
        loadButton.borderColour = 0xFFFF;
        this->AddChild(&loadButton);
        fileLabel.SetBounds(20, 128, 200, 14);
        fileLabel.SetFlags(kCaptionFlags);
        fileLabel.SetCaption(0, fileCaption_, kPlaceCentre);
        this->AddChild(&fileLabel);
    }
    // The label under the Load button shows `name`, cut to 40 characters.
    void ShowFileName(const std::string& name) {
        std::snprintf(fileCaption_, sizeof fileCaption_, "#FFFFFF%.40s", name.c_str());
    }
    bool OnOwnControl(int32_t id, int32_t) override {
        if (id != kLoadButtonId) return false;
        if (onLoadRequest) onLoadRequest(*this);
        return true;
    }

    char readings_[2][kReadingLength] = {};

  private:
    char fileCaption_[64] = {};
};

}  // namespace ampliro
