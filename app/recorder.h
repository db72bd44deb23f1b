// The Loop Recorder program area: the transport buttons, Repeat, the loop
// marks and the position slider, over the engine that the processing pass
// drives.
#pragma once

#include <cstdint>
#include <memory>

#include "app/recorder_engine.h"
#include "gfx/surface.h"
#include "ui/button.h"
#include "ui/object.h"
#include "ui/scroll_bar.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

class ResourceModule;

// Control ids.
inline constexpr uint16_t kRecorderRecordId = 1;
inline constexpr uint16_t kRecorderPlayId = 2;
inline constexpr uint16_t kRecorderStopId = 3;
inline constexpr uint16_t kRecorderRepeatId = 4;
inline constexpr uint16_t kRecorderPauseId = 5;
inline constexpr uint16_t kRecorderLoopStartId = 6;
inline constexpr uint16_t kRecorderLoopEndId = 7;
inline constexpr uint16_t kRecorderSliderId = 10;
inline constexpr uint16_t kRecorderCloseId = 20;

class TRecorder : public TObject, public RecorderHook {
  public:
    // Shows a message box with an OK button.
    using MessageSink = void (*)(const char* title, const char* text);

    // RECORD.DAT lives in the program folder.
    TRecorder();

    // Where the recorder tells the user why Record or Play did not start.
    void SetMessageSink(MessageSink sink) { tell_ = sink; }

    // Main thread, at start-up (module null: the program's own pictures).
    void BuildScreen(const ResourceModule* module);
    RecorderEngine& Engine() { return engine_; }
    void ReadRecordingInfo() { engine_.ReadRecordingInfo(); }
    bool StorageAlarm() { return engine_.StorageAlarm(); }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;
    void EngineStep(int16_t* samples, int32_t count) override {
        engine_.EngineStep(samples, count);
    }

    UIButton recordButton;
    UIButton playButton;
    UIButton stopButton;
    UIButton pauseButton;
    UIButton repeatButton;
    UIButton loopStartButton;
    UIButton loopEndButton;
    UIScrollBar slider;
    UIButton closeButton;

  private:
    void HandleCommand(uint16_t id, uint16_t code);
    void Record();
    void Play();
    static void Show(UIButton& button, bool on);
    // Exactly the button of the state in force is lit, and the slider shows
    // the playing position. The audio thread may stop a take at the end of a
    // stretch or on a failed write; the next paint shows it.
    void FollowEngine();

    RecorderEngine engine_;
    MessageSink tell_ = nullptr;
    std::unique_ptr<Surface> buttonImage_;
    std::unique_ptr<Surface> thumbImage_;
    SpriteSheet buttonSheet_;
    SpriteSheet thumbSheet_;
};

}  // namespace ampliro
