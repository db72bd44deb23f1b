// The tuner's on-screen control: a small tuning-fork button in the top right
// corner of every program area that opens the tuner.
#pragma once

#include "app/tuner/tuner_screen.h"
#include "ui/button.h"

namespace ampliro {

class TunerButton : public Button {
  public:
    static constexpr int32_t kLeft = 224, kTop = 1, kSize = 15;

    void Place(TunerHost* host);
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

  private:
    void PaintFork(Surface* surface) const;

    TunerHost* host_ = nullptr;
};

}  // namespace ampliro
