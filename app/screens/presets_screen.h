// PresetsScreen: the Presets program area. A file list of the user's preset
// files, with the factory presets beside them, and three buttons: load the
// selected preset, save every pedal under a new name, delete the selected
// preset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/file_list.h"
#include "ui/widget.h"

namespace ampliro {

struct BitmapFont;
struct SpriteSheet;

inline constexpr const char* kSaveFailedTitle = "Save Failed";

// What the Presets screen asks of the application.
class PresetsHost {
  public:
    virtual ~PresetsHost() = default;
    // The application's message box; kind 6 asks Yes (1) or No (2).
    virtual int ShowMessage(const char* title, const char* text, int kind) = 0;
    // The Save Preset dialog over name (capacity bytes): 1 Ok, 2 Cancel.
    virtual int AskPresetName(char* name, size_t capacity) = 0;
};

// The preset file operations; the real ones unless a test installs its own.
struct PresetFileOps {
    int (*load)(const char* path) = nullptr;
    // 1 when written; 0 with the errno value of the failure in error.
    int (*save)(const char* path, int* error) = nullptr;
    // Re-initialises every pedal at the current sample rate.
    void (*initEffects)() = nullptr;
};

// The factory presets a list of the user's folder shows: those whose name no
// file of the user's folder has (the user's own preset of that name wins),
// in factoryNames' order.
std::vector<std::string> VisibleFactoryPresets(const std::vector<std::string>& userNames,
                                               const std::vector<std::string>& factoryNames);

// The "*.preset" files of folder, sorted by name; none when it cannot be read.
std::vector<std::string> PresetFilesIn(const std::string& folder);

// The preset list: the folder's rows and, while it shows the user's preset
// folder, the factory presets as rows marked "factory" in the size column.
class PresetList : public FileList {
  public:
    // A row's attribute bit: read-only, from the factory folder.
    static constexpr uint32_t kAttributeFactory = 0x01;

    int Reload() override;
    // The selected preset's full path, in the factory folder for a factory
    // row; empty when nothing (or a folder) is selected.
    std::string SelectedPresetPath();
    bool FactorySelected();

    // The folder the factory rows are shown in, and where their files are.
    std::string userFolder;
    std::string factoryFolder;
};

struct PresetsArtwork {
    BitmapFont* font = nullptr;
    const SpriteSheet* arrows = nullptr;
    // 16 x 16 row pictures: folder 0, file 1.
    const SpriteSheet* pictures = nullptr;
};

class PresetsScreen : public Widget {
  public:
    static constexpr uint16_t kPresetListId = 1;
    static constexpr uint16_t kLoadId = 2;
    static constexpr uint16_t kSaveId = 3;
    static constexpr uint16_t kDeleteId = 4;
    static constexpr uint16_t kCloseId = 20;
    // The current preset name's buffer, as the preferences and dialogs size it.
    static constexpr size_t kNameCapacity = 260;

    PresetsScreen() = default;

    // Builds the controls once and lists folder (the user's preset folder)
    // with the factory presets of factoryFolder (none when null or empty).
    void Layout(const PresetsArtwork& artwork, PresetsHost* host, bool square, const char* folder,
                const char* factoryFolder = nullptr);
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // The full path of the last preset loaded or the bare file name of the
    // last one saved; empty at start.
    const char* CurrentPreset() const { return currentPreset; }
    void SetCurrentPreset(const char* name);
    void SetPresetFileOps(const PresetFileOps* ops);
    // Selects the index-th preset file of the list (folders not counted, 0
    // first) and loads it as the Load button does; false when the list has
    // no such preset.
    bool LoadPresetAt(int32_t index);

    Button load, save, remove, closeButton;
    PresetList presets;

  private:
    void Load();
    void Save();
    void Delete();
    void TellSaveFailed(const char* name, int error);
    void LayoutButton(Button& button, uint16_t buttonId, const char* text, int32_t left,
                      int32_t top);

    PresetsHost* host = nullptr;
    const PresetFileOps* files = nullptr;
    char currentPreset[kNameCapacity] = {};
};

}  // namespace ampliro
