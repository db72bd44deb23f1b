// MediaPicker: the file list that an amp's or a cabinet's Load button opens
// on the user's folder of models or cabinets, with Load and Cancel.
#pragma once

#include <functional>
#include <string>

#include "ui/button.h"
#include "ui/file_list.h"
#include "ui/widget.h"

namespace ampliro {

class MediaPicker : public Widget {
  public:
    static constexpr uint16_t kListId = 30;
    static constexpr uint16_t kLoadId = 31;
    static constexpr uint16_t kCancelId = 32;

    // Once, with the program's font, scroll arrows and row pictures.
    void Layout(BitmapFont* font, const SpriteSheet* arrows, const SpriteSheet* pictures);
    // Lists `folder` (made first if it does not exist yet).
    void Open(const std::string& folder);

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Called with the chosen file's path, or on Cancel.
    std::function<void(const std::string&)> onChoose;
    std::function<void()> onCancel;

    FileList files;
    Button load;
    Button cancel;
};

}  // namespace ampliro
