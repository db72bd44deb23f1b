#include "app/recorder/recorder_screen.h"

#include <filesystem>
#include <string>

#include "app/recorder/take_time.h"
#include "app/windowed_program.h"
#include "audio/audio_settings.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "platform/audio/rate_label.h"
#include "platform/files/paths.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/resources.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

constexpr uint16_t kFace = 0x4208;
constexpr uint16_t kCloseFace = 0xBE9E;
constexpr uint32_t kToggle = kButtonToggle | kButtonFramed | kButtonOutline;
constexpr uint32_t kPush = kButtonFramed | kButtonOutline;
constexpr int32_t kThumbLength = 25;

void SetUpButton(Button& b, uint16_t id, const char* caption, int32_t x, int32_t y, int32_t w,
                 int32_t h, uint32_t style, const SpriteSheet* sheet, int32_t column) {
    b.Configure(id, caption, x, y, w, h, style, kFace, kPlaceInside | kPlaceBelow);
    b.SetImage(sheet, column);
}

}  // namespace

RecorderScreen::RecorderScreen() {
    const std::filesystem::path file = ProgramPath(kRecordingFileName);
    engine_.SetFolder(file.has_parent_path() ? file.parent_path() : std::filesystem::path("."));
}

void RecorderScreen::SetRecordingFolder(const std::string& folder) {
    engine_.SetFolder(folder);
    folderName_ = folder;
}

void RecorderScreen::BuildScreen(const ResourceModule* module) {
    buttonImage_.reset(LoadImageResource(kRecorderButtonsBitmap, RT_BITMAP, module));
    thumbImage_.reset(LoadImageResource(kPositionThumbBitmap, RT_BITMAP, module));
    if (buttonImage_) buttonSheet_.Init(buttonImage_.get(), 7, 2, 0xF81F);
    if (thumbImage_) thumbSheet_.Init(thumbImage_.get(), 1, 1, 0xF81F);
    const SpriteSheet* buttons = buttonImage_ ? &buttonSheet_ : nullptr;

    SetBounds(0, 0, 240, 320);
    RemoveChildren();
    SetUpButton(recordButton, kRecorderRecordId, "#FFFFFFRecord", 20, 60, 46, 42, kToggle, buttons,
                3);
    SetUpButton(playButton, kRecorderPlayId, "#FFFFFFPlay", 70, 60, 46, 42, kToggle, buttons, 0);
    SetUpButton(stopButton, kRecorderStopId, "#FFFFFFStop", 120, 60, 46, 42, kPush, buttons, 1);
    SetUpButton(pauseButton, kRecorderPauseId, "#FFFFFFPause", 170, 60, 46, 42, kToggle, buttons,
                2);
    SetUpButton(repeatButton, kRecorderRepeatId, "#FFFFFFRepeat", 20, 155, 46, 42, kToggle, buttons,
                4);
    SetUpButton(loopStartButton, kRecorderLoopStartId, "#FFFFFFLoop Start", 70, 155, 71, 42, kPush,
                buttons, 5);
    SetUpButton(loopEndButton, kRecorderLoopEndId, "#FFFFFFLoop End", 145, 155, 71, 42, kPush,
                buttons, 6);
    slider.SetBounds(20, 120, 200, 20);
    slider.SetFlags(kVisible | kPostNotifications);
    slider.id = kRecorderSliderId;
    slider.SetStyle(kScrollHorizontal);
    if (thumbImage_) slider.SetThumbSheet(&thumbSheet_);
    slider.minimumThumbLength = kThumbLength;
    slider.minimum = 0;
    slider.maximum = 0;
    slider.SetPosition(0);
    SetUpButton(closeButton, kRecorderCloseId, "#FFFFFFx", 208, 10, 15, 14, kPush, nullptr, 0);
    closeButton.captionPlacement = 16;
    closeButton.faceColour = kCloseFace;
    // Between the reels' tops, clear of both flanges.
    SetUpButton(exportButton, kRecorderExportId, "#FFFFFFExport", 98, 212, 44, 17, kPush, nullptr,
                0);
    exportButton.captionPlacement = 16;
    for (Widget* child :
         {static_cast<Widget*>(&recordButton), static_cast<Widget*>(&playButton),
          static_cast<Widget*>(&stopButton), static_cast<Widget*>(&pauseButton),
          static_cast<Widget*>(&repeatButton), static_cast<Widget*>(&loopStartButton),
          static_cast<Widget*>(&loopEndButton), static_cast<Widget*>(&slider),
          static_cast<Widget*>(&closeButton), static_cast<Widget*>(&exportButton)}) {
        AddChild(child);
    }
}

void RecorderScreen::Show(Button& button, bool on) {
    if (on)
        button.AddStyle(kButtonOn);
    else
        button.RemoveStyle(kButtonOn);
}

void RecorderScreen::FollowEngine() {
    const int32_t state = engine_.State();
    Show(recordButton, state == kRecorderRecording);
    Show(playButton, state == kRecorderPlaying);
    Show(pauseButton, state == kRecorderPaused);
    if (state == kRecorderPlaying) {
        slider.minimum = kRecordingHeaderBytes;
        slider.maximum = engine_.DataEnd();
        slider.SetPosition(engine_.Position());
    }
}

void RecorderScreen::Record() {
    std::string problem;
    if (engine_.StartRecording(SampleRate(), &problem) || !tell_) return;
    const std::string text =
        std::string(kRecordingFileName) + " cannot be written: " + problem + ".";
    tell_("Cannot Record", text.c_str());
}

void RecorderScreen::Play() {
    int32_t recordedRate = 0;
    if (engine_.StartPlayback(SampleRate(), &recordedRate) || recordedRate <= 0 || !tell_) return;
    const std::string hz = std::to_string(recordedRate) + "Hz";
    const char* label = RateLabel(static_cast<uint32_t>(recordedRate));
    const std::string text = "The recording was made at " + hz + ": choose " +
                             (label ? std::string(label) : hz) + " in Configuration to play it.";
    tell_("Cannot Play", text.c_str());
}

void RecorderScreen::HandleCommand(uint16_t id, uint16_t code) {
    switch (id) {
        case kRecorderRecordId:
            Record();
            break;
        case kRecorderPlayId:
            Play();
            break;
        case kRecorderStopId:
            engine_.StopRecorder();
            break;
        case kRecorderRepeatId:
            engine_.SetRepeat(repeatButton.HasStyle(kButtonOn));
            break;
        case kRecorderPauseId:
            engine_.TogglePause();
            break;
        case kRecorderLoopStartId:
            engine_.MarkLoopStart();
            break;
        case kRecorderLoopEndId:
            engine_.MarkLoopEnd();
            break;
        case kRecorderSliderId:
            if (code == kScrollReleased) engine_.SeekTo(slider.GetPosition());
            break;
        case kRecorderCloseId:
            if (WindowedProgram* program = RunningProgram()) program->RequestClose();
            break;
        case kRecorderExportId:
            Export();
            break;
        default:
            break;
    }
    FollowEngine();
}

int RecorderScreen::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND) {
        HandleCommand(static_cast<uint16_t>(wParam & 0xFFFF), static_cast<uint16_t>(wParam >> 16));
    }
    if (message == WM_PAINT) {
        FollowEngine();
        Paint(reinterpret_cast<Surface*>(wParam));
    }
    return DefaultProc(message, wParam, lParam);
}

std::string RecorderScreen::TimeText() const {
    return TakeTimeText(engine_.Position(), engine_.DataEnd(), engine_.TakeRate());
}

// Under the controls: the reels turned to the position, so they turn while a
// take records or plays and stand still otherwise, and the time right of the
// "POSITION" label above the slider.
void RecorderScreen::Paint(Surface* surface) {
    if (!surface) return;
    const int64_t samples = (int64_t{engine_.Position()} - kRecordingHeaderBytes) / 2;
    reels_.Draw(surface, samples, engine_.TakeRate());
    if (!timeFont_) return;
    const std::string text = TimeText();
    const int32_t right = slider.x + slider.width;
    DrawColourText(timeFont_, surface, right - TextWidth(timeFont_, text.c_str()), slider.y - 13,
                   text.c_str(), 0xFFFF, 0);
}

}  // namespace ampliro
