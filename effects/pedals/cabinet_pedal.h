// CabinetPedal: the pedal around the partitioned convolver, last in the
// default chain. It plays the default closed-back 4x12 until the player
// loads an impulse response. Level (dB) on the whole output and Mix (%) of
// the cabinet against the dry signal; a Load button and the IR's name.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "effects/pedals/file_pedal.h"
#include "effects/unit_slot.h"
#include "effects/units/convolver/partitioned_convolver.h"

namespace ampliro {

// A cabinet ready to play, or why the file was refused; `note` tells of a
// file that was cut short.
struct BuiltCabinet {
    std::unique_ptr<dsp::PartitionedConvolver> unit;
    std::string error;
    std::string note;
    int32_t rate = 0;
};

class CabinetPedal final : public FilePedal<CabinetPedal> {
  public:
    enum KnobId : int32_t { kLevelKnob = 2, kMixKnob = 3 };
    static constexpr int32_t kMinLevelDb = -24, kMaxLevelDb = 12;

    CabinetPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<CabinetPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // Any thread but the audio thread: an IR file's bytes made ready for
    // sessions at `rate`; empty bytes give the default cabinet.
    static BuiltCabinet BuildCabinet(std::span<const std::byte> file, int32_t rate);
    // Main thread: publishes a built cabinet and frees the one it replaces.
    void Install(BuiltCabinet built, std::vector<std::byte> file, std::string path);
    // Both at once: the refusal's message (empty when it plays) and the note.
    std::string LoadImpulse(std::vector<std::byte> file, std::string path,
                            std::string* note = nullptr);
    // Main thread: back to the default cabinet.
    void UnloadImpulse();

    const std::string& impulsePath() const { return impulsePath_; }

    void SetLevelDb(int32_t db);
    void SetMixPercent(int32_t percent);

    std::atomic<int32_t> levelDb{0};
    std::atomic<int32_t> mixPercent{100};

  protected:
    void ShowReadings() override;

  private:
    // The response's file name, or the built-in cabinet's, under Load.
    void ShowImpulseName();

    UnitSlot<dsp::PartitionedConvolver> slot_;
    int32_t builtRate_ = 0;
    std::vector<std::byte> impulseFile_;
    std::string impulsePath_;
    // The gains the last block ended on, glided to the knobs' over a block.
    float appliedLevel_ = 1.0f;
    float appliedMix_ = 1.0f;
};

}  // namespace ampliro
