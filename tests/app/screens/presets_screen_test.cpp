#include "app/screens/presets_screen.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/stream_format.h"
#include "tests/ui/screen_fixture.h"
#include "ui/save_preset_dialog.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using testing::ScreenFixture;

struct FileRecord {
    std::vector<std::string> loads, saves;
    std::vector<int> muteDuringLoad;
    int inits = 0;
    int muteDuringInit = -1;
    int loadResult = 1;
    int saveError = 0;
} files;
int FakeLoad(const char* path) {
    files.loads.push_back(path);
    files.muteDuringLoad.push_back(MuteInput.load());
    return files.loadResult;
}
int FakeSave(const char* path, int* error) {
    files.saves.push_back(path);
    if (files.saveError != 0) {
        *error = files.saveError;
        return 0;
    }
    std::ofstream(path) << "preset";
    return 1;
}
void FakeInit() {
    ++files.inits;
    files.muteDuringInit = MuteInput.load();
}
const PresetFileOps kFiles{FakeLoad, FakeSave, FakeInit};

class Host : public PresetsHost {
  public:
    int ShowMessage(const char* title, const char* text, int kind) override {
        asked.push_back(std::string(title) + "|" + text + "|" + std::to_string(kind));
        return answer;
    }
    // Stands in for the dialog: records the proposal, returns what the user
    // typed with the ".rec" extension the dialog gives it.
    int AskPresetName(char* name, size_t capacity) override {
        proposed.push_back(name);
        if (dialogResult == kSavePresetOk) {
            std::snprintf(name, capacity, "%s", typed.c_str());
            SetExtension(name, capacity, ".rec");
        }
        return dialogResult;
    }
    int answer = 1;
    int dialogResult = kSavePresetOk;
    std::string typed;
    std::vector<std::string> asked, proposed;
};

class PresetsScreenTest : public ::testing::TestWithParam<bool> {
  protected:
    PresetsScreenTest() {
        files = FileRecord();
        folder = fs::temp_directory_path() / ("ampliro_patches_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "Old");
        std::ofstream(folder / "clean.preset") << "x";
        std::ofstream(folder / "rock.preset") << "x";
        presets.SetPresetFileOps(&kFiles);
        PresetsArtwork art;
        art.font = &fx.font;
        presets.Layout(art, &host, GetParam(), folder.string().c_str());
        fx.desktop.AddChild(&presets);
    }
    ~PresetsScreenTest() override { fs::remove_all(folder); }
    void Command(uint16_t control) { presets.HandleMessage(WM_COMMAND, control, 0); }
    // Rows: 0 "..", 1 Old (folder), 2 clean.preset, 3 rock.preset.
    void Select(int row) { presets.presets.list.SetSelection(row); }
    int Rows() { return presets.presets.list.RowCount(); }

    ScreenFixture fx;
    Host host;
    PresetsScreen presets;
    fs::path folder;
};

TEST_P(PresetsScreenTest, LayoutListsThePresetFolder) {
    const bool square = GetParam();
    ASSERT_EQ(Rows(), 4);
    EXPECT_EQ(presets.presets.list.Row(0)->text, "..|[dir]");
    EXPECT_EQ(presets.presets.list.Row(1)->text, "Old|[dir]");
    EXPECT_EQ(presets.presets.list.Row(2)->text.rfind("clean.preset|1|", 0), 0u);
    EXPECT_EQ(presets.load.y, square ? 205 : 285);
    EXPECT_EQ(presets.remove.x, 160);
    EXPECT_EQ(presets.presets.height, 20 + (square ? 7 : 12) * 17 + 2);
    EXPECT_EQ(fx.desktop.focus, &presets.presets);
    EXPECT_STREQ(presets.CurrentPreset(), "");
}

TEST_P(PresetsScreenTest, LoadMutesTheInputAroundTheLoadAndReinitialises) {
    Select(3);
    Command(PresetsScreen::kLoadId);
    ASSERT_EQ(files.loads.size(), 1u);
    EXPECT_EQ(files.loads[0], (folder / "rock.preset").string());
    EXPECT_EQ(files.muteDuringLoad[0], 1);
    EXPECT_EQ(files.inits, 1);
    EXPECT_EQ(files.muteDuringInit, 1);
    EXPECT_EQ(MuteInput.load(), 0);
    EXPECT_EQ(presets.CurrentPreset(), (folder / "rock.preset").string());

    // A failed load keeps the old name but still re-initialises.
    files.loadResult = 0;
    Select(2);
    Command(PresetsScreen::kLoadId);
    EXPECT_EQ(files.inits, 2);
    EXPECT_EQ(MuteInput.load(), 0);
    EXPECT_EQ(presets.CurrentPreset(), (folder / "rock.preset").string());
}

TEST_P(PresetsScreenTest, LoadOrDeleteOfAFolderDoesNothing) {
    Select(1);
    Command(PresetsScreen::kLoadId);
    Command(PresetsScreen::kDeleteId);
    EXPECT_TRUE(files.loads.empty());
    EXPECT_EQ(files.inits, 0);
    EXPECT_TRUE(host.asked.empty());
    EXPECT_TRUE(fs::exists(folder / "Old"));
}

TEST_P(PresetsScreenTest, SaveProposesTheLoadedNameAndWritesItInTheListFolder) {
    Select(3);
    Command(PresetsScreen::kLoadId);
    host.typed = "rock.preset";
    Command(PresetsScreen::kSaveId);
    ASSERT_EQ(host.proposed.size(), 1u);
    EXPECT_EQ(host.proposed[0], "rock.preset");
    ASSERT_EQ(files.saves.size(), 1u);
    EXPECT_EQ(files.saves[0], (folder / "rock.preset").string());
    EXPECT_STREQ(presets.CurrentPreset(), "rock.preset");
}

TEST_P(PresetsScreenTest, TypedNamesGetThePresetExtension) {
    host.typed = "my.song";
    Command(PresetsScreen::kSaveId);
    host.typed = "Funk";
    Command(PresetsScreen::kSaveId);
    ASSERT_EQ(files.saves.size(), 2u);
    EXPECT_EQ(files.saves[0], (folder / "my.preset").string());
    EXPECT_EQ(files.saves[1], (folder / "Funk.preset").string());
    EXPECT_EQ(host.proposed[1], "my.preset");  // the last saved name
    // The list was reloaded after each save.
    EXPECT_EQ(Rows(), 6);
}

TEST_P(PresetsScreenTest, EveryPresetSavedIsListed) {
    // Leading dots would make hidden files, which the list leaves out: they
    // are dropped. A name with nothing before its extension is refused.
    host.typed = "..hidden.x";
    Command(PresetsScreen::kSaveId);
    ASSERT_EQ(files.saves.size(), 1u);
    EXPECT_EQ(files.saves[0], (folder / "hidden.preset").string());
    EXPECT_STREQ(presets.CurrentPreset(), "hidden.preset");
    for (const char* nameless : {"", ".", "...", ".preset"}) {
        host.typed = nameless;
        Command(PresetsScreen::kSaveId);
    }
    EXPECT_EQ(files.saves.size(), 1u);
    ASSERT_EQ(host.asked.size(), 4u);
    EXPECT_EQ(host.asked[0], "Save Preset|Please type a name for the preset.|4");
    ASSERT_EQ(Rows(), 5);
    for (int row = 1; row < Rows(); ++row) EXPECT_NE(presets.presets.list.Row(row)->text[0], '.');
    EXPECT_EQ(presets.presets.list.Row(3)->text.rfind("hidden.preset|", 0), 0u);
}

TEST_P(PresetsScreenTest, AFailedSaveIsToldWithItsReason) {
    presets.SetCurrentPreset("/somewhere/keep.preset");
    files.saveError = EROFS;
    host.typed = "song";
    Command(PresetsScreen::kSaveId);
    ASSERT_EQ(files.saves.size(), 1u);
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0],
              "Save Failed|The preset 'song.preset' could not be saved:\rRead-only file "
              "system.|4");
    EXPECT_STREQ(presets.CurrentPreset(), "/somewhere/keep.preset");
    EXPECT_EQ(Rows(), 4);

    files.saveError = ENOSPC;
    Command(PresetsScreen::kSaveId);
    ASSERT_EQ(host.asked.size(), 2u);
    EXPECT_NE(host.asked[1].find("could not be saved:\rNo space left on device."),
              std::string::npos);
}

TEST_P(PresetsScreenTest, Utf8NamesAreListedInLatin1AndLoadSaveAndDeleteTheirFiles) {
    const std::string cafe = "Caf\xC3\xA9 $;\".preset";
    std::ofstream(folder / cafe) << "x";
    presets.presets.Reload();
    ASSERT_EQ(Rows(), 5);
    EXPECT_EQ(presets.presets.list.Row(2)->text.rfind("Caf\xE9 $;\".preset|", 0), 0u);
    Select(2);
    Command(PresetsScreen::kLoadId);
    ASSERT_EQ(files.loads.size(), 1u);
    EXPECT_EQ(files.loads[0], (folder / cafe).string());

    // Saved again under the name the dialog proposes: the same file.
    host.typed = "Caf\xE9 $;\".preset";
    Command(PresetsScreen::kSaveId);
    EXPECT_EQ(host.proposed[0], "Caf\xE9 $;\".preset");
    ASSERT_EQ(files.saves.size(), 1u);
    EXPECT_EQ(files.saves[0], (folder / cafe).string());
    EXPECT_EQ(Rows(), 5);

    Select(2);
    Command(PresetsScreen::kDeleteId);
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_NE(host.asked[0].find("'Caf\xE9 $;\".preset'"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / cafe));
}

TEST_P(PresetsScreenTest, LoadKeepsTheMetronomesMuteMic) {
    MuteInput.store(1);  // "Mute Mic" is on
    Select(3);
    Command(PresetsScreen::kLoadId);
    ASSERT_EQ(files.loads.size(), 1u);
    EXPECT_EQ(files.muteDuringLoad[0], 1);
    EXPECT_EQ(MuteInput.load(), 1);
    MuteInput.store(0);
    Command(PresetsScreen::kLoadId);
    EXPECT_EQ(MuteInput.load(), 0);
}

TEST_P(PresetsScreenTest, CancelTouchesNothing) {
    presets.SetCurrentPreset("/somewhere/keep.preset");
    host.dialogResult = kSavePresetCancel;
    Command(PresetsScreen::kSaveId);
    EXPECT_TRUE(files.saves.empty());
    EXPECT_STREQ(presets.CurrentPreset(), "/somewhere/keep.preset");
    EXPECT_EQ(Rows(), 4);
}

TEST_P(PresetsScreenTest, DeleteAsksFirstAndNoKeepsTheFile) {
    Select(2);
    host.answer = 2;
    Command(PresetsScreen::kDeleteId);
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0],
              "Delete Preset?|Are you sure you want to delete the preset 'clean.preset' Y/N?|6");
    EXPECT_TRUE(fs::exists(folder / "clean.preset"));
    EXPECT_EQ(Rows(), 4);

    host.answer = 1;
    Command(PresetsScreen::kDeleteId);
    EXPECT_FALSE(fs::exists(folder / "clean.preset"));
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(presets.presets.list.Row(2)->text.rfind("rock.preset|", 0), 0u);
}

TEST_P(PresetsScreenTest, APathPastTheNameBufferIsRefused) {
    // A name that fits the field but, with the folder, passes 259 characters.
    const std::string deep = folder.string() + "/" + std::string(150, 'd');
    fs::create_directories(deep);
    ASSERT_EQ(presets.presets.SetFolder(deep.c_str()), 1);
    presets.presets.Reload();
    host.typed = std::string(81, 'n');
    Command(PresetsScreen::kSaveId);
    EXPECT_TRUE(files.saves.empty());
    EXPECT_STREQ(presets.CurrentPreset(), "");
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0].rfind("Save Failed|The preset '", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PresetsScreenTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Square" : "Tall"; });

TEST(SetExtensionTest, ReplacesFromTheLastDotOrAppends) {
    char name[32] = "name.txt";
    SetExtension(name, sizeof name, ".preset");
    EXPECT_STREQ(name, "name.preset");
    std::snprintf(name, sizeof name, "a.b.c");
    SetExtension(name, sizeof name, ".rec");
    EXPECT_STREQ(name, "a.b.rec");
    std::snprintf(name, sizeof name, "plain");
    SetExtension(name, sizeof name, ".preset");
    EXPECT_STREQ(name, "plain.preset");
    char tiny[8] = "abcdef";
    SetExtension(tiny, sizeof tiny, ".preset");
    EXPECT_STREQ(tiny, "abcdef.");  // cut to the buffer, never past it
}

class SaveDialogTest : public ::testing::Test {
  protected:
    // The dialog on a 240 x 320 screen: top 60, keypad at (21, 120) with
    // keys 18 wide and 20 apart, Ok at (115, 230), Cancel at (170, 230).
    void QueueTap(int32_t x, int32_t y) {
        PostMessage(fx.window, WM_LBUTTONDOWN, 0, PackPoint(x, y));
        PostMessage(fx.window, WM_LBUTTONUP, 0, PackPoint(x, y));
    }
    void QueueKey(int row, int column) { QueueTap(21 + column * 20 + 9, 120 + row * 24 + 11); }
    int Run(char* name, size_t capacity, const char* extension = ".rec") {
        SavePresetDialogParts parts;
        parts.display = &fx.display;
        parts.window = fx.window;
        parts.font = &fx.font;
        parts.titleFont = &fx.font;
        parts.extension = extension;
        return RunSavePresetDialog(parts, name, capacity);
    }
    ScreenFixture fx;
};

TEST_F(SaveDialogTest, TypedKeysReplaceTheSelectedNameAndOkGivesRec) {
    char name[PresetsScreen::kNameCapacity] = "rock.preset";
    QueueKey(1, 0);           // a
    QueueKey(2, 4);           // b
    QueueTap(115 + 25, 240);  // Ok
    EXPECT_EQ(Run(name, sizeof name), kSavePresetOk);
    EXPECT_STREQ(name, "ab.rec");
    EXPECT_EQ(CurrentDesktop, &fx.desktop);
    // The first frame darkened the screen around the box.
    EXPECT_GT(fx.display.PresentCount(), 0);
}

TEST_F(SaveDialogTest, ClosingShowsTheScreenAsItWasBefore) {
    ASSERT_TRUE(fx.display.BeginScene());
    Clear(fx.display.GetBackBuffer(), 0x1234);
    fx.display.Present(0);
    for (const bool ok : {true, false}) {
        char name[PresetsScreen::kNameCapacity] = "rock";
        QueueTap(ok ? 115 + 25 : 170 + 25, 240);
        EXPECT_EQ(Run(name, sizeof name), ok ? kSavePresetOk : kSavePresetCancel);
        // Neither the box, its keys nor the darkening are left on the screen.
        for (int32_t y = 0; y < 320; y += 7)
            for (int32_t x = 0; x < 240; x += 5)
                ASSERT_EQ(fx.display.PresentedPixel(x, y), 0x1234) << x << "," << y << " " << ok;
    }
}

TEST_F(SaveDialogTest, WithoutAnExtensionOkGivesTheNameAsTyped) {
    char name[PresetsScreen::kNameCapacity] = "loop";
    QueueKey(1, 0);  // a
    QueueKey(2, 8);  // .
    QueueKey(2, 4);  // b
    QueueTap(115 + 25, 240);
    EXPECT_EQ(Run(name, sizeof name, nullptr), kSavePresetOk);
    EXPECT_STREQ(name, "a.b");
}

TEST_F(SaveDialogTest, CancelKeepsTheName) {
    char name[PresetsScreen::kNameCapacity] = "keep.preset";
    QueueKey(0, 0);
    QueueTap(170 + 25, 240);
    EXPECT_EQ(Run(name, sizeof name), kSavePresetCancel);
    EXPECT_STREQ(name, "keep.preset");
    EXPECT_EQ(CurrentDesktop, &fx.desktop);
}

TEST_F(SaveDialogTest, QuitWhileOpenCancelsAndReachesTheMainLoop) {
    char name[PresetsScreen::kNameCapacity] = "keep.preset";
    PostQuitMessage(0);
    EXPECT_EQ(Run(name, sizeof name), kSavePresetCancel);
    EXPECT_STREQ(name, "keep.preset");
    bool quitPassedOn = false;
    for (const Message& m : fx.Drain()) quitPassedOn |= m.message == WM_QUIT;
    EXPECT_TRUE(quitPassedOn);
}

}  // namespace
}  // namespace ampliro
