// The audio settings: sample rate, latency and master volume, and the rules
// that derive the stream's format from them.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int32_t kSampleRateCount = 6;
// Index to rate: 8000, 11025, 22050, 44100, 48000, 96000 Hz.
int32_t SampleRateForIndex(int32_t index);

inline constexpr int32_t kDefaultSampleRateIndex = 3;
inline constexpr int32_t kDefaultLatency = 12;
inline constexpr int32_t kMinLatency = 1;
inline constexpr int32_t kMaxLatency = 50;

// The settings as they stand (main thread).
int32_t SampleRateIndex();
int32_t SampleRate();
int32_t LatencySetting();
// Stores the latency knob's value; ApplyLatency turns it into a buffer size.
void SetLatencySetting(int32_t latency);

// Stores the index, takes its rate (an index outside 0..5 keeps the rate),
// derives the buffer size, tells the metronome and re-initialises every
// pedal. It does not open or close the stream.
void ApplySampleRate(int32_t index);
// Stream rate := sample rate; buffer size := (latency + 2) x m bytes with
// m = 16, 32, 64, 64, 128 for the indices 1 to 5 (index 0 or an unknown
// index keeps the buffer size). The latency is taken within 1..50 here.
void ApplyLatency();
// Bytes per buffer for a latency at a sample-rate index, or 0 when the index
// keeps the buffer size as it is.
uint32_t BufferSizeFor(int32_t index, int32_t latency);
// Calls every pedal's Init at the current rate, in the order Reverb, Chorus,
// Delay, Phaser, Pitch Shifter, Overdrive, Parametric EQ, Graphic EQ,
// Tremolo. Keeps the pedals out of any pass while they rebuild.
void InitEffects();
// One buffer's duration: buffer size x 1000 / stream rate.
uint32_t LatencyMilliseconds();

// The output volume as a knob value 0..64, and setting it from one.
int32_t ReadMasterVolume();
void SetMasterVolume(int32_t volume);

}  // namespace ampliro
