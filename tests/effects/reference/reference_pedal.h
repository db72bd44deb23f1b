// The nine pedals written plainly: each is built from a sample rate and the
// pedal's preset record (the words its Load reads, in that order), as a
// fresh pedal is after Init, Load and Init again, and processes a block the
// way the algorithm reads, one sample after another.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "reference_blocks.h"

namespace ampliro::reference {

class Pedal {
  public:
    virtual ~Pedal() = default;
    // One block in place; a bypassed pedal or a count below 1 leaves it as is.
    virtual void ProcessBlock(int16_t* samples, int32_t count) = 0;
    // A control's new value between blocks, as the panel reports it (the
    // Level slider's position for id 1, a knob's value for the others).
    // False for a pedal whose reference does not take knob moves.
    virtual bool MoveControl(int32_t /*id*/, int32_t /*value*/) { return false; }
    // The peak lamp as the pedal's ClipSample calls left it.
    const PeakClip& peak() const { return peak_; }

  protected:
    PeakClip peak_;
};

using Record = std::vector<int32_t>;

std::unique_ptr<Pedal> MakeOverdrive(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeParametricEq(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeGraphicEq(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeChorus(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakePhaser(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeDelay(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeReverb(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakeTremolo(int32_t rate, const Record& record);
std::unique_ptr<Pedal> MakePitchShifter(int32_t rate, const Record& record);

}  // namespace ampliro::reference
