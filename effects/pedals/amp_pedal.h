// AmpPedal: the pedal around the neural amp unit. Input gain and output
// level knobs in dB, a Load button and the name of the model it plays.
// Without a model it passes the signal through. A new model is built off the
// audio thread (BuildAmp) and published whole (Install); the block that runs
// meanwhile keeps the previous model.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "effects/pedals/file_pedal.h"
#include "effects/unit_slot.h"
#include "effects/units/neural_amp/neural_amp.h"

namespace ampliro {

// A model ready to play, or why the file was refused.
struct BuiltAmp {
    std::unique_ptr<dsp::NeuralAmp> unit;
    std::string error;
    int32_t rate = 0;  // the session rate it was readied for
};

class AmpPedal final : public FilePedal<AmpPedal> {
  public:
    enum KnobId : int32_t { kInputKnob = 2, kOutputKnob = 3 };
    static constexpr int32_t kMinGainDb = -24, kMaxGainDb = 24;

    AmpPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<AmpPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int32_t LatencyFrames() const override;

    // Any thread but the audio thread: reads a model file's text and readies
    // it for sessions at `rate`, starting at the knobs' present gains (so the
    // first block does not glide from other ones). The pedal is not changed.
    BuiltAmp BuildAmp(std::string_view text, int32_t rate) const;
    // Main thread: publishes a built model (its text and path kept for a
    // rate change and for presets) and frees the one it replaces.
    void Install(BuiltAmp built, std::string text, std::string path);
    // Both at once; the refusal's message, empty when the model plays.
    std::string LoadModel(std::string text, std::string path);
    // Main thread: back to no model (the signal passes through).
    void UnloadModel();

    const std::string& modelPath() const { return modelPath_; }
    bool HasModel() const { return slot_.HasUnit(); }

    void SetInputDb(int32_t db);
    void SetOutputDb(int32_t db);

    // Whether a model's loudness figure evens out its level (the renderer
    // plays models at their own levels).
    std::atomic<bool> normalise{true};
    std::atomic<int32_t> inputDb{0};
    std::atomic<int32_t> outputDb{0};

  protected:
    void ShowReadings() override;

  private:
    // The model's file name, or "No model", under the Load button.
    void ShowModelName();

    UnitSlot<dsp::NeuralAmp> slot_;
    std::atomic<int32_t> latency_{0};
    int32_t builtRate_ = 0;
    std::string modelText_;
    std::string modelPath_;
};

}  // namespace ampliro
