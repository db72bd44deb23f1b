// A noise gate for a guitar in front of the amp: silence between notes,
// every note through from its first peak. It opens on the first sample whose
// magnitude reaches the open threshold, stays open while the signal stays
// above a lower close threshold and for a hold time after, then fades out.
//
// Float, on float or 16-bit blocks: thresholds reach down to -80 dBFS, about
// 3 steps of a 16-bit sample, where a fixed-point level or gain would be
// coarse, and a one-second release moves the gain by 1/48000 a sample,
// under the resolution of a Q15 gain.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace ampliro::dsp {

class NoiseGate {
  public:
    static constexpr float kMinThresholdDb = -80.0f, kMaxThresholdDb = -20.0f;
    static constexpr float kMaxHysteresisDb = 20.0f;
    static constexpr float kMinAttackMs = 0.1f, kMaxAttackMs = 1.0f;
    static constexpr float kMinHoldMs = 10.0f, kMaxHoldMs = 1000.0f;
    static constexpr float kMinReleaseMs = 5.0f, kMaxReleaseMs = 2000.0f;

    // Closed, with the knobs at their defaults.
    void Init(int32_t sampleRate);

    // The knobs, from any thread; the audio side reads them once a block.
    // Open threshold in dBFS (a peak of 1.0, or 32768 on 16 bits, is
    // 0 dBFS), -80..-20, default -60.
    void SetThreshold(float dbfs) { Store(thresholdDb_, dbfs, kMinThresholdDb, kMaxThresholdDb); }
    // How far under the open threshold it closes, dB, 0..20, default 6:
    // a note that dies slowly through the threshold closes it once.
    void SetHysteresis(float db) { Store(hysteresisDb_, db, 0.0f, kMaxHysteresisDb); }
    // The gain's rise from closed to open, ms, 0.1..1, default 0.5: open
    // within 1 ms of a note at every setting.
    void SetAttack(float ms) { Store(attackMs_, ms, kMinAttackMs, kMaxAttackMs); }
    // How long it stays open after the signal last stood at or above the
    // close threshold, ms, 10..1000, default 50. At least 10 ms: longer than
    // the gap between the peaks of the lowest note of a seven-string
    // (B1, 62 Hz), so a note at the threshold cannot chatter.
    void SetHold(float ms) { Store(holdMs_, ms, kMinHoldMs, kMaxHoldMs); }
    // The gain's fall from open to closed, ms, 5..2000, default 100.
    void SetRelease(float ms) { Store(releaseMs_, ms, kMinReleaseMs, kMaxReleaseMs); }

    // In place.
    void Process(float* block, size_t count);
    void Process(int16_t* block, size_t count);

    // The gain on the last sample processed, 0..1; read where Process runs.
    float gain() const;

  private:
    struct Settings {
        float open, close, attackStep, releaseStep;
        int32_t holdSamples;
    };
    static void Store(std::atomic<float>& knob, float value, float low, float high);
    Settings Read() const;
    // One sample's gain, advancing the state by a sample.
    float Advance(float magnitude, const Settings& s);

    float sampleRate_ = 48000.0f;
    std::atomic<float> thresholdDb_{-60.0f};
    std::atomic<float> hysteresisDb_{6.0f};
    std::atomic<float> attackMs_{0.5f};
    std::atomic<float> holdMs_{50.0f};
    std::atomic<float> releaseMs_{100.0f};
    // The gain is a smooth step of this phase, which runs from 0 (closed)
    // to 1 (open) in the attack time and back in the release time.
    float phase_ = 0.0f;
    bool open_ = false;
    int32_t holdLeft_ = 0;
};

}  // namespace ampliro::dsp
