#include "lv2_harness.h"

#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ampliro::lv2test {

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args) {
    ToolRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        // /usr/lib/lv2 holds LV2's own bundles, which name the plugin classes.
        setenv("LV2_PATH", AMPLIRO_LV2_PATH ":/usr/lib/lv2", 1);
#ifdef AMPLIRO_LV2_PRELOAD
        // The sanitizer build's plugin needs the sanitizer runtimes first in
        // the host, which is built without them.
        setenv("LD_PRELOAD", AMPLIRO_LV2_PRELOAD, 1);
#endif
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
        std::fprintf(stderr, "cannot run %s: %s\n", program.c_str(), std::strerror(errno));
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return run;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string PluginUri(const std::string& slug) {
    return "https://ampliro.example/plugins/" + slug;
}

namespace {

SNDFILE* OpenForWriting(const fs::path& path, int rate, int subformat) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | subformat;
    return sf_open(path.c_str(), SFM_WRITE, &info);
}

}  // namespace

bool WritePcm16(const fs::path& path, int rate, const std::vector<int16_t>& samples) {
    SNDFILE* f = OpenForWriting(path, rate, SF_FORMAT_PCM_16);
    if (f == nullptr) return false;
    const auto n = static_cast<sf_count_t>(samples.size());
    const bool written = sf_write_short(f, samples.data(), n) == n;
    return sf_close(f) == 0 && written;
}

bool WriteFloatValues(const fs::path& path, int rate, const std::vector<float>& values) {
    SNDFILE* f = OpenForWriting(path, rate, SF_FORMAT_FLOAT);
    if (f == nullptr) return false;
    const auto n = static_cast<sf_count_t>(values.size());
    const bool written = sf_write_float(f, values.data(), n) == n;
    return sf_close(f) == 0 && written;
}

bool WriteFloat(const fs::path& path, int rate, const std::vector<int16_t>& samples) {
    std::vector<float> values(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) values[i] = samples[i] / 32768.0f;
    return WriteFloatValues(path, rate, values);
}

std::vector<int16_t> ReadPcm16(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr || info.channels != 1) {
        if (f != nullptr) sf_close(f);
        return {};
    }
    std::vector<int16_t> samples(static_cast<size_t>(info.frames));
    samples.resize(static_cast<size_t>(sf_read_short(f, samples.data(), info.frames)));
    sf_close(f);
    return samples;
}

std::vector<float> ReadFloat(const fs::path& path, int* format) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr || info.channels != 1) {
        if (f != nullptr) sf_close(f);
        return {};
    }
    if (format != nullptr) *format = info.format;
    std::vector<float> values(static_cast<size_t>(info.frames));
    values.resize(static_cast<size_t>(sf_read_float(f, values.data(), info.frames)));
    sf_close(f);
    return values;
}

namespace {

// One 32-bit field of a pedal's preset record: the port symbol whose value
// it holds (or "enabled"), its default, and whether it is stored as an IEEE
// single rather than an integer.
struct Field {
    const char* symbol;
    int32_t initial;
    bool isFloat = false;
};

struct Record {
    const char* slug;
    std::vector<Field> fields;
};

// The nine records in the order a preset file holds them. The Overdrive
// keeps a level and mix it does not use; the Pitch Shifter stores its level
// twice.
const std::vector<Record>& Records() {
    static const std::vector<Record> records = {
        {"overdrive",
         {{"level", 64},
          {"mix", 32},
          {"enabled", 0},
          {"bass", 32},
          {"middle", 32},
          {"treble", 32},
          {"saturation", 32},
          {"drive", 32}}},
        {"parametric-eq",
         {{"level", 48},
          {"mix", 32},
          {"enabled", 0},
          {"resonance", 32, true},
          {"frequency", 2600, true},
          {"mode", 4},
          {"gain", 0}}},
        {"pitch-shifter",
         {{"level", 48}, {"mix", 32}, {"enabled", 0}, {"level", 48}, {"semitones", 3}}},
        {"phaser",
         {{"level", 48},
          {"mix", 32},
          {"enabled", 0},
          {"rate", 32},
          {"feedback", 32},
          {"depth", 32}}},
        {"chorus",
         {{"level", 48},
          {"mix", 32},
          {"enabled", 0},
          {"depth", 32},
          {"speed", 16, true},
          {"feedback", 32}}},
        {"delay",
         {{"level", 48},
          {"mix", 32},
          {"enabled", 0},
          {"delay", 500},
          {"decay", 32},
          {"cutoff", 64}}},
        {"reverb",
         {{"level", 48},
          {"mix", 32},
          {"enabled", 0},
          {"delay", 32},
          {"decay", 32},
          {"filter_lp", 32},
          {"filter_hp", 32}}},
        {"graphic-eq",
         {{"level", 48},
          {"enabled", 0},
          {"band_100", 0},
          {"band_200", 0},
          {"band_400", 0},
          {"band_800", 0},
          {"band_1600", 0},
          {"band_3200", 0},
          {"band_6400", 0}}},
        {"tremolo", {{"level", 48}, {"enabled", 0}, {"depth", 32}, {"rate", 32}}},
    };
    return records;
}

void PutWord(std::vector<uint8_t>& bytes, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

}  // namespace

bool WriteSoloPreset(const fs::path& path, const std::string& slug, const Settings& settings) {
    std::vector<uint8_t> bytes;
    bool found = false;
    for (const Record& record : Records()) {
        const bool solo = slug == record.slug;
        found = found || solo;
        for (const Field& field : record.fields) {
            int32_t value = field.initial;
            if (std::strcmp(field.symbol, "enabled") == 0) {
                value = solo ? 1 : 0;
            } else if (solo) {
                const auto it = settings.find(field.symbol);
                if (it != settings.end()) value = it->second;
            }
            uint32_t word = static_cast<uint32_t>(value);
            if (field.isFloat) {
                const float f = static_cast<float>(value);
                std::memcpy(&word, &f, sizeof word);
            }
            PutWord(bytes, word);
        }
    }
    for (uint32_t key = 0; key < 9; ++key) PutWord(bytes, key);
    if (!found) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

std::vector<int16_t> GuitarSignal(int rate, int count) {
    std::vector<int16_t> s(static_cast<size_t>(count));
    uint32_t seed = 12345;
    const double notes[] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    const int noteLength = rate / 4;
    for (int i = 0; i < count; ++i) {
        const int note = i / noteLength;
        const double t = static_cast<double>(i % noteLength) / rate;
        const double f = notes[note % 6];
        double v = 0.0;
        for (int h = 1; h <= 5; ++h) v += std::sin(2.0 * M_PI * f * h * t) / h;
        v *= 14000.0 * std::exp(-6.0 * t);
        seed = seed * 1664525u + 1013904223u;
        v += static_cast<int16_t>(seed >> 16) / 16;
        s[static_cast<size_t>(i)] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    // Full-scale bursts, to be clipped by the pedals that clip.
    for (int i = count / 3; i < count / 3 + rate / 50 && i < count; ++i)
        s[static_cast<size_t>(i)] = (i / 20) % 2 ? 32767 : -32768;
    // The last fifth silent: the tails of echoes and reverberation.
    for (int i = count - count / 5; i < count; ++i) s[static_cast<size_t>(i)] = 0;
    return s;
}

}  // namespace ampliro::lv2test
