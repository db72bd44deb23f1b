#include "app/screens/presets_screen.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/stream_format.h"
#include "platform/files/atomic_file.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/file_list_text.h"
#include "ui/save_preset_dialog.h"

namespace ampliro {

namespace {

constexpr uint32_t kOutlineButton = kButtonFramed | kButtonOutline;
constexpr int kAskYesNo = 6;
constexpr int kAnswerYes = 1;
constexpr int kTellOk = 4;
// Folders and files, row pictures with 17-pixel rows, a shaded header bar.
constexpr uint32_t kPresetListStyle = 0x2F;

const PresetFileOps kRealFiles{LoadPreset, SavePreset, InitEffects};

void CopyBounded(char* target, size_t capacity, const std::string& text) {
    const size_t kept = std::min(text.size(), capacity - 1);
    std::memcpy(target, text.data(), kept);
    target[kept] = '\0';
}

}  // namespace

std::vector<std::string> VisibleFactoryPresets(const std::vector<std::string>& userNames,
                                               const std::vector<std::string>& factoryNames) {
    std::vector<std::string> visible;
    for (const std::string& name : factoryNames) {
        if (std::find(userNames.begin(), userNames.end(), name) == userNames.end())
            visible.push_back(name);
    }
    return visible;
}

std::vector<std::string> PresetFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (name[0] == '.' || !MatchesPattern("*.preset", name) ||
            !std::filesystem::is_regular_file(it->path(), kind))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int PresetList::Reload() {
    int complete = FileList::Reload();
    if (factoryFolder.empty() || Folder() != userFolder) return complete;
    const std::vector<std::string> factory =
        VisibleFactoryPresets(PresetFilesIn(userFolder), PresetFilesIn(factoryFolder));
    for (const std::string& name : factory) {
        const std::string row = DisplayName(name) + "|factory";
        if (!list.AddRow(row.c_str(), 1, kAttributeFactory, name.c_str())) complete = 0;
    }
    list.Sort(0, 1);
    list.Refresh();
    return complete;
}

bool PresetList::FactorySelected() {
    const int32_t attributes = GetSelectedAttributes();
    return attributes >= 0 && (attributes & kAttributeFactory) != 0;
}

std::string PresetList::SelectedPresetPath() {
    const int32_t attributes = GetSelectedAttributes();
    if (attributes < 0 || (attributes & kAttributeFolder)) return {};
    if (!(attributes & kAttributeFactory)) return GetSelectedPath(0);
    return JoinPath(factoryFolder, GetSelectedPath(1), kMaxFilePath);
}

void PresetsScreen::LayoutButton(Button& button, uint16_t buttonId, const char* text, int32_t left,
                                 int32_t top) {
    button.Configure(buttonId, text, left, top, 60, 20, kOutlineButton, 0xBE9E);
}

void PresetsScreen::Layout(const PresetsArtwork& artwork, PresetsHost* presetsHost, bool square,
                           const char* folder, const char* factoryFolder) {
    host = presetsHost;
    if (!files) files = &kRealFiles;
    SetBounds(0, 0, 240, 320);
    RemoveChildren();

    const int32_t buttonsY = square ? 205 : 285;
    LayoutButton(load, kLoadId, "#FFFFFFLoad", 20, buttonsY);
    LayoutButton(save, kSaveId, "#FFFFFFSave", 90, buttonsY);
    LayoutButton(remove, kDeleteId, "#FFFFFFDelete", 160, buttonsY);
    LayoutButton(closeButton, kCloseId, "#FFFFFFx", 208, 10);
    closeButton.SetBounds(208, 10, 15, 14);

    presets.SetCaption(kPresetListId, nullptr, kPlaceCentre);
    presets.SetFont(artwork.font);
    presets.SetStyle(kPresetListStyle);
    presets.SetFlags(kVisible | kCanFocus);
    const uint32_t columns[2] = {120, 0x10032};
    presets.SetColumns(2, columns);
    presets.shadeFrom = 0x4210;
    presets.shadeTo = 0xBE9E;
    presets.headerTextColour = 0xFFFF;
    presets.SetFolder(folder);
    presets.userFolder = presets.Folder();
    presets.factoryFolder = factoryFolder ? factoryFolder : "";
    presets.SetPattern("*.preset");
    presets.SetCapacity(512);
    presets.SetPictures(artwork.pictures);
    presets.SetArrowSheet(artwork.arrows);
    presets.SetBounds(20, 55, 200, presets.SetRowHeightFor(square ? 7 : 12));
    presets.Rebuild();

    AddChild(&load);
    AddChild(&save);
    AddChild(&remove);
    AddChild(&closeButton);
    AddChild(&presets);
    SetFocus(&presets);
}

void PresetsScreen::SetCurrentPreset(const char* name) {
    CopyBounded(currentPreset, sizeof currentPreset, name ? name : "");
}

void PresetsScreen::SetPresetFileOps(const PresetFileOps* ops) {
    files = ops ? ops : &kRealFiles;
}

void PresetsScreen::Load() {
    // A path too long for the name buffer is refused rather than cut: a cut
    // path would name some other file.
    const std::string path = presets.SelectedPresetPath();
    if (path.empty() || path.size() >= kNameCapacity) return;
    // The pass skips the chain for the whole load and re-initialisation, so
    // the audio thread never runs a pedal on half-loaded parameters.
    // The metronome's "Mute Mic" uses the same flag: whatever it was before
    // the load, it is again afterwards.
    const int32_t muted = MuteInput.exchange(1);
    if (files->load(path.c_str())) SetCurrentPreset(path.c_str());
    files->initEffects();
    MuteInput.store(muted);
}

bool PresetsScreen::LoadPresetAt(int32_t index) {
    int32_t filesSeen = 0;
    for (int32_t row = 0; row < presets.list.RowCount(); ++row) {
        const ListRow* entry = presets.list.Row(row);
        if (!entry || (entry->attributes & FileList::kAttributeFolder)) continue;
        if (filesSeen++ != index) continue;
        presets.list.SetSelection(row);
        Load();
        return true;
    }
    return false;
}

void PresetsScreen::Save() {
    if (!host) return;
    char name[kNameCapacity];
    const char* slash = std::strrchr(currentPreset, '/');
    // The dialog and the fonts work in Latin-1; file names are UTF-8.
    CopyBounded(name, sizeof name, DisplayName(slash ? slash + 1 : currentPreset));
    if (host->AskPresetName(name, sizeof name) != kSavePresetOk) return;
    SetExtension(name, sizeof name, ".preset");
    // A name starting with a dot would be a hidden file, which the list
    // never shows: such a preset could be neither loaded nor deleted. The
    // leading dots go; a name that has nothing before its extension then is
    // refused.
    const char* extension = std::strrchr(name, '.');
    const size_t stem = extension ? static_cast<size_t>(extension - name) : std::strlen(name);
    const size_t dots = std::strspn(name, ".");
    if (dots >= stem) {
        host->ShowMessage("Save Preset", "Please type a name for the preset.", kTellOk);
        return;
    }
    std::memmove(name, name + dots, std::strlen(name + dots) + 1);
    const std::string fileName = FileNameFromText(name);
    const std::string path = JoinPath(presets.Folder(), fileName, kNameCapacity - 1);
    if (path.empty()) {
        TellSaveFailed(name, ENAMETOOLONG);
        return;
    }
    int error = 0;
    if (!files->save(path.c_str(), &error)) {
        TellSaveFailed(name, error);
        return;
    }
    presets.Reload();
    SetCurrentPreset(fileName.c_str());
}

void PresetsScreen::TellSaveFailed(const char* name, int error) {
    char text[kNameCapacity + 160];
    std::snprintf(text, sizeof text, "The preset '%s' could not be saved:\r%s.", name,
                  ErrorText(error).c_str());
    host->ShowMessage(kSaveFailedTitle, text, kTellOk);
}

void PresetsScreen::Delete() {
    const int32_t attributes = presets.GetSelectedAttributes();
    if (attributes < 0 || (attributes & FileList::kAttributeFolder) || !host) return;
    const std::string name = presets.GetSelectedPath(1);
    if (presets.FactorySelected()) {
        // The factory folder is the installation's, not the user's; saving
        // under the same name makes a preset of the user's that hides it.
        char text[kNameCapacity + 160];
        std::snprintf(text, sizeof text,
                      "'%s' is a factory preset and cannot be deleted. A preset you save under "
                      "its name takes its place in the list.",
                      DisplayName(name).c_str());
        host->ShowMessage("Delete Preset", text, kTellOk);
        return;
    }
    const std::string path = presets.GetSelectedPath(0);
    if (path.empty()) return;
    char question[kNameCapacity + 64];
    std::snprintf(question, sizeof question, "Are you sure you want to delete the preset '%s' Y/N?",
                  DisplayName(name).c_str());
    if (host->ShowMessage("Delete Preset?", question, kAskYesNo) != kAnswerYes) return;
    if (std::remove(path.c_str()) == 0) presets.list.RemoveRow(presets.list.GetSelection());
}

int PresetsScreen::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND) {
        switch (wParam & 0xFFFF) {
            case kLoadId:
                Load();
                break;
            case kSaveId:
                Save();
                break;
            case kDeleteId:
                Delete();
                break;
            case kCloseId:
                if (CurrentDesktop && CurrentDesktop->window)
                    PostMessage(CurrentDesktop->window, WM_CLOSE, 0, 0);
                break;
            default:
                break;
        }
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
