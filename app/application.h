// Application: the application. It loads the pictures and fonts, builds the chain
// and the five program areas, applies the saved settings, starts the audio
// thread, switches areas on the direction keys, draws each frame, watches the
// audio and the loop recorder, and saves everything at exit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/media_loader.h"
#include "app/metronome/metronome_screen.h"
#include "app/midi/midi_control.h"
#include "app/recorder/recorder_screen.h"
#include "app/screens/configuration_screen.h"
#include "app/screens/media_picker.h"
#include "app/screens/presets_screen.h"
#include "app/settings/preferences.h"
#include "app/tuner/tuner_button.h"
#include "app/tuner/tuner_screen.h"
#include "app/windowed_program.h"
#include "audio/audio_status.h"
#include "effects/pedalboard.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/files/user_folders.h"
#include "ui/desktop.h"
#include "ui/save_preset_dialog.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

enum ProgramArea : int32_t {
    kAreaConfiguration = 0,
    kAreaEffects = 1,
    kAreaPresets = 2,
    kAreaMetronome = 3,
    kAreaRecorder = 4,
};

class Application : public WindowedProgram,
                    public ConfigurationHost,
                    public PresetsHost,
                    public RecorderHost,
                    public TunerHost {
  public:
    Application();
    ~Application() override;

    int Frame() override;
    int QueryClose() override;
    int OnCreate() override;
    void Init() override;
    int Shutdown() override;
    int HandleInput(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    void ShowArea(int32_t area);
    void ShowEffect(int32_t key);

    // Before CreateMainWindow. Where the files go (until then every file is
    // beside the program, as ProgramPath says): makes the folders, copies
    // the presets found beside the program on the first start in the user
    // folders, and notes what the user must be told on the first frame.
    void UseFolders(const UserFolders& chosen, const std::string& programFolder);
    // The folders in use.
    UserFolders Folders() const;
    // The factory presets' folder; empty: none.
    std::string factoryPresets;
    // --preset: the sound to start with instead of "Defaults.preset".
    std::string startPreset;
    // Shown on the first frame, before the introduction: title and text.
    void Tell(const std::string& title, const std::string& text);

    // ConfigurationHost and PresetsHost.
    int ShowMessage(const char* title, const char* text, int kind) override;
    int AskPresetName(char* name, size_t capacity) override;
    // RecorderHost.
    int AskExportName(char* name, size_t capacity) override;
    void FollowExport(ExportJob& job, const char* fileName) override;
    void SelectEffectSlot(int slot) override { currentSlot = slot; }
    void OpenEffect(int slot) override;

    // The tuner over any area while the power is on; the output is muted
    // while it is shown. Key T or the tuning fork opens it; T, Escape or its
    // "x" closes it, back to the area it was opened from.
    void OpenTuner() override;
    void CloseTuner() override;
    bool TunerShown() const { return tunerShown; }

    int32_t currentArea = kAreaConfiguration;
    int32_t currentSlot = 0;
    bool squareScreen = false;
    bool highRates = false;
    bool introHandled = false;
    // Set once "Defaults.preset" and the preferences have been written.
    bool sessionSaved = false;
    Preferences preferences;

    Pedalboard pedals;
    Desktop desktop;
    ConfigurationScreen configuration;
    PresetsScreen presets;
    MetronomeScreen metronome;
    RecorderScreen recorder;
    MidiControl midi;
    TunerScreen tuner;
    TunerButton tunerButton;
    bool tunerShown = false;

    // The keypad dialog that asks for a file name, in the program's fonts.
    SavePresetDialogParts NameDialog();

  private:
    void LoadArtwork();
    void ReplaceBackground(int number);
    void DarkenScreen();
    void ShowAudioStatus();
    // Writes "Defaults.preset" and the preferences; returns one line for
    // each that could not be written ("VRPREFS.DAT: Permission denied."),
    // empty when both were.
    std::string SaveSession();

    std::string ConfigFile(const char* name) const;
    std::string DataFile(const char* name) const;
    std::string RecordingFile() const;
    void LoadStartingSound();

    bool foldersChosen_ = false;
    UserFolders folders_;
    std::vector<std::pair<std::string, std::string>> notes_;

    // The amp's or the cabinet's Load button: the file list on the user's
    // models or cabinets folder, over the pedal's panel.
    void OpenMediaPicker(Effect& pedal);
    // Dropped files and the preset loads' reports, told to the user.
    void HandleDroppedFiles();
    void TellLoads();

    AudioStatus shownStatus_;
    std::unique_ptr<MediaLoader> mediaLoader_;
    MediaPicker mediaPicker_;
    // What the picker chose, acted on at the next frame: the picker is not
    // taken off the desktop from inside its own message.
    std::string pickedPath_;
    int32_t pickerReturnKey_ = -1;
    uint32_t toldPresetLoads_ = 0;
    BitmapFont mainFont;   // resource 1: captions, lists, message text
    BitmapFont digitFont;  // resource 4
    BitmapFont titleFont;  // resource 3
    std::unique_ptr<Surface> background;
    // The knob strips 125, 127, 129, 131, the mask 126 and the sheets' pictures.
    std::unique_ptr<Surface> knobStrips[4];
    std::unique_ptr<Surface> knobMask;
    std::unique_ptr<Surface> arrowImage, thumbImage, eqThumbImage, lampImage, switchImage,
        iconImage;
    SpriteSheet arrows, sliderThumb, eqSliderThumb, lamps, powerSwitch, icons;
    PedalImages pedalImages;
};

}  // namespace ampliro
