// The power switch and the overload watchdog. Powering on opens the duplex
// stream and arms a watchdog that the application runs once per frame. The
// watchdog reads what the audio side measures where the work happens (how
// long each processing pass takes against the time its block lasts, and the
// blocks that are lost) and switches the audio off and says so only when the
// audio cannot keep up for more than two seconds on end. Time the main loop
// spends in a modal dialog or with its window inactive is not audio trouble
// and never counts.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

// Shows the power state: the Configuration screen's switch and lamp.
class PowerView {
  public:
    virtual ~PowerView() = default;
    virtual void ShowPower(bool on) = 0;
};

// Tells the user about an audio failure: a message box with an Ok button.
using AudioErrorSink = void (*)(const char* title, const char* text);

// The stream operations the switch drives; the real stream unless a test
// installs its own. open returns 0 or the stream's error code.
struct PowerStream {
    int32_t (*open)() = nullptr;
    void (*close)() = nullptr;
    bool (*running)() = nullptr;
    // True once the devices failed for good (the sound server went away);
    // the reason is the text for the user.
    bool (*failed)(std::string& reason) = nullptr;
};

using PowerClock = uint32_t (*)();

// 1 powers on, 0 off; any other value does nothing.
void SetPower(int on);
// Once per frame. Devices that failed for good switch the audio off with the
// back end's own words. Past the 2000 ms grace after power-on the audio is judged in
// windows of at least 500 ms: a window is overloaded when its passes took
// longer than their blocks last, when blocks were lost in it, or when a pass
// has been running for more than two seconds. When overloaded windows follow
// one another for more than 2000 ms the audio goes off with "Audio Error".
void CheckAudioOverload();

// True while the stream runs.
bool AudioPowered();
// Clock value at power-on, 0 while off or disarmed.
uint32_t PowerOnTime();
// The storage alarm disarms the watchdog until the next power-on.
void DisarmOverloadWatchdog();

void SetPowerView(PowerView* view);
void SetAudioErrorSink(AudioErrorSink sink);
// Null restores the real stream.
void SetPowerStream(const PowerStream* stream);
// Null restores Milliseconds.
void SetPowerClock(PowerClock clock);

// The text shown when the stream cannot be opened, with the reason.
const char* AudioOpenFailureText(int code);

inline constexpr const char* kAudioErrorTitle = "Audio Error";
inline constexpr const char* kOverloadText =
    "The audio subsystem was unable to process data fast enough using the current settings. "
    "Try increasing the audio latency or reducing the number of active effects.";
inline constexpr uint32_t kOverloadGraceMs = 2000;
inline constexpr uint32_t kOverloadWindowMs = 500;
inline constexpr uint32_t kOverloadHoldMs = 2000;
inline constexpr uint32_t kStuckPassMicros = 2000000;

}  // namespace ampliro
