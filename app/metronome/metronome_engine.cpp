#include "app/metronome/metronome_engine.h"

#include <algorithm>
#include <cstdio>

#include "audio/stream_format.h"
#include "platform/resources/resource_ids.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

constexpr uint32_t kNoLampPending = 0xFFFFFFFF;
constexpr int32_t kAccentGain = 64;
constexpr int32_t kBeatGain = 24;

int16_t Saturate(int32_t v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

}  // namespace

MetronomeEngine::MetronomeEngine() : clock_(Milliseconds) {
    SetTempo(140);
}

void MetronomeEngine::LoadSounds(const ResourceModule* module) {
    click_.LoadWaveResource(module, kClickSound);
    tone_.MakeTone(kToneSine);
}

void MetronomeEngine::SetTempo(int32_t bpm) {
    bpm = std::clamp(bpm, kMinTempo, kMaxTempo);
    tempo_.store(bpm, std::memory_order_relaxed);
    // 60000 ms a minute over the beats, rounded to the nearest millisecond.
    const float interval = 60000.0f / static_cast<float>(bpm);
    beatInterval_.store(static_cast<int32_t>(static_cast<double>(interval) + 0.5),
                        std::memory_order_relaxed);
    std::snprintf(tempoLabel_, sizeof tempoLabel_, "#FFFFFF%d bpm", static_cast<int>(bpm));
}

void MetronomeEngine::SetAccent(int32_t beatsPerBar) {
    accent_.store(std::clamp(beatsPerBar, kMinAccent, kMaxAccent), std::memory_order_relaxed);
}

void MetronomeEngine::SetVolume(int32_t volume) {
    volume_.store(std::clamp(volume, 0, kMaxMetronomeVolume), std::memory_order_relaxed);
}

void MetronomeEngine::SetLampDelay(int32_t milliseconds) {
    lampDelay_.store(milliseconds, std::memory_order_relaxed);
}

void MetronomeEngine::SetSampleRate(int32_t hz) {
    sampleRate_.store(hz, std::memory_order_relaxed);
}

void MetronomeEngine::Start() {
    beatCount_.store(0, std::memory_order_relaxed);
    lastBeatTime_.store(clock_() - static_cast<uint32_t>(BeatInterval()),
                        std::memory_order_relaxed);
    lampOnTime_.store(kNoLampPending, std::memory_order_relaxed);
    running_.store(1, std::memory_order_release);
}

void MetronomeEngine::ToggleTone() {
    if (!tone_.HasSamples()) return;
    toneWanted_.store(toneWanted_.load(std::memory_order_relaxed) ? 0 : 1,
                      std::memory_order_relaxed);
}

uint32_t MetronomeEngine::StepFor(uint32_t sourceRate) const {
    const int32_t rate = SampleRate();
    if (rate <= 0) return 0;
    return static_cast<uint32_t>((static_cast<uint64_t>(sourceRate) * 256) /
                                 static_cast<uint32_t>(rate));
}

void MetronomeEngine::TimingStep(int32_t count) {
    if (running_.load(std::memory_order_acquire)) {
        const uint32_t now = clock_();
        if (now >= lampOnTime_.load(std::memory_order_relaxed)) {
            // Counted in samples: at the latency setting's block that is
            // kLampPasses passes, and a JACK period of 64 frames lights the
            // lamp as long, not for a blink of 20 ms.
            const auto block = static_cast<int32_t>(StreamBufferSize() / 2);
            beatCountdown_ = kLampPasses * (block > 0 ? block : count);
            lampOnTime_.store(kNoLampPending, std::memory_order_relaxed);
            if (accentNow_.load(std::memory_order_relaxed)) accentCountdown_ = beatCountdown_;
        }
        // The first pass at or after a beat's time takes it. Beats keep to a
        // grid one interval apart, so a click starts within one pass of its
        // time and the tempo holds at any block length; after a stall of
        // more than an interval the grid starts again from now.
        const auto interval = static_cast<uint32_t>(BeatInterval());
        const uint32_t sinceLast = now - lastBeatTime_.load(std::memory_order_relaxed);
        if (sinceLast >= interval) {
            const uint32_t beat = beatCount_.load(std::memory_order_relaxed);
            const bool accented = beat % static_cast<uint32_t>(Accent()) == 0;
            accentNow_.store(accented ? 1 : 0, std::memory_order_relaxed);
            lampOnTime_.store(now + static_cast<uint32_t>(LampDelay()), std::memory_order_relaxed);
            const uint32_t due = lastBeatTime_.load(std::memory_order_relaxed) + interval;
            lastBeatTime_.store(sinceLast < 2 * interval ? due : now, std::memory_order_relaxed);
            StartClick(accented);
            beatCount_.store(beat + 1, std::memory_order_relaxed);
        }
    }
    beatLamp_.store(beatCountdown_ > 0, std::memory_order_relaxed);
    accentLamp_.store(accentCountdown_ > 0, std::memory_order_relaxed);
    beatCountdown_ = std::max(beatCountdown_ - count, 0);
    accentCountdown_ = std::max(accentCountdown_ - count, 0);
}

void MetronomeEngine::StartClick(bool accented) {
    // A click still sounding is never restarted or overlapped.
    if (!click_.HasSamples() || clickVoice_.playing) return;
    const uint32_t step = StepFor(click_.rate);
    if (step == 0) return;
    clickVoice_.gain = static_cast<uint8_t>((Volume() * (accented ? kAccentGain : kBeatGain)) >> 6);
    clickVoice_.end = click_.length * 256;
    clickVoice_.sound = &click_;
    clickVoice_.position = 0;
    clickVoice_.step = step;
    clickVoice_.playing = 1;
}

void MetronomeEngine::FollowToneSwitch() {
    const bool wanted = toneWanted_.load(std::memory_order_relaxed) != 0;
    if (wanted == (toneVoice_.playing != 0)) return;
    if (!wanted) {
        toneVoice_.playing = 0;
        return;
    }
    const uint32_t step = StepFor(tone_.rate);
    if (step == 0 || !tone_.HasSamples()) return;
    toneVoice_.sound = &tone_;
    toneVoice_.end = tone_.length * 256;
    toneVoice_.position = 0;
    toneVoice_.step = step;
    toneVoice_.playing = 1;
}

void MetronomeEngine::MixInto(int16_t* samples, int32_t count) {
    FollowToneSwitch();
    if (clickVoice_.playing) {
        Voice& v = clickVoice_;
        const int32_t gain = v.gain;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t s = v.sound->Sample(v.position >> 8);
            v.position += v.step;
            if (v.position >= v.end) {
                v.playing = 0;
                break;
            }
            samples[i] = Saturate(samples[i] + ((s * gain) >> 6));
        }
    }
    if (toneVoice_.playing) {
        Voice& v = toneVoice_;
        const int32_t volume = Volume();
        for (int32_t i = 0; i < count; ++i) {
            const int32_t s = v.sound->Sample(v.position >> 8);
            v.position += v.step;
            while (v.position >= v.end) v.position -= v.end;
            samples[i] = Saturate(samples[i] + ((s * volume) >> 6));
        }
    }
}

}  // namespace ampliro
