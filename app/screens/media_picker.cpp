#include "app/screens/media_picker.h"

#include <filesystem>

#include "gfx/font.h"
#include "platform/window/messages.h"
#include "ui/list_box.h"

namespace ampliro {
namespace {

constexpr int32_t kListWidth = 200;

void LayoutButton(Button& button, uint16_t id, const char* text, int32_t x) {
    button.Configure(id, text, x, 280, 80, 25, kButtonFramed | kButtonOutline, 0xBE9E);
}

}  // namespace

void MediaPicker::Layout(BitmapFont* font, const SpriteSheet* arrows, const SpriteSheet* pictures) {
    SetBounds(0, 0, 240, 320);
    RemoveChildren();
    files.SetCaption(kListId, nullptr, kPlaceCentre);
    files.SetFont(font);
    files.SetStyle(FileList::kListFolders | FileList::kListFiles | FileList::kPictures |
                   FileList::kHeader | FileList::kShadedHeader);
    files.SetFlags(kVisible | kCanFocus);
    // The rows run from the pictures to the scroll bar: 167 pixels with the
    // 15-pixel arrows. The sizes take what "999Mb" (the widest below a
    // gigabyte) needs with its padding, the names the rest. A size column
    // reaching under the scroll bar had only 21 pixels of text, and "289K"
    // (24) showed as "...".
    const int32_t sizeWidth = TextWidth(font, "999Mb") + 2 * kListColumnPadding;
    const int32_t nameWidth =
        kListWidth - ListBox::ArrowWidthFor(arrows) - kListPictureColumnLeft - sizeWidth;
    const uint32_t columns[2] = {static_cast<uint32_t>(nameWidth),
                                 0x10000u | static_cast<uint32_t>(sizeWidth)};
    files.SetColumns(2, columns);
    files.SetPattern("*");
    files.SetCapacity(512);
    files.SetPictures(pictures);
    files.SetArrowSheet(arrows);
    files.SetBounds(20, 20, kListWidth, files.SetRowHeightFor(14));
    AddChild(&files);
    LayoutButton(load, kLoadId, "#FFFFFFLoad", 30);
    LayoutButton(cancel, kCancelId, "#FFFFFFCancel", 130);
    AddChild(&load);
    AddChild(&cancel);
}

void MediaPicker::Open(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    files.SetFolder(folder.c_str());
    files.Rebuild();
}

int MediaPicker::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND) {
        const uint16_t id = static_cast<uint16_t>(wParam & 0xFFFF);
        const uint32_t code = static_cast<uint32_t>(wParam >> 16);
        const bool chosen = id == kLoadId || (id == kListId && code == FileList::kFileChosen);
        if (chosen) {
            const int32_t attributes = files.GetSelectedAttributes();
            const std::string path = files.GetSelectedPath(0);
            if (attributes >= 0 && !(attributes & FileList::kAttributeFolder) && !path.empty() &&
                onChoose) {
                onChoose(path);
                return 1;
            }
        } else if (id == kCancelId && onCancel) {
            onCancel();
            return 1;
        }
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
