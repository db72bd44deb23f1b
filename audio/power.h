// The power switch and the overload watchdog. Powering on opens the duplex
// stream and arms a watchdog that the application runs once per frame: when
// the audio thread cannot keep up, the user interface starves, its frame rate
// collapses, and the watchdog switches the audio off and says so.
#pragma once

#include <cstdint>

namespace ampliro {

// The user interface's frame rate from the last 16 ticks.
class FrameRateMeter {
  public:
    // Records now; 0 while fewer than 16 ticks are held, else 16000 divided
    // by the milliseconds over the last 15 frames (999 when none passed).
    uint32_t Sample(uint32_t now);
    void Reset();

  private:
    uint32_t ticks[16] = {};
    uint32_t counter = 0;
};

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
};

using PowerClock = uint32_t (*)();

// 1 powers on, 0 off; any other value does nothing.
void SetPower(int on);
// Once per frame. Past the 2000 ms grace after power-on, a frame rate below
// 5 switches the audio off and shows "Audio Error".
void CheckAudioOverload();

// True while the stream runs.
bool AudioPowered();
// Clock value at power-on, 0 while off or disarmed.
uint32_t PowerOnTime();
// The meter the watchdog samples.
FrameRateMeter& OverloadMeter();
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
inline constexpr uint32_t kOverloadFrameRate = 5;

}  // namespace ampliro
