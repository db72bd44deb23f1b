// PluginInstance: one running plugin. It reads the control ports as knob
// values, converts the float audio to 16-bit samples and back at the
// boundary, and runs the pedal's DSP unit on the samples in between. Nothing
// in Run allocates, locks or touches a file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "lv2/pedal_dsp.h"
#include "lv2/plugin_table.h"

namespace ampliro::lv2 {

class PluginInstance {
  public:
    // Rates outside this span are no audio a pedal is made for; the host is
    // told the plugin cannot run there.
    static constexpr int32_t kMinRate = 1000;
    static constexpr int32_t kMaxRate = 768000;

    // Null when the rate is outside the span or memory runs out.
    static std::unique_ptr<PluginInstance> Create(const PluginInfo& info, double rate);

    void Connect(uint32_t port, void* data);
    // Back to the state of a fresh pedal at this rate: memories cleared, every
    // control applied again on the next Run.
    void Activate();
    void Run(uint32_t frames);

  private:
    // Samples converted and processed per step when the host's block is
    // taken as it comes.
    static constexpr int32_t kChunk = 256;

    PluginInstance(const PluginInfo& info, std::unique_ptr<PedalDsp> dsp, int32_t rate);
    void ApplyControls();
    void RunHostBlocks(uint32_t frames);
    void RunFixedBlocks(uint32_t frames);
    int32_t BlockSizeControl() const;

    const PluginInfo& info_;
    std::unique_ptr<PedalDsp> dsp_;
    const int32_t rate_;
    bool ready_ = true;  // false once an Init ran out of memory: silence
    const float* in_ = nullptr;
    float* out_ = nullptr;
    float* latency_ = nullptr;
    std::vector<const float*> controls_;
    // The value each control was last handed to the unit; kUnapplied forces
    // the next Run to hand it again.
    static constexpr int32_t kUnapplied = INT32_MIN;
    std::vector<int32_t> applied_;
    std::array<int16_t, kChunk> chunk_{};
    // Fixed blocks: the block being gathered from the input and the
    // processed block being played out, one block behind.
    int32_t blockSize_ = 0;
    int32_t position_ = 0;
    std::vector<int16_t> gathering_;
    std::vector<int16_t> playing_;
};

}  // namespace ampliro::lv2
