// The Loop Recorder program area: the transport buttons, Repeat, the loop
// marks and the position slider, over the engine that the processing pass
// drives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/recorder/recorder_engine.h"
#include "app/recorder/recorder_reels.h"
#include "gfx/surface.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/sprite_sheet.h"
#include "ui/widget.h"

namespace ampliro {

class ResourceModule;
class ExportJob;
struct BitmapFont;

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
inline constexpr uint16_t kRecorderExportId = 30;

// What the Loop Recorder asks of the application for an export.
class RecorderHost {
  public:
    // Message box kinds: Ok alone; Yes and No with the focus on No.
    static constexpr int kTell = 4;
    static constexpr int kAskNo = 22;

    virtual ~RecorderHost() = default;
    // The application's message box; returns 1 for Yes.
    virtual int ShowMessage(const char* title, const char* text, int kind) = 0;
    // The name dialog over name (capacity bytes), typed as it stands: 1 Ok,
    // 2 Cancel.
    virtual int AskExportName(char* name, size_t capacity) = 0;
    // Shows the job's progress until it has finished, the user free to
    // cancel it meanwhile.
    virtual void FollowExport(ExportJob& job, const char* fileName) = 0;
};

class RecorderScreen : public Widget, public RecorderHook {
  public:
    // Shows a message box with an OK button.
    using MessageSink = void (*)(const char* title, const char* text);

    // RECORD.DAT lives in the program folder, unless SetRecordingFolder
    // names another.
    RecorderScreen();
    // RECORD.DAT and its exports in folder (the user's recordings folder).
    void SetRecordingFolder(const std::string& folder);

    // Where the recorder tells the user why Record or Play did not start.
    void SetMessageSink(MessageSink sink) { tell_ = sink; }
    // Who shows the export's dialogs; without one Export does nothing.
    void SetHost(RecorderHost* host) { host_ = host; }
    // The font of the position and length ("0:12 / 1:05").
    void SetTimeFont(BitmapFont* font) { timeFont_ = font; }
    // What the area shows as the take's position and length.
    std::string TimeText() const;

    // Main thread, at start-up (module null: the program's own pictures).
    void BuildScreen(const ResourceModule* module);
    RecorderEngine& Engine() { return engine_; }
    void ReadRecordingInfo() { engine_.ReadRecordingInfo(); }
    bool StorageAlarm() { return engine_.StorageAlarm(); }

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;
    void EngineStep(int16_t* samples, int32_t count) override {
        engine_.EngineStep(samples, count);
    }

    Button recordButton;
    Button playButton;
    Button stopButton;
    Button pauseButton;
    Button repeatButton;
    Button loopStartButton;
    Button loopEndButton;
    ScrollBar slider;
    Button closeButton;
    Button exportButton;

  private:
    // Where an export is said to be saved.
    std::string folderName_ = "the program folder";
    void HandleCommand(uint16_t id, uint16_t code);
    void Record();
    void Play();
    static void Show(Button& button, bool on);
    // Exactly the button of the state in force is lit, and the slider shows
    // the playing position. The audio thread may stop a take at the end of a
    // stretch or on a failed write; the next paint shows it.
    void FollowEngine();
    // Asks for a name and writes the take as a WAV file into the folder of
    // RECORD.DAT; refused while a take is being recorded.
    void Export();
    // The exported file's name (as typed, with ".wav"), or empty with the
    // reason told.
    std::string AskFileName();
    void TellExportResult(ExportJob& job, const std::string& fileName);
    void Paint(Surface* surface);

    RecorderEngine engine_;
    MessageSink tell_ = nullptr;
    RecorderHost* host_ = nullptr;
    BitmapFont* timeFont_ = nullptr;
    RecorderReels reels_;
    // The name last exported under, proposed the next time.
    std::string exportName_ = "loop";
    std::unique_ptr<Surface> buttonImage_;
    std::unique_ptr<Surface> thumbImage_;
    SpriteSheet buttonSheet_;
    SpriteSheet thumbSheet_;
};

}  // namespace ampliro
