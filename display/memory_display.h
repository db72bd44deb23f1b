// A display that shows nothing: frames are kept in memory for tests to inspect.
#pragma once

#include <memory>
#include <vector>

#include "display/display.h"
#include "platform/resources/surface_memory.h"

namespace ampliro {

class MemoryDisplay : public Display {
  public:
    explicit MemoryDisplay(int32_t width = kScreenWidth, int32_t height = kScreenHeight);

    int BeginScene() override;
    Surface* GetBackBuffer() override;
    DisplayParams GetParams() const override { return params_; }
    int Present(uint32_t flags) override;
    void SetActive(bool active) override { active_ = active; }

    bool Active() const { return active_; }
    bool InScene() const { return inScene_; }
    int BeginCount() const { return beginCount_; }
    int PresentCount() const { return static_cast<int>(presentTimes_.size()); }
    uint32_t LastPresentFlags() const { return lastFlags_; }
    // Milliseconds() at each present, oldest first.
    const std::vector<uint32_t>& PresentTimes() const { return presentTimes_; }
    // The frame shown by the last present (all black before the first).
    const Surface& Presented() const { return *presented_; }
    uint16_t PresentedPixel(int32_t x, int32_t y) const { return GetPixel(presented_.get(), x, y); }

  private:
    DisplayParams params_;
    std::unique_ptr<Surface> back_;
    std::unique_ptr<Surface> presented_;
    std::vector<uint32_t> presentTimes_;
    uint32_t lastFlags_ = 0;
    int beginCount_ = 0;
    bool active_ = true;
    bool inScene_ = false;
};

}  // namespace ampliro
