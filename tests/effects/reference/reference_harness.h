// Runs a pedal's block path and its plain reference side by side over the
// same signal in the same blocks and finds the first sample where they part.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "reference_pedal.h"

namespace ampliro::reference {

// The test signals, all at full scale.
enum class Signal { kSquare, kSine, kNoise };
const char* SignalName(Signal signal);
std::vector<int16_t> MakeSignal(Signal signal, int32_t rate, int32_t count);

// The block sizes a run is cut into, repeated until the signal ends; a
// size of 0 means a random mix of sizes from 1 to maxBlock.
std::vector<int32_t> BlockSizesOf(int32_t pattern, int32_t count, int32_t maxBlock);
// The block patterns a case runs: all of them, or under a sanitizer (many
// times slower) the shortest, a few odd and even sizes, the longest and the
// random mix.
const std::vector<int32_t>& BlockPatterns();
// The signals case number `index` runs: all three, or under a sanitizer one
// of them in turn.
std::vector<Signal> SignalsFor(size_t index);

// One knob setting of a pedal: its preset record and how long to run it.
struct Setting {
    const char* name;
    Record record;
    int32_t millis;
};

struct PedalUnderTest {
    const char* name;
    int32_t key;
    std::function<std::unique_ptr<Effect>()> makeBlockPath;
    std::unique_ptr<Pedal> (*makeReference)(int32_t rate, const Record& record);
    std::vector<Setting> settings;
    // The longest block compared; longer patterns are left out.
    int32_t maxBlock = 4800;
};

// A control moved between blocks: before the first block that starts at or
// after `atMillis`, OnControl(id, value) on the pedal and MoveControl on the
// reference.
struct ControlMove {
    int32_t atMillis;
    int32_t id;
    int32_t value;
};

// The block path is the pedal class driven as the program drives it: Init,
// the record read by Load, Init again, then ProcessBlock per block. After
// each block the samples and the peak lamp must equal the reference's.
::testing::AssertionResult SameOutput(const PedalUnderTest& pedal, const Setting& setting,
                                      int32_t rate, Signal signal, int32_t pattern,
                                      const std::vector<ControlMove>& moves = {});

// The pedal as the preset loader leaves it: Init, the record read by Load
// from a file, Init again. False when no temporary file could be made.
bool StartBlockPath(Effect& fx, int32_t key, int32_t rate, const Record& record);

// A float record word: its IEEE single bits.
int32_t FloatBits(float f);
// How much of each setting's run the sanitizer builds take (they run the
// same paths many times slower).
int32_t RunSamples(const Setting& setting, int32_t rate);

}  // namespace ampliro::reference
