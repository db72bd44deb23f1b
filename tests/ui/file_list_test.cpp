#include "ui/file_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "screen_fixture.h"
#include "ui/file_list_text.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using testing::ScreenFixture;

void WriteBytes(const fs::path& path, size_t count) {
    std::ofstream out(path, std::ios::binary);
    out << std::string(count, 'x');
}

class FileListTest : public ::testing::Test {
  protected:
    FileListTest() {
        root = fs::temp_directory_path() / ("ampliro_file_list_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Presets" / "Deep");
        fs::create_directories(root / ".secret");
        WriteBytes(root / "Presets" / "rock.preset", 1536);
        WriteBytes(root / "Presets" / "Blues.preset", 500);
        WriteBytes(root / "Presets" / "notes.txt", 10);
        WriteBytes(root / "Presets" / ".hidden.preset", 10);
        WriteBytes(root / "Presets" / "Deep" / "big.preset", 2500000);

        list.SetFont(&fx.font);
        list.SetStyle(0x2F);
        list.SetFlags(kVisible | kCanFocus);
        list.SetPattern("*.preset");
        const uint32_t columns[2] = {120, 0x10032};
        list.SetColumns(2, columns);
        list.SetCaption(7, nullptr, 0);
        list.SetBounds(20, 55, 200, list.SetRowHeightFor(12));
        fx.desktop.AddChild(&list);
    }
    ~FileListTest() override { fs::remove_all(root); }

    std::vector<std::string> Rows() {
        std::vector<std::string> out;
        for (int i = 0; i < list.list.RowCount(); ++i) out.push_back(list.list.Row(i)->text);
        return out;
    }
    void Open(const fs::path& folder) {
        ASSERT_EQ(list.SetFolder(folder.string().c_str()), 1);
        list.Rebuild();
    }
    void DoubleTapRow(int row) {
        list.list.SetSelection(row);
        list.HandleMessage(WM_COMMAND, MakeCommand(1, kListDoubleTap),
                           reinterpret_cast<uintptr_t>(&list.list));
    }

    ScreenFixture fx;
    FileList list;
    fs::path root;
};

TEST_F(FileListTest, ListsUpFoldersThenMatchingFilesWithSizesAndDates) {
    Open(root / "Presets");
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "..|[dir]");
    EXPECT_EQ(rows[1], "Deep|[dir]");
    EXPECT_EQ(rows[2].rfind("Blues.preset|500|", 0), 0u) << rows[2];
    EXPECT_EQ(rows[3].rfind("rock.preset|1K|", 0), 0u) << rows[3];
    EXPECT_EQ(rows[3].size(), std::string("rock.preset|1K|dd/mm/yy").size());
    EXPECT_EQ(list.list.Row(0)->attributes, FileList::kAttributeFolder);
    EXPECT_EQ(list.list.Row(1)->data, 0);  // folder picture
    EXPECT_EQ(list.list.Row(3)->data, 1);  // file picture
    EXPECT_EQ(list.list.rowHeight, 17);
    EXPECT_EQ(list.list.y, 20);  // below the header
    EXPECT_EQ(list.list.height, 12 * 17 + 2);
}

TEST_F(FileListTest, FoldersEnterWithADoubleTapAndDotDotLeaves) {
    Open(root / "Presets");
    DoubleTapRow(1);  // Deep
    EXPECT_EQ(list.Folder(), (root / "Presets" / "Deep").string());
    std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].rfind("big.preset|2Mb|", 0), 0u);
    EXPECT_TRUE(fx.Drain().empty());  // entering a folder posts nothing

    DoubleTapRow(0);  // ..
    EXPECT_EQ(list.Folder(), (root / "Presets").string());
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(FileListTest, TheWheelScrollsTheRowsFromAnywhereOnTheList) {
    for (int i = 0; i < 20; ++i)
        WriteBytes(root / ("take" + std::to_string(10 + i) + ".preset"), 1);
    Open(root);
    ASSERT_EQ(list.list.RowCount(), 22);  // "..", Presets and the 20 takes; 12 shown
    auto wheel = [&](int notches, int32_t x, int32_t y) {
        const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelNotch));
        return fx.desktop.HandleMessage(WM_MOUSEWHEEL, static_cast<uintptr_t>(delta) << 16,
                                        PackPoint(x, y));
    };
    EXPECT_EQ(wheel(-1, 60, 120), 1);  // over the rows
    EXPECT_EQ(list.list.topRow, 3);
    EXPECT_EQ(wheel(-1, 60, 65), 1);  // over the header
    EXPECT_EQ(list.list.topRow, 6);
    EXPECT_EQ(wheel(+5, 60, 120), 1);
    EXPECT_EQ(list.list.topRow, 0);
    EXPECT_EQ(list.list.GetSelection(), 0);
    EXPECT_TRUE(fx.Drain().empty());  // nothing is posted for scrolling
}

TEST_F(FileListTest, DotDotInAFirstLevelFolderReturnsToTheRoot) {
    ASSERT_EQ(list.SetFolder("/tmp/"), 1);  // the trailing "/" goes
    EXPECT_EQ(list.Folder(), "/tmp");
    list.Rebuild();
    ASSERT_GT(list.list.RowCount(), 0);
    EXPECT_EQ(list.list.Row(0)->text, "..|[dir]");
    DoubleTapRow(0);
    EXPECT_EQ(list.Folder(), "");
    // The root has no ".." and lists its folders.
    ASSERT_GT(list.list.RowCount(), 0);
    EXPECT_NE(list.list.Row(0)->text, "..|[dir]");
    EXPECT_EQ(list.GetSelectedPath(0).rfind("/", 0), 0u);
}

TEST_F(FileListTest, FilesAreReportedThroughTheWindowQueue) {
    Open(root / "Presets");
    list.list.SetSelection(3);
    list.HandleMessage(WM_COMMAND, MakeCommand(1, kListSelectionChanged), 0);
    DoubleTapRow(3);
    const auto posted = fx.Drain();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_COMMAND);
    EXPECT_EQ(posted[0].wParam, MakeCommand(7, FileList::kSelectionChanged));
    EXPECT_EQ(posted[1].wParam, MakeCommand(7, FileList::kFileChosen));
    EXPECT_EQ(posted[1].lParam, reinterpret_cast<uintptr_t>(&list));
    EXPECT_EQ(list.GetSelectedPath(0), (root / "Presets" / "rock.preset").string());
    EXPECT_EQ(list.GetSelectedPath(1), "rock.preset");
    EXPECT_EQ(list.GetSelectedAttributes(), 0);
}

TEST_F(FileListTest, UnreadableFolderShowsAnEmptyListAndFullListsStop) {
    Open(root / "missing");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(list.GetSelectedAttributes(), -1);
    EXPECT_EQ(list.GetSelectedPath(0), "");

    list.SetCapacity(2);
    ASSERT_EQ(list.SetFolder((root / "Presets").string().c_str()), 1);
    EXPECT_EQ(list.Reload(), 0);
    EXPECT_EQ(list.list.RowCount(), 2);
}

TEST_F(FileListTest, OverlongFoldersAreRefused) {
    Open(root);
    const std::string tooLong = "/" + std::string(kMaxFolderPath, 'a');
    EXPECT_EQ(list.SetFolder(tooLong.c_str()), 0);
    EXPECT_EQ(list.Folder(), root.string());
    // A folder whose path would pass the limit is not entered.
    std::string name(200, 'b');
    std::string base = root.string();
    while (base.size() + name.size() + 1 <= kMaxFolderPath) name += 'b';
    fs::create_directories(root / name);
    list.Reload();
    int row = -1;
    for (int i = 0; i < list.list.RowCount(); ++i)
        if (list.list.Row(i)->text.rfind(name, 0) == 0) row = i;
    ASSERT_GE(row, 0);
    DoubleTapRow(row);
    EXPECT_EQ(list.Folder(), root.string());
    EXPECT_EQ(list.GetSelectedPath(0), "");
}

TEST_F(FileListTest, HeaderShowsTheFolderAndItsMenuJumpsUp) {
    Open(root / "Presets" / "Deep");
    Surface* s = fx.Paint();
    // Header shade, white frame line and the drop-down mark in the text colour.
    EXPECT_EQ(GetPixel(s, 20, 55), 0x0000);
    EXPECT_EQ(GetPixel(s, 25, 56), 0xFFFF);
    EXPECT_EQ(GetPixel(s, 32, 63), 0x0000);  // mark row 0: x + 6 .. x + 18
    EXPECT_EQ(GetPixel(s, 32, 67), 0x0000);  // its point at x + 12
    EXPECT_NE(GetPixel(s, 33, 67), 0x0000);

    // Tap the header; the menu opens at (x + 2, y + 22) with one row per
    // folder level, and the queued tap chooses the row of "Presets".
    const int depth = static_cast<int>(FolderComponents(list.Folder()).size());
    const int presetsItem = depth - 1;
    const int32_t itemY = 55 + 22 + (presetsItem - 1) * fx.font.height + 2;
    PostMessage(fx.window, WM_LBUTTONDOWN, 0, PackPoint(30, itemY));
    PostMessage(fx.window, WM_LBUTTONUP, 0, PackPoint(30, itemY));
    fx.Pen(WM_LBUTTONDOWN, 100, 60);
    EXPECT_TRUE(list.Style() & FileList::kHeaderPressed);
    EXPECT_EQ(fx.desktop.capture, &list);
    fx.Pen(WM_LBUTTONUP, 100, 60);
    EXPECT_FALSE(list.Style() & FileList::kHeaderPressed);
    EXPECT_EQ(fx.desktop.capture, nullptr);
    EXPECT_EQ(list.Folder(), (root / "Presets").string());
    EXPECT_EQ(Rows().size(), 4u);
}

}  // namespace
}  // namespace ampliro
