// FileList: browses one folder of the file system, folders first, each row
// with a small picture, its size and its date; a double tap enters a folder,
// ".." leaves it, and the header's menu jumps to any folder above.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/surface.h"
#include "ui/list_box.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;
struct SpriteSheet;

class FileList : public Widget {
  public:
    // Style bits.
    static constexpr uint32_t kListFolders = 0x01;
    static constexpr uint32_t kListFiles = 0x02;
    static constexpr uint32_t kPictures = 0x04;
    static constexpr uint32_t kHeader = 0x08;
    static constexpr uint32_t kHeaderPressed = 0x10;
    static constexpr uint32_t kShadedHeader = 0x20;
    static constexpr int32_t kHeaderHeight = 20;
    // Notification codes posted to the window.
    static constexpr uint32_t kSelectionChanged = 1;
    static constexpr uint32_t kFileChosen = 2;
    static constexpr uint32_t kLongPress = 10;
    // File system attributes kept with each row.
    static constexpr uint32_t kAttributeHidden = 0x02;
    static constexpr uint32_t kAttributeSystem = 0x04;
    static constexpr uint32_t kAttributeFolder = 0x10;
    static constexpr uint32_t kAttributeDevice = 0x40;

    FileList();

    void SetFont(BitmapFont* font);
    void SetStyle(uint32_t style);
    uint32_t Style() const { return style; }
    // One trailing "/" is dropped; an empty path is the root. A path longer
    // than the list can keep is refused (0) and the folder stays.
    int SetFolder(const char* path);
    const std::string& Folder() const { return folder; }
    // Cut to 63 characters.
    void SetPattern(const char* pattern);
    // At most 3 columns; 0 otherwise.
    int SetColumns(int count, const uint32_t* widths);
    void SetCapacity(int rows) { list.SetCapacity(rows); }
    void SetArrowSheet(const SpriteSheet* sheet) { arrowSheet = sheet; }
    // The 16 x 16 row pictures: folder 0, file 1.
    void SetPictures(const SpriteSheet* pictures) { list.pictures = pictures; }
    // The control's height for that many rows, header included.
    int32_t SetRowHeightFor(int rows);
    // Lists the folder again; 0 when the rows did not all fit. A list that
    // shows rows of its own beside the folder's adds them here.
    virtual int Reload();
    // Places the list, hands it the arrow sheet and columns, then Reload.
    int Rebuild();

    // The selected row's attributes, or -1.
    int32_t GetSelectedAttributes();
    // mode 0: folder + "/" + name; mode 1: the name. Empty when nothing is
    // selected (or the path would pass kMaxFilePath).
    std::string GetSelectedPath(int mode);

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    ListBox list;
    uint16_t shadeFrom = 0xC618;
    uint16_t shadeTo = 0x8410;
    uint16_t headerTextColour = 0x0000;

  private:
    void Layout();
    void PaintHeader(class Surface* surface);
    void OpenPathMenu();
    void OnListCommand(uint32_t code, uintptr_t lParam);
    void Post(uint32_t code, uintptr_t lParam);
    int Scan(const std::string& pattern, uint32_t include, uint32_t exclude, bool dayFirst);

    uint32_t style = 0;
    std::string pattern = "*.*";
    int columnCount = 3;
    uint32_t columns[3] = {100, 40, 0x10000 | 100};
    std::string folder;
    BitmapFont* font = nullptr;
    const SpriteSheet* arrowSheet = nullptr;
};

}  // namespace ampliro
