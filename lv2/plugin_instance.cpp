#include "lv2/plugin_instance.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "lv2/port_values.h"

namespace ampliro::lv2 {

std::unique_ptr<PluginInstance> PluginInstance::Create(const PluginInfo& info, double rate) {
    if (!(rate >= kMinRate && rate <= kMaxRate)) return nullptr;
    try {
        std::unique_ptr<PedalDsp> dsp = info.create();
        const auto whole = static_cast<int32_t>(std::lround(rate));
        if (!dsp->Init(whole)) return nullptr;
        return std::unique_ptr<PluginInstance>(new PluginInstance(info, std::move(dsp), whole));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

PluginInstance::PluginInstance(const PluginInfo& info, std::unique_ptr<PedalDsp> dsp, int32_t rate)
    : info_(info),
      dsp_(std::move(dsp)),
      rate_(rate),
      controls_(info.controls.size(), nullptr),
      applied_(info.controls.size(), kUnapplied) {
    if (info.blockControl >= 0) {
        const auto longest = static_cast<size_t>(info.controls[info.blockControl].maximum);
        gathering_.assign(longest, 0);
        playing_.assign(longest, 0);
        blockSize_ = info.controls[info.blockControl].initial;
    }
}

void PluginInstance::Connect(uint32_t port, void* data) {
    if (port == kAudioInPort) {
        in_ = static_cast<const float*>(data);
    } else if (port == kAudioOutPort) {
        out_ = static_cast<float*>(data);
    } else if (port - kFirstControlPort < controls_.size()) {
        controls_[port - kFirstControlPort] = static_cast<const float*>(data);
    } else if (port == PortCount(info_) - 1 && info_.blockControl >= 0) {
        latency_ = static_cast<float*>(data);
    }
}

void PluginInstance::Activate() {
    try {
        ready_ = dsp_->Init(rate_);
    } catch (const std::bad_alloc&) {
        ready_ = false;
    }
    std::fill(applied_.begin(), applied_.end(), kUnapplied);
    position_ = 0;
    std::fill(playing_.begin(), playing_.end(), 0);
    if (info_.blockControl >= 0) blockSize_ = BlockSizeControl();
}

int32_t PluginInstance::BlockSizeControl() const {
    return ToControl(controls_[info_.blockControl], info_.controls[info_.blockControl]);
}

void PluginInstance::ApplyControls() {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (static_cast<int32_t>(i) == info_.blockControl) continue;
        const int32_t value = ToControl(controls_[i], info_.controls[i]);
        if (value == applied_[i]) continue;
        dsp_->Set(i, value);
        applied_[i] = value;
    }
}

void PluginInstance::Run(uint32_t frames) {
    if (in_ == nullptr || out_ == nullptr) return;
    if (!ready_) {
        std::fill(out_, out_ + frames, 0.0f);
        return;
    }
    if (info_.blockControl >= 0) {
        RunFixedBlocks(frames);
    } else {
        RunHostBlocks(frames);
    }
}

// The host may hand the same buffer for input and output: each step reads
// its input before it writes its output.
void PluginInstance::RunHostBlocks(uint32_t frames) {
    ApplyControls();
    for (uint32_t done = 0; done < frames;) {
        const auto count = static_cast<int32_t>(std::min<uint32_t>(kChunk, frames - done));
        for (int32_t i = 0; i < count; ++i) chunk_[i] = ToSample(in_[done + i]);
        dsp_->Process(chunk_.data(), count);
        for (int32_t i = 0; i < count; ++i) out_[done + i] = ToFloat(chunk_[i]);
        done += static_cast<uint32_t>(count);
    }
}

// The output is the input processed in whole blocks, one block later. The
// controls take effect at block boundaries, as the pedal's do between the
// device's blocks. A new block size is taken at a boundary and starts
// afresh: the processed block of the old size is not played, and the first
// new block's worth of output is silent, as the latency changes anyway.
void PluginInstance::RunFixedBlocks(uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i) {
        if (position_ == 0) {
            const int32_t size = BlockSizeControl();
            if (size != blockSize_) {
                blockSize_ = size;
                std::fill(playing_.begin(), playing_.end(), 0);
            }
            ApplyControls();
        }
        const float x = in_[i];
        out_[i] = ToFloat(playing_[position_]);
        gathering_[position_] = ToSample(x);
        if (++position_ == blockSize_) {
            std::copy_n(gathering_.begin(), blockSize_, playing_.begin());
            dsp_->Process(playing_.data(), blockSize_);
            position_ = 0;
        }
    }
    if (latency_ != nullptr) *latency_ = static_cast<float>(blockSize_);
}

}  // namespace ampliro::lv2
