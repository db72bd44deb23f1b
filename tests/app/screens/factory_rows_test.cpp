// The factory presets in the Presets list: beside the user's own, hidden by
// a user preset of the same name, never deleted, saved over into the user's
// folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/screens/presets_screen.h"
#include "tests/ui/screen_fixture.h"
#include "ui/save_preset_dialog.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using testing::ScreenFixture;

std::vector<std::string> loads, saves;
int RecordLoad(const char* path) {
    loads.push_back(path);
    return 1;
}
int RecordSave(const char* path, int*) {
    saves.push_back(path);
    std::ofstream(path) << "saved";
    return 1;
}
void NoInit() {}
const PresetFileOps kFiles{RecordLoad, RecordSave, NoInit};

class AnsweringHost : public PresetsHost {
  public:
    int ShowMessage(const char* title, const char* text, int) override {
        asked.push_back(std::string(title) + "|" + text);
        return 1;  // Yes to any question
    }
    int AskPresetName(char* name, size_t capacity) override {
        proposed = name;
        std::snprintf(name, capacity, "%s", typed.c_str());
        return kSavePresetOk;
    }
    std::string typed, proposed;
    std::vector<std::string> asked;
};

TEST(VisibleFactoryPresetsTest, AUserPresetOfTheSameNameWins) {
    struct Row {
        std::vector<std::string> user, factory, visible;
    };
    const Row rows[] = {
        {{}, {"Clean.preset", "Lead.preset"}, {"Clean.preset", "Lead.preset"}},
        {{"Lead.preset"}, {"Clean.preset", "Lead.preset"}, {"Clean.preset"}},
        // Names differ by case on Linux: both are listed.
        {{"lead.preset"}, {"Lead.preset"}, {"Lead.preset"}},
        {{"mine.preset"}, {}, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(VisibleFactoryPresets(row.user, row.factory), row.visible);
}

class FactoryRowsTest : public ::testing::Test {
  protected:
    FactoryRowsTest() {
        loads.clear();
        saves.clear();
        root = fs::temp_directory_path() / ("ampliro_factory_rows_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "user");
        fs::create_directories(root / "factory");
        std::ofstream(root / "user" / "Lead.preset") << "mine";
        std::ofstream(root / "user" / "song.preset") << "mine";
        for (const char* name : {"Clean.preset", "Lead.preset", "Metal.preset"})
            std::ofstream(root / "factory" / name) << "factory";
        presets.SetPresetFileOps(&kFiles);
        PresetsArtwork art;
        art.font = &fx.font;
        presets.Layout(art, &host, false, (root / "user").c_str(), (root / "factory").c_str());
        fx.desktop.AddChild(&presets);
    }
    ~FactoryRowsTest() override { fs::remove_all(root); }
    void Command(uint16_t control) { presets.HandleMessage(WM_COMMAND, control, 0); }
    // The row whose text starts with name.
    int RowOf(const std::string& name) {
        for (int row = 0; row < presets.presets.list.RowCount(); ++row)
            if (presets.presets.list.Row(row)->text.rfind(name + "|", 0) == 0) return row;
        return -1;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (int row = 0; row < presets.presets.list.RowCount(); ++row) {
            const std::string& text = presets.presets.list.Row(row)->text;
            texts.push_back(text.substr(0, text.find('|', text.find('|') + 1)));
        }
        return texts;
    }

    ScreenFixture fx;
    AnsweringHost host;
    PresetsScreen presets;
    fs::path root;
};

TEST_F(FactoryRowsTest, FactoryPresetsAreListedSortedBesideTheUsersOwn) {
    // The user's Lead hides the factory one; sizes shortened to the column.
    const std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "..|[dir]");
    EXPECT_EQ(texts[1], "Clean.preset|factory");
    EXPECT_EQ(texts[2].rfind("Lead.preset|", 0), 0u);
    EXPECT_NE(texts[2], "Lead.preset|factory");
    EXPECT_EQ(texts[3], "Metal.preset|factory");
    EXPECT_EQ(texts[4].rfind("song.preset|", 0), 0u);
}

TEST_F(FactoryRowsTest, AFactoryPresetLoadsFromTheFactoryFolder) {
    presets.presets.list.SetSelection(RowOf("Metal.preset"));
    Command(PresetsScreen::kLoadId);
    presets.presets.list.SetSelection(RowOf("Lead.preset"));
    Command(PresetsScreen::kLoadId);
    EXPECT_EQ(loads, (std::vector<std::string>{(root / "factory" / "Metal.preset").string(),
                                               (root / "user" / "Lead.preset").string()}));
}

TEST_F(FactoryRowsTest, AFactoryPresetIsNotDeletedAndTheUserIsTold) {
    presets.presets.list.SetSelection(RowOf("Clean.preset"));
    Command(PresetsScreen::kDeleteId);
    EXPECT_TRUE(fs::exists(root / "factory" / "Clean.preset"));
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0],
              "Delete Preset|'Clean.preset' is a factory preset and cannot be deleted. A preset "
              "you save under its name takes its place in the list.");
    EXPECT_EQ(RowOf("Clean.preset"), 1);
}

TEST_F(FactoryRowsTest, SavingUnderAFactoryNameSavesToTheUsersFolderAndHidesIt) {
    presets.presets.list.SetSelection(RowOf("Metal.preset"));
    Command(PresetsScreen::kLoadId);
    host.typed = "Metal.preset";
    Command(PresetsScreen::kSaveId);
    EXPECT_EQ(host.proposed, "Metal.preset");
    EXPECT_EQ(saves, (std::vector<std::string>{(root / "user" / "Metal.preset").string()}));
    EXPECT_EQ(Texts().size(), 5u);
    EXPECT_EQ(Texts()[3].rfind("Metal.preset|", 0), 0u);
    EXPECT_NE(Texts()[3], "Metal.preset|factory");
    // Deleting the user's copy brings the factory one back at the next listing.
    presets.presets.list.SetSelection(RowOf("Metal.preset"));
    Command(PresetsScreen::kDeleteId);
    EXPECT_FALSE(fs::exists(root / "user" / "Metal.preset"));
    presets.presets.Reload();
    EXPECT_EQ(Texts()[3], "Metal.preset|factory");
}

TEST_F(FactoryRowsTest, AnotherFolderShowsNoFactoryRows) {
    presets.presets.SetFolder(root.c_str());
    presets.presets.Reload();
    EXPECT_EQ(RowOf("Clean.preset"), -1);
}

}  // namespace
}  // namespace ampliro
