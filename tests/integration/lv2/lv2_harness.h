// What the LV2 tests share: the real tools run as child processes with the
// built bundle on LV2_PATH, mono WAV files written and read with libsndfile,
// and a preset that switches one pedal on with given settings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace ampliro::lv2test {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Runs program with args (no shell), LV2_PATH set to the built bundle's
// folder, and waits for that process.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args);

std::string PluginUri(const std::string& slug);

bool WritePcm16(const fs::path& path, int rate, const std::vector<int16_t>& samples);
// The same samples as floats s / 32768.
bool WriteFloat(const fs::path& path, int rate, const std::vector<int16_t>& samples);
bool WriteFloatValues(const fs::path& path, int rate, const std::vector<float>& values);
std::vector<int16_t> ReadPcm16(const fs::path& path);
std::vector<float> ReadFloat(const fs::path& path, int* format = nullptr);

// Knob values by port symbol; a symbol not given keeps the pedal's default.
using Settings = std::map<std::string, int32_t>;

// A preset with every pedal at its defaults and off, except the pedal of
// this plugin slug, which is on with the settings. False for an unknown slug
// or a file that cannot be written.
bool WriteSoloPreset(const fs::path& path, const std::string& slug, const Settings& settings);

// A guitar-like test signal: plucked decaying notes with harmonics, noise,
// full-scale bursts that clip, and silence for the tails.
std::vector<int16_t> GuitarSignal(int rate, int count);

}  // namespace ampliro::lv2test
