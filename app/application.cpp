#include "app/application.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/export/export_progress.h"
#include "app/settings/preset_file.h"
#include "app/start_files.h"
#include "audio/audio_settings.h"
#include "audio/audio_status.h"
#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/power.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "audio/stream_format.h"
#include "audio/tuner_tap.h"
#include "display/display.h"
#include "gfx/image.h"
#include "gfx/menu.h"
#include "gfx/message_box.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/jack/jack_server.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/resources.h"
#include "platform/window/event_translation.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

constexpr const char* kDefaultsPreset = "Defaults.preset";
constexpr const char* kHighRateMarker = "HSR.DAT";
constexpr const char* kRecordingFile = "RECORD.DAT";
constexpr uint16_t kKeyColour = 0xF81F;
// The tuner opens and closes with T.
constexpr uint32_t kTunerKey = 'T';
constexpr uint32_t kEscapeKey = 27;

constexpr const char* kIntroText =
    "\r#FFFF00IMPORTANT: #FFFFFFPlease insert your headphones or an external headset adapter "
    "before powering up Ampliro. Failure to do so will result in unwanted feedback which could "
    "damage the internal speaker.\r\rPress the #FFFF00LEFT / RIGHT#FFFFFF arrow keys to move "
    "between the following program areas (Configuration <-> Effects <-> Presets <-> Metronome "
    "<-> Loop Recorder).\r\rPress #FFFF00UP / DOWN#FFFFFF in effects mode to toggle between "
    "effects pedals (Overdrive, Parametric EQ, Pitch Shifter, Chorus, Phaser, Delay, Reverb, "
    "Tremolo and EQ).\r\rYou can also use hardware buttons to move between program areas and "
    "exit the program.\r\rHave fun...";
constexpr const char* kDeleteRecordingText =
    "Loop recordings occupy large amounts of storage space. Do you want to delete the "
    "recording and make this storage space available to other programs?";

// Inner frame, outer frame and background, text, title.
constexpr uint16_t kMessageColours[4] = {0xC61F, 0x0000, 0xFFFF, 0xFFE0};

// The areas' backgrounds on a tall and on a square screen.
constexpr int kBackgrounds[5][2] = {{kConfigurationPicture, kConfigurationSquarePicture},
                                    {0, 0},
                                    {kPresetsPicture, kPresetsSquarePicture},
                                    {kMetronomePicture, kMetronomeSquarePicture},
                                    {kRecorderPicture, kRecorderSquarePicture}};

Application* gGame = nullptr;

void ShowAudioError(const char* title, const char* text) {
    if (gGame) gGame->ShowMessage(title, text, kMessageKindOk);
}

bool FileExists(const char* path) {
    std::error_code error;
    return path[0] != '\0' && std::filesystem::is_regular_file(path, error);
}

// The folder of the executable, or the one a test put in its place.
std::string ProgramFolder() {
    return std::filesystem::path(ProgramPath("x")).parent_path().string();
}

std::string InFolder(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

Surface* LoadGif(int number) {
    return LoadImageResource(number, kResourceGif, nullptr);
}
Surface* LoadBitmap(int number) {
    return LoadImageResource(number, RT_BITMAP, nullptr);
}

}  // namespace

Application::Application() {
    title = "Ampliro";
    framesPerSecond = 20;
    splashImage = kSplashPicture;
    iconResource = kProgramIcon;
    displayMode = 2;
    orientation = 0;
    squareScreen = kScreenWidth == kScreenHeight;
    gGame = this;
}

Application::~Application() {
    InstallMetronome(nullptr);
    InstallRecorder(nullptr);
    SetPowerView(nullptr);
    SetAudioErrorSink(nullptr);
    if (gGame == this) gGame = nullptr;
}

void Application::UseFolders(const UserFolders& chosen, const std::string& programFolder) {
    std::error_code error;
    // The first start in the user folders: nothing of the program's there yet.
    const bool firstStart = !chosen.portable && !std::filesystem::exists(chosen.data, error);
    folders_ = chosen;
    foldersChosen_ = true;
    lockFolder = chosen.lock;
    // Portable by choice says nothing; portable for want of a home does.
    if (chosen.portableReason == kNoHomeReason)
        Tell("Portable Mode", "Ampliro keeps its files beside the program in " + programFolder +
                                  ": " + kNoHomeReason + ".");
    const std::vector<std::string> problems = MakeUserFolders(chosen);
    if (!problems.empty()) Tell(kFoldersTitle, FolderProblemsText(problems));
    if (!firstStart || !problems.empty()) return;
    std::vector<std::string> copyProblems;
    const std::vector<std::string> copied = CopyPresetsOver(programFolder, chosen, &copyProblems);
    if (!copied.empty())
        Tell(kPresetsCopiedTitle, PresetsCopiedText(copied, programFolder, chosen.presets));
    if (!copyProblems.empty()) Tell(kPresetsCopiedTitle, FolderProblemsText(copyProblems));
}

UserFolders Application::Folders() const {
    return foldersChosen_ ? folders_ : PortableFolders(ProgramFolder());
}

std::string Application::ConfigFile(const char* name) const {
    return foldersChosen_ ? InFolder(folders_.config, name) : ProgramPath(name);
}

std::string Application::DataFile(const char* name) const {
    return foldersChosen_ ? InFolder(folders_.data, name) : ProgramPath(name);
}

std::string Application::RecordingFile() const {
    return foldersChosen_ ? InFolder(folders_.recordings, kRecordingFile)
                          : ProgramPath(kRecordingFile);
}

void Application::Tell(const std::string& title, const std::string& text) {
    // A terminal user sees it at once, also when no window ever opens.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\r', '\n');
    std::fprintf(stderr, "Ampliro: %s\n", line.c_str());
    notes_.emplace_back(title, text);
}

void Application::LoadStartingSound() {
    if (!startPreset.empty()) {
        const std::string problem = PresetFileProblem(startPreset);
        if (problem.empty() && LoadPreset(startPreset.c_str())) {
            presets.SetCurrentPreset(startPreset.c_str());
            return;
        }
        Tell(kPresetNotLoadedTitle,
             PresetNotLoadedText(startPreset, problem.empty() ? "it cannot be read" : problem));
    }
    LoadPreset(DataFile(kDefaultsPreset).c_str());
}

int Application::OnCreate() {
    // A JACK server at 48 or 96 kHz can only be played at its own rate, so
    // the rate choice offers those rates as the marker file would.
    const uint32_t serverRate = JackServerSampleRate();
    highRates = FileExists(ConfigFile(kHighRateMarker).c_str()) || serverRate == 48000 ||
                serverRate == 96000;
    preferences.sampleRateIndex = 3;
    return 1;
}

void Application::LoadArtwork() {
    // In the order of KnobStrip.
    constexpr int kStrips[4] = {kBlackSilverCapKnobStrip, kAluminiumKnobStrip, kCreamDomeKnobStrip,
                                kGoldCapKnobStrip};
    for (int i = 0; i < 4; ++i) {
        knobStrips[i].reset(LoadGif(kStrips[i]));
        pedalImages.knobStrip[i] = knobStrips[i].get();
    }
    knobMask.reset(LoadGif(kKnobMask));
    pedalImages.knobMask = knobMask.get();

    arrowImage.reset(LoadBitmap(kScrollArrowsBitmap));
    arrows.Init(arrowImage.get(), 2, 2, kKeyColour);
    thumbImage.reset(LoadBitmap(kLevelThumbBitmap));
    sliderThumb.Init(thumbImage.get(), 1, 1, kKeyColour);
    eqThumbImage.reset(LoadBitmap(kBandThumbBitmap));
    eqSliderThumb.Init(eqThumbImage.get(), 1, 1, kKeyColour);
    lampImage.reset(LoadBitmap(kLampsBitmap));
    lamps.Init(lampImage.get(), 2, 2, kKeyColour);
    switchImage.reset(LoadGif(kPowerSwitchPicture));
    powerSwitch.Init(switchImage.get(), 1, 2, kKeyColour);
    iconImage.reset(LoadBitmap(kFileListBitmap));
    icons.Init(iconImage.get(), 2, 1, 0xF81F);

    pedalImages.lampSheet = &lamps;
    pedalImages.sliderThumb = &sliderThumb;
    pedalImages.eqSliderThumb = &eqSliderThumb;
    Effect::SetImages(&pedalImages);
    background.reset(LoadGif(kFirstPedalPicture));
}

void Application::Init() {
    LoadArtwork();
    desktop.Attach(display, window);
    LoadFont(&mainFont, nullptr, kCaptionFont);
    LoadFont(&digitFont, nullptr, kDigitFont);
    LoadFont(&titleFont, nullptr, kTitleFont);
    desktop.SetCaptionFont(&mainFont);

    SetChainEffects(pedals.AllByKey());
    RestoreDefaultOrder();
    // Presets name models and cabinets relative to the user's folders.
    SetPresetMediaFolders(Folders().models, Folders().cabinets);
    mediaLoader_ = std::make_unique<MediaLoader>(pedals.amp, pedals.cabinet);
    const auto openPicker = [](Effect& pedal) {
        if (gGame) gGame->OpenMediaPicker(pedal);
    };
    pedals.amp.onLoadRequest = openPicker;
    pedals.cabinet.onLoadRequest = openPicker;
    InstallMetronome(&metronome);
    InstallRecorder(&recorder);
    LoadPreferences(ConfigFile(kPreferencesFileName), preferences, metronome.Engine());
    SetMasterVolume(preferences.masterVolume);
    SetLatencySetting(preferences.latency);
    ApplySampleRate(preferences.sampleRateIndex);
    LoadStartingSound();

    metronome.BuildScreen(nullptr, SampleRate());
    metronome.SetTempo(metronome.Engine().Tempo());
    recorder.BuildScreen(nullptr);
    if (foldersChosen_ && !folders_.portable) recorder.SetRecordingFolder(folders_.recordings);
    recorder.ReadRecordingInfo();
    recorder.SetMessageSink(&ShowAudioError);
    recorder.SetHost(this);
    recorder.SetTimeFont(&mainFont);

    ConfigurationArtwork artwork;
    artwork.font = &mainFont;
    artwork.arrows = &arrows;
    artwork.powerSwitch = &powerSwitch;
    artwork.lamps = &lamps;
    artwork.knobStrip = knobStrips[0].get();
    artwork.knobMask = knobMask.get();
    configuration.Layout(artwork, this, squareScreen, highRates);
    SetPowerView(&configuration);
    SetAudioErrorSink(&ShowAudioError);

    PresetsArtwork presetsArtwork;
    presetsArtwork.font = &mainFont;
    presetsArtwork.arrows = &arrows;
    presetsArtwork.pictures = &icons;
    presets.Layout(presetsArtwork, this, squareScreen, Folders().presets.c_str(),
                   factoryPresets.c_str());
    midi.Start(MidiTargets{&presets, &metronome, &recorder});
    tuner.Layout(&mainFont, &titleFont, this, squareScreen);
    tunerButton.Place(this);

    ShowArea(kAreaConfiguration);
    if (StartAudioThread(&ProcessingPass) != 0) MessageBeep();
}

void Application::ReplaceBackground(int number) {
    background.reset();
    background.reset(LoadGif(number));
}

void Application::ShowArea(int32_t area) {
    if (area != kAreaConfiguration && !IsAudioRunning()) {
        // The power can go off while another area is shown (an audio error,
        // say). A step back towards Configuration then goes all the way, so
        // the switch is never out of reach.
        if (area >= currentArea) {
            ShowMessage(kPowerOnFirstTitle, kPowerOnFirstText, kMessageKindOk);
            return;
        }
        area = kAreaConfiguration;
    }
    currentArea = area;
    desktop.Reset();
    // First, so that the pen finds it before the full-screen area under it.
    desktop.AddChild(&tunerButton);
    switch (area) {
        case kAreaConfiguration:
            configuration.CloseSampleRateList();
            desktop.AddChild(&configuration);
            ReplaceBackground(kBackgrounds[area][squareScreen ? 1 : 0]);
            configuration.RefreshEffectList(currentSlot);
            break;
        case kAreaEffects:
            ShowEffect(TheEffectChain().KeyAt(currentSlot));
            break;
        case kAreaPresets:
            desktop.AddChild(&presets);
            desktop.SetFocus(&presets.presets);
            ReplaceBackground(kBackgrounds[area][squareScreen ? 1 : 0]);
            break;
        case kAreaMetronome:
            desktop.AddChild(&metronome);
            ReplaceBackground(kBackgrounds[area][squareScreen ? 1 : 0]);
            break;
        case kAreaRecorder:
            desktop.AddChild(&recorder);
            ReplaceBackground(kBackgrounds[area][squareScreen ? 1 : 0]);
            break;
        default:
            break;
    }
}

void Application::ShowEffect(int32_t key) {
    for (int32_t slot = 0; slot < kChainLength; ++slot) {
        Effect* effect = TheEffectChain().EffectAt(slot);
        if (!effect || effect->effectKey.load(std::memory_order_relaxed) != key) continue;
        effect->SetBounds(0, 0, 240, 320);
        desktop.Reset();
        desktop.AddChild(&tunerButton);
        desktop.AddChild(effect);
        currentSlot = slot;
        ReplaceBackground(kFirstPedalPicture + effect->imageIndex);
    }
}

void Application::OpenEffect(int slot) {
    currentSlot = slot;
    currentArea = kAreaEffects;
    desktop.Reset();
    ShowEffect(TheEffectChain().KeyAt(slot));
}

void Application::OpenTuner() {
    if (tunerShown) return;
    if (!IsAudioRunning()) {
        ShowMessage(kPowerOnFirstTitle, kPowerOnFirstText, kMessageKindOk);
        return;
    }
    if (tuner.Engine().SampleRate() != SampleRate()) tuner.Engine().SetSampleRate(SampleRate());
    tuner.Engine().Clear();
    StartTunerTap();
    SetOutputMuted(true);
    tunerShown = true;
    desktop.Reset();
    desktop.AddChild(&tuner);
    background.reset();
}

void Application::CloseTuner() {
    if (!tunerShown) return;
    StopTunerTap();
    SetOutputMuted(false);
    tunerShown = false;
    // The power may have gone off while tuning: then back to Configuration.
    ShowArea(IsAudioRunning() ? currentArea : kAreaConfiguration);
}

int Application::ShowMessage(const char* caption, const char* text, int kind) {
    static MessageBox box;
    box.titleFont = &titleFont;
    box.textFont = &mainFont;
    box.buttonFont = &mainFont;
    box.colours = kMessageColours;
    const MessageRect rect{10, 0, 230, 200};
    return RunMessageBox(&box, display, text, caption, &rect, static_cast<uint32_t>(kind));
}

SavePresetDialogParts Application::NameDialog() {
    SavePresetDialogParts dialog;
    dialog.display = display;
    dialog.window = window;
    dialog.font = &mainFont;
    dialog.titleFont = &titleFont;
    return dialog;
}

int Application::AskPresetName(char* name, size_t capacity) {
    return RunSavePresetDialog(NameDialog(), name, capacity);
}

int Application::AskExportName(char* name, size_t capacity) {
    SavePresetDialogParts dialog = NameDialog();
    dialog.title = "Export Recording";
    dialog.extension = nullptr;
    return RunSavePresetDialog(dialog, name, capacity);
}

void Application::FollowExport(ExportJob& job, const char* fileName) {
    ExportProgressLook look;
    look.font = &mainFont;
    look.titleFont = &titleFont;
    look.colours = kMessageColours;
    RunExportProgress(display, look, job, fileName);
}

void Application::OpenMediaPicker(Effect& pedal) {
    const bool model = &pedal == &pedals.amp;
    const int32_t key = pedal.effectKey.load(std::memory_order_relaxed);
    mediaPicker_.Layout(&mainFont, &arrows, &icons);
    mediaPicker_.onChoose = [this, key](const std::string& path) {
        pickedPath_ = path;
        pickerReturnKey_ = key;
    };
    mediaPicker_.onCancel = [this, key] { pickerReturnKey_ = key; };
    mediaPicker_.Open(model ? Folders().models : Folders().cabinets);
    desktop.Reset();
    desktop.AddChild(&mediaPicker_);
}

void Application::HandleDroppedFiles() {
    std::string path;
    while (TakeDroppedFile(path)) {
        MediaLoader::Outcome outcome;
        if (!mediaLoader_->Request(path, outcome))
            ShowMessage(outcome.title.c_str(), outcome.text.c_str(), kMessageKindOk);
    }
}

void Application::TellLoads() {
    MediaLoader::Outcome outcome;
    if (pickerReturnKey_ >= 0) {
        ShowEffect(pickerReturnKey_);
        pickerReturnKey_ = -1;
        if (!pickedPath_.empty() && !mediaLoader_->Request(pickedPath_, outcome))
            ShowMessage(outcome.title.c_str(), outcome.text.c_str(), kMessageKindOk);
        pickedPath_.clear();
    }
    if (mediaLoader_ && mediaLoader_->Poll(outcome))
        ShowMessage(outcome.title.c_str(), outcome.text.c_str(), kMessageKindOk);
    if (PresetLoadCount() != toldPresetLoads_) {
        toldPresetLoads_ = PresetLoadCount();
        const std::string text = PresetLoadMessage(LastPresetLoadReport());
        if (!text.empty()) ShowMessage("Preset Loaded", text.c_str(), kMessageKindOk);
    }
}

int Application::HandleInput(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_DROPFILES) {
        HandleDroppedFiles();
        return 0;
    }
    desktop.HandleMessage(message, wParam, lParam);
    if (message != WM_KEYDOWN) return 0;
    const uint32_t key = static_cast<uint32_t>(wParam);
    if (key == kTunerKey) {
        if (tunerShown)
            CloseTuner();
        else
            OpenTuner();
        return 0;
    }
    if (tunerShown) {
        // Up and down move the reference; the area keys wait until the
        // tuner closes, the exit keys work as anywhere.
        if (key == kEscapeKey) CloseTuner();
        if (key == VK_UP || key == VK_DOWN)
            tuner.Engine().SetReference(tuner.Engine().Reference() + (key == VK_UP ? 1 : -1));
        if (key == keys[5] || key == keys[7]) RequestClose();
        return 0;
    }
    if (key == keys[6]) ShowArea(currentArea == kAreaRecorder ? 0 : currentArea + 1);
    if (key == keys[5] || key == keys[7]) RequestClose();
    switch (key) {
        case VK_LEFT:
            if (currentArea > 0) ShowArea(currentArea - 1);
            break;
        case VK_RIGHT:
            if (currentArea < kAreaRecorder) ShowArea(currentArea + 1);
            break;
        case VK_UP:
            if (currentArea == kAreaEffects && currentSlot > 0)
                ShowEffect(TheEffectChain().KeyAt(currentSlot - 1));
            break;
        case VK_DOWN:
            if (currentArea == kAreaEffects && currentSlot < kChainLength - 1)
                ShowEffect(TheEffectChain().KeyAt(currentSlot + 1));
            break;
        default:
            break;
    }
    return 0;
}

void Application::DarkenScreen() {
    if (Surface* surface = BackBuffer()) {
        FillRect(surface, 0, 0, surface->width - 1, surface->height - 1, 0x0000, 16);
        display->Present(0);
    }
}

// The title changes only when a figure does, so an idle frame builds no text.
void Application::ShowAudioStatus() {
    const AudioStatus status = CurrentAudioStatus(AudioPowered());
    if (status == shownStatus_ || !window) return;
    shownStatus_ = status;
    window->SetTitle(AudioStatusTitle(title, status));
}

int Application::Frame() {
    midi.Poll();
    TellLoads();
    if (recorder.StorageAlarm()) {
        ShowMessage("Recording Stopped", "Out of storage space!", kMessageKindOk);
        recorder.Engine().ClearWriteFailed();
        DisarmOverloadWatchdog();
    }
    CheckAudioOverload();
    ShowAudioStatus();
    configuration.FollowServerBlock(
        StreamHealth().serverBlockFrames.load(std::memory_order_relaxed), StreamSampleRate());
    KeepScreenAwake(recorder.Engine().State() == kRecorderRecording);
    if (tunerShown) {
        if (IsAudioRunning())
            tuner.Poll();
        else
            tuner.Engine().Clear();
    }
    if (Surface* surface = BackBuffer()) {
        if (background)
            Blit(surface, 0, 0, 240, surface->height, background.get(), 0, 0, 0, 0, kBlitCopy);
        desktop.Render(nullptr);
    }
    // What start-up had to say, over the first picture.
    if (!notes_.empty()) {
        const auto notes = std::move(notes_);
        notes_.clear();
        for (const auto& [noteTitle, text] : notes)
            ShowMessage(noteTitle.c_str(), text.c_str(), kMessageKindOk);
    }
    if (introHandled || preferences.showIntro == 0) return 1;
    DarkenScreen();
    if (ShowMessage("#FF8080Please Read!", kIntroText, kMessageKindIntro) == 2)
        preferences.showIntro = 0;
    introHandled = true;
    return 1;
}

int Application::QueryClose() {
    DarkenScreen();
    // A new menu for every question: a menu remembers its focus, and a "No"
    // from the last time must not be the answer Enter gives this time.
    ChoiceMenu menu;
    menu.buttonFont = &mainFont;
    menu.titleFont = &titleFont;
    // Framed and titled in the colours of the program's message boxes.
    menu.innerFrameColour = kMessageColours[0];
    menu.outerFrameColour = kMessageColours[1];
    menu.titleColour = kMessageColours[3];
    menu.showThrough = kMessageShowThrough;
    if (RunChoiceMenu(&menu, display, "Exit Program?", "01Yes,02No", 7) != 1) return 0;
    const std::string recording = RecordingFile();
    // No has the focus: Enter after Enter must not erase a take.
    if (FileExists(recording.c_str()) &&
        ShowMessage("Delete Recording?", kDeleteRecordingText, kMessageKindYesNoFocusNo) == 1) {
        recorder.Engine().StopRecorder();
        std::error_code error;
        std::filesystem::remove(recording, error);
    }
    // Saved while the window is still there to tell a failure; the program
    // exits all the same.
    const std::string failures = SaveSession();
    if (!failures.empty()) {
        const std::string text = "Your settings could not be saved.\r\r" + failures;
        ShowMessage(kSaveFailedTitle, text.c_str(), kMessageKindOk);
    }
    return 1;
}

std::string Application::SaveSession() {
    sessionSaved = true;
    std::string failures;
    auto tell = [&failures](const char* file, int error) {
        if (!failures.empty()) failures += "\r";
        failures += std::string(file) + ": " + ErrorText(error) + ".";
    };
    int error = 0;
    if (!SavePreset(DataFile(kDefaultsPreset).c_str(), &error)) tell(kDefaultsPreset, error);
    preferences.latency = LatencySetting();
    preferences.sampleRateIndex = SampleRateIndex();
    preferences.masterVolume = ReadMasterVolume();
    error = SavePreferences(ConfigFile(kPreferencesFileName), preferences, metronome.Engine());
    if (error != 0) tell(kPreferencesFileName, error);
    return failures;
}

int Application::Shutdown() {
    StopTunerTap();
    SetOutputMuted(false);
    // An exit that asked no questions (a termination signal) saves here; with
    // no one left to read a message box, a failure goes to the terminal and
    // into the exit code.
    int result = 0;
    if (!sessionSaved) {
        std::string failures = SaveSession();
        if (!failures.empty()) {
            std::replace(failures.begin(), failures.end(), '\r', '\n');
            std::fprintf(stderr, "Ampliro: your settings could not be saved.\n%s\n",
                         failures.c_str());
            result = 1;
        }
    }
    StopAudioStream();
    midi.Stop();
    DisarmOverloadWatchdog();
    Effect::SetImages(nullptr);
    return result;
}

}  // namespace ampliro
