// TunerScreen: the chromatic tuner's screen. It shows the note nearest to what the
// input plays, its octave, the deviation in cents on a needle strip, the
// frequency, and the reference pitch of A4 with buttons to lower and raise
// it. The reading comes from a TunerEngine that Poll feeds from the tap.
#pragma once

#include <cstdint>

#include "audio/tuner_engine.h"
#include "ui/button.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;

inline constexpr uint16_t kTunerLowerId = 1;
inline constexpr uint16_t kTunerRaiseId = 2;
inline constexpr uint16_t kTunerCloseId = 3;

class TunerHost {
  public:
    virtual ~TunerHost() = default;
    virtual void OpenTuner() = 0;
    virtual void CloseTuner() = 0;
};

// Where the needle strip lies; public for the tests.
struct NeedleStrip {
    int32_t left, top, width, height;
    // The x of a deviation in cents (clamped to +-50).
    int32_t XOf(double cents) const;
};

class TunerScreen : public Widget {
  public:
    // Fonts: captions and buttons, titles (also the large note, scaled).
    void Layout(BitmapFont* font, BitmapFont* titleFont, TunerHost* host, bool squareScreen);

    // Main thread, every frame while shown: reads the tap's input.
    void Poll();
    TunerEngine& Engine() { return engine_; }
    const NeedleStrip& Strip() const { return strip_; }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    Button lowerButton;
    Button raiseButton;
    Button closeButton;

  private:
    void Paint(Surface* surface);
    void PaintNote(Surface* surface);
    void PaintStrip(Surface* surface);
    void ChangeReference(int32_t step);

    TunerEngine engine_;
    BitmapFont* font_ = nullptr;
    BitmapFont* titleFont_ = nullptr;
    TunerHost* host_ = nullptr;
    bool square_ = false;
    int32_t noteTop_ = 0;
    int32_t readoutTop_ = 0;
    int32_t referenceTop_ = 0;
    NeedleStrip strip_{};
    char referenceLabel_[24] = {};
};

}  // namespace ampliro
