// PitchShifterLine: the Pitch Shifter pedal. SoundTouch transposes the
// levelled signal by -12..+12 semitones; the shifted signal is mixed with the
// dry one once a whole block of it is available, and until then the dry
// signal passes.
#pragma once

#include <SoundTouch.h>

#include <atomic>
#include <vector>

#include "effects/effect.h"

namespace ampliro {

class PitchShifterLine final : public Effect {
  public:
    // The largest block taken in one step: the longest stream buffer is
    // (50 + 2) x 128 bytes at 96000 Hz, 3328 samples. Longer blocks are
    // processed in steps of this size.
    static constexpr int32_t kMaxBlock = 4096;

    PitchShifterLine();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Main thread: stores the shift and hands it to SoundTouch at once. A new
    // pitch makes SoundTouch design its filters anew and allocate, which the
    // audio thread must never do; a block that finds SoundTouch busy here
    // passes levelled and dry instead of waiting.
    void SetSemitones(int32_t value);

    soundtouch::SoundTouch shifter;
    Shared<int32_t> semitones{3};

    UIScrollBar levelSlider;
    UIKnob knobs[2];

  private:
    void BuildPanel();
    void PrimeShifter(int32_t rate);
    void ProcessStep(int16_t* samples, int32_t count);
    // Main thread: waits while a block is inside SoundTouch, then keeps the
    // audio thread out until the matching ReleaseShifter.
    void HoldShifter();
    void ReleaseShifter();

    // Set by whichever thread is inside SoundTouch; acquire on taking it and
    // release on leaving, so each side sees the other's changes whole.
    std::atomic<bool> shifterBusy_{false};
    // Both only touched while holding shifterBusy_.
    bool configured_ = false;
    int32_t appliedSemitones_ = 3;
    std::vector<float> input_;
    std::vector<float> output_;
};

}  // namespace ampliro
