// The metronome's sound engine: beat timing, the click and reference-tone
// voices in 8.8 fixed point, and the state of the Beat and Acc lamps.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/pass_hooks.h"
#include "audio/sound_fx.h"

namespace ampliro {

class ResourceModule;

inline constexpr int32_t kMinTempo = 40;
inline constexpr int32_t kMaxTempo = 200;
inline constexpr int32_t kMinAccent = 1;
inline constexpr int32_t kMaxAccent = 6;
inline constexpr int32_t kMaxMetronomeVolume = 64;

// One sample playing at a rate of its own: positions and steps carry 8
// fraction bits, so step = source rate x 256 / output rate.
struct Voice {
    uint8_t playing = 0;
    uint8_t gain = 0;  // 0..64, the click's only
    uint32_t step = 0;
    uint32_t position = 0;
    uint32_t end = 0;  // sample count x 256
    const SoundFX* sound = nullptr;
};

class MetronomeEngine : public MetronomeHook {
  public:
    using Clock = uint32_t (*)();

    MetronomeEngine();

    // Main thread, before the audio runs: the click (WAVE 160) and the tone.
    void LoadSounds(const ResourceModule* module);
    SoundFX& ClickSound() { return click_; }
    SoundFX& ToneSound() { return tone_; }
    // The millisecond clock the beats are timed by.
    void SetClock(Clock clock) { clock_ = clock; }

    // Main thread. Values outside the knobs' ranges are brought into them: a
    // tempo of 0 would divide by zero, so would an accent of 0.
    void SetTempo(int32_t bpm);
    void SetAccent(int32_t beatsPerBar);
    void SetVolume(int32_t volume);
    int32_t Tempo() const { return tempo_.load(std::memory_order_relaxed); }
    int32_t Accent() const { return accent_.load(std::memory_order_relaxed); }
    int32_t Volume() const { return volume_.load(std::memory_order_relaxed); }
    int32_t BeatInterval() const { return beatInterval_.load(std::memory_order_relaxed); }
    int32_t LampDelay() const { return lampDelay_.load(std::memory_order_relaxed); }
    int32_t SampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    // "#FFFFFF%d bpm", the tempo knob's caption.
    const char* TempoLabel() const { return tempoLabel_; }

    // The first beat falls on the next timing step; Stop lets a click play out.
    void Start();
    void Stop() { running_.store(0, std::memory_order_relaxed); }
    bool Running() const { return running_.load(std::memory_order_relaxed) != 0; }
    // Switches the 440 Hz tone; does nothing without a tone sample.
    void ToggleTone();
    bool ToneOn() const { return toneWanted_.load(std::memory_order_relaxed) != 0; }

    bool BeatLampOn() const { return beatLamp_.load(std::memory_order_relaxed) != 0; }
    bool AccentLampOn() const { return accentLamp_.load(std::memory_order_relaxed) != 0; }

    // Audio thread.
    void TimingStep(int32_t count) override;
    void MixInto(int16_t* samples, int32_t count) override;
    // Main thread, from the audio settings.
    void SetLampDelay(int32_t milliseconds) override;
    void SetSampleRate(int32_t hz) override;

    // Lamps stay lit for this many blocks of the latency setting's size (on
    // JACK, whose period may be far shorter, for as long).
    static constexpr int32_t kLampPasses = 15;

  private:
    void StartClick(bool accented);
    void FollowToneSwitch();
    uint32_t StepFor(uint32_t sourceRate) const;

    SoundFX click_;
    SoundFX tone_;
    Clock clock_;
    char tempoLabel_[32] = {};

    std::atomic<uint8_t> running_{0};
    std::atomic<uint8_t> accentNow_{0};
    std::atomic<uint8_t> toneWanted_{0};
    std::atomic<uint8_t> beatLamp_{0};
    std::atomic<uint8_t> accentLamp_{0};
    std::atomic<int32_t> lampDelay_{56};
    std::atomic<uint32_t> beatCount_{0};
    std::atomic<int32_t> accent_{4};
    std::atomic<int32_t> volume_{48};
    std::atomic<int32_t> sampleRate_{44100};
    std::atomic<int32_t> tempo_{140};
    std::atomic<int32_t> beatInterval_{429};
    std::atomic<uint32_t> lastBeatTime_{0};
    std::atomic<uint32_t> lampOnTime_{0xFFFFFFFF};

    // Audio thread only: the samples each lamp stays lit for yet.
    int32_t beatCountdown_ = 0;
    int32_t accentCountdown_ = 0;
    Voice clickVoice_;
    Voice toneVoice_;
};

}  // namespace ampliro
