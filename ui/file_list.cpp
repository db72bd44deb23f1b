#include "ui/file_list.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/menu.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/edit.h"
#include "ui/file_list_text.h"

namespace ampliro {

namespace {

constexpr uint16_t kListId = 1;
constexpr uint32_t kFolderInclude = FileList::kAttributeFolder;
constexpr uint32_t kFolderExclude =
    FileList::kAttributeHidden | FileList::kAttributeSystem | FileList::kAttributeDevice;
constexpr uint32_t kFileExclude =
    FileList::kAttributeHidden | FileList::kAttributeSystem | FileList::kAttributeFolder;
constexpr size_t kMaxNameLength = 260;

struct FoundEntry {
    uint32_t attributes = 0;
    uint64_t size = 0;
    int64_t modified = 0;
};

// Attributes in the file system's old terms: dot names are hidden, and
// anything that is neither a folder nor a plain file (devices, sockets,
// pipes) counts as a system entry.
bool Inspect(const std::string& path, const std::string& name, FoundEntry* entry) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    entry->attributes = 0;
    if (S_ISDIR(info.st_mode))
        entry->attributes |= FileList::kAttributeFolder;
    else if (!S_ISREG(info.st_mode))
        entry->attributes |= FileList::kAttributeSystem;
    if (name.size() > 1 && name[0] == '.' && name != "..")
        entry->attributes |= FileList::kAttributeHidden;
    entry->size = static_cast<uint64_t>(info.st_size);
    entry->modified = static_cast<int64_t>(info.st_mtime);
    return true;
}

bool Wanted(uint32_t attributes, uint32_t include, uint32_t exclude) {
    if (exclude != 0 && (attributes & exclude)) return false;
    if (include != 0 && !(attributes & include)) return false;
    return true;
}

}  // namespace

FileList::FileList() {
    kind = kKindFileList;
    list.SetCaption(kListId, nullptr, kPlaceBelow);
    list.SetCapacity(256);
    AddChild(&list);
}

void FileList::SetFont(BitmapFont* newFont) {
    font = newFont;
    list.SetFont(newFont);
}

void FileList::SetStyle(uint32_t newStyle) {
    style = newStyle;
    list.SetFlags(kVisible | kCanFocus);
    list.SetStyle((style & kPictures) ? 3 : 2);
}

int FileList::SetFolder(const char* path) {
    std::string next = path ? path : "";
    if (!next.empty() && next.back() == '/') next.pop_back();
    if (next.size() > kMaxFolderPath) return 0;
    folder = std::move(next);
    return 1;
}

void FileList::SetPattern(const char* newPattern) {
    pattern = newPattern ? newPattern : "";
    if (pattern.size() > kMaxPattern) pattern.resize(kMaxPattern);
}

int FileList::SetColumns(int count, const uint32_t* widths) {
    if (count < 1 || count > 3 || !widths) return 0;
    columnCount = count;
    for (int i = 0; i < count; ++i) columns[i] = widths[i];
    return 1;
}

int32_t FileList::SetRowHeightFor(int rows) {
    return ((style & kHeader) ? kHeaderHeight : 0) + rows * list.rowHeight + 2;
}

int FileList::Scan(const std::string& scanPattern, uint32_t include, uint32_t exclude,
                   bool dayFirst) {
    const std::string searched = folder.empty() ? "/" : folder;
    std::vector<std::string> names;
    // The file system's search has always reported ".." first in every
    // folder below the root; it is the way back up.
    if (!folder.empty()) names.push_back("..");
    std::error_code error;
    std::filesystem::directory_iterator it(
        searched, std::filesystem::directory_options::skip_permission_denied, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        names.push_back(it->path().filename().string());

    for (const std::string& name : names) {
        if (name.size() > kMaxNameLength || name == ".") continue;
        if (!MatchesPattern(scanPattern, name)) continue;
        FoundEntry entry;
        const std::string path = (name == "..") ? searched : folder + "/" + name;
        if (!Inspect(path, name, &entry)) continue;
        if (name == "..") entry.attributes = kAttributeFolder;
        if (!Wanted(entry.attributes, include, exclude)) continue;
        const bool isFolder = (entry.attributes & kAttributeFolder) != 0;
        // The row shows the name in the fonts' characters; the name itself
        // goes with it as the row's key.
        std::string row = DisplayName(name);
        if (isFolder)
            row += "|[dir]";
        else
            row += "|" + SizeText(entry.size) + "|" + DateText(entry.modified, dayFirst);
        if (!list.AddRow(row.c_str(), isFolder ? 0 : 1, entry.attributes, name.c_str())) return 0;
    }
    return 1;
}

int FileList::Reload() {
    list.Clear();
    const bool dayFirst = LocaleDayBeforeMonth();
    int complete = 1;
    if (style & kListFolders) complete = Scan("*.*", kFolderInclude, kFolderExclude, dayFirst);
    if (complete && (style & kListFiles)) complete = Scan(pattern, 0, kFileExclude, dayFirst);
    list.Sort(0, 1);
    list.Refresh();
    return complete;
}

void FileList::Layout() {
    if (style & kHeader)
        list.SetBounds(0, kHeaderHeight, width, height - kHeaderHeight);
    else
        list.SetBounds(0, 0, width, height);
}

int FileList::Rebuild() {
    Layout();
    list.SetArrowSheet(arrowSheet);
    list.SetColumns(columnCount, columns);
    list.Refresh();
    return Reload();
}

int32_t FileList::GetSelectedAttributes() {
    const int selected = list.GetSelection();
    if (selected < 0) return -1;
    const ListRow* row = list.Row(selected);
    return row ? static_cast<int32_t>(row->attributes) : -1;
}

std::string FileList::GetSelectedPath(int mode) {
    const int selected = list.GetSelection();
    if (selected < 0) return "";
    // The name straight from the row: a column read back is cut to 127
    // characters, and a cut name would lead to some other file or folder.
    const ListRow* row = list.Row(selected);
    if (!row) return "";
    const std::string name = row->key.empty() ? row->text.substr(0, row->text.find('|')) : row->key;
    if (mode == 1) return name;
    return JoinPath(folder, name, kMaxFilePath);
}

void FileList::Post(uint32_t code, uintptr_t lParam) {
    if (CurrentDesktop && CurrentDesktop->window)
        PostMessage(CurrentDesktop->window, WM_COMMAND, MakeCommand(id, code), lParam);
}

void FileList::OnListCommand(uint32_t code, uintptr_t lParam) {
    if (code == kListSelectionChanged) {
        Post(kSelectionChanged, reinterpret_cast<uintptr_t>(this));
    } else if (code == kListDoubleTap) {
        const int32_t attributes = GetSelectedAttributes();
        if (attributes < 0) return;
        if (attributes & kAttributeFolder) {
            const std::string name = GetSelectedPath(1);
            if (name == "..") {
                folder = ParentFolder(folder);
            } else {
                // A folder too deep for the list's path buffer is not entered.
                const std::string deeper = JoinPath(folder, name, kMaxFolderPath);
                if (deeper.empty()) return;
                folder = deeper;
            }
            Reload();
        } else {
            Post(kFileChosen, reinterpret_cast<uintptr_t>(this));
        }
    } else if (code == kListLongPress) {
        Post(kLongPress, lParam);
    }
}

void FileList::OpenPathMenu() {
    if (!CurrentDesktop || !CurrentDesktop->display || !font) return;
    int32_t left = x + 2, top = y + 22;
    ToScreen(left, top);
    PopupMenu menu;
    SetPopupFont(&menu, font);
    SetPopupColours(&menu, 0xFFFF, 0x0000, 0x3358, 0xC618, 0x0000, 0xFFFF);
    const std::string items = PathMenuText(folder);
    const int chosen = RunPopup(&menu, CurrentDesktop->display, left, top, items.c_str());
    if (chosen > 0) {
        folder = CutFolder(folder, chosen);
        Rebuild();
    }
}

void FileList::PaintHeader(Surface* surface) {
    int32_t left = x, top = y;
    ToScreen(left, top);
    const int32_t right = left + width;
    FrameRect(surface, left, top, right, top + height, 0x0000);
    if (style & kShadedHeader)
        GradientFill(surface, left + 1, top + 1, width - 1, height - 1, shadeFrom, shadeTo, 1);
    const bool pressed = (style & kHeaderPressed) != 0;
    const uint16_t light = pressed ? 0xC618 : 0xFFFF;
    const uint16_t dark = pressed ? 0xFFFF : 0xC618;
    HLine(surface, left + 1, top + 1, width - 2, light);
    VLine(surface, left + 1, top + 1, kHeaderHeight - 2, light);
    HLine(surface, left + 1, top + kHeaderHeight - 1, width - 2, dark);
    VLine(surface, right - 1, top + 1, kHeaderHeight - 2, dark);
    if (font) {
        const std::string title = FolderTitle(folder);
        DrawLiteralText(font, surface, left + 25, top + (kHeaderHeight - font->height) / 2 + 1,
                        title.c_str(), static_cast<int>(title.size()), headerTextColour);
    }
    // The drop-down mark: rows 8..12 narrowing from 12 pixels to a point.
    for (int row = 0; row <= 4; ++row) {
        const int inset = (row * 6) / 4;
        HLine(surface, left + 6 + inset, top + 8 + row, 12 - 2 * inset, headerTextColour);
    }
}

int FileList::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            break;
        case WM_PAINT:
            if ((style & kHeader) && wParam) PaintHeader(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_COMMAND:
            if ((wParam & 0xFFFF) == kListId)
                OnListCommand(static_cast<uint32_t>(wParam >> 16), lParam);
            break;
        case WM_LBUTTONDOWN:
            if ((style & kHeader) && ((lParam >> 16) & 0xFFFF) < kHeaderHeight) {
                style |= kHeaderPressed;
                savedCapture = SetCapture(this);
            }
            break;
        case WM_LBUTTONUP:
            if (style & kHeaderPressed) {
                style &= ~kHeaderPressed;
                SetCapture(savedCapture);
                savedCapture = nullptr;
                OpenPathMenu();
            }
            break;
        case WM_MOUSEWHEEL:
            // Over the header too, the wheel scrolls the rows.
            return list.HandleMessage(message, wParam, lParam);
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
