// ampliro-render: runs an audio file through the pedals offline, block by
// block exactly as the audio thread would, and writes 16-bit mono WAV.
//
//   ampliro-render [--preset FILE] [--latency N] [--model FILE] [--ir FILE]
//                  INPUT OUTPUT
//
// Without a preset every pedal has its defaults, all switched off, so the
// output is the (mono-mixed) input bit for bit. --model and --ir switch on
// the amp and the cabinet with that file after the preset's chain (amp,
// then cabinet), at 0 dB and without loudness normalisation, so a model
// plays at its own levels with 16-bit full scale as 1.0. A preset's own
// model and IR are looked up as the program that saved it keeps them.
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/media_files.h"
#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "effects/pedalboard.h"
#include "platform/files/single_instance.h"
#include "platform/files/user_folders.h"

namespace {

using namespace ampliro;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Blocks per read and write of the files.
constexpr int32_t kBlocksPerChunk = 64;

struct Options {
    const char* preset = nullptr;
    const char* model = nullptr;
    const char* ir = nullptr;
    int32_t latency = kDefaultLatency;
    const char* input = nullptr;
    const char* output = nullptr;
};

constexpr const char* kUsage =
    "usage: ampliro-render [--preset FILE] [--latency N] [--model FILE] [--ir FILE] INPUT OUTPUT\n"
    "  --preset FILE  pedal settings and chain order (default: every pedal off)\n"
    "  --latency N    latency setting 1..50, which sets the block size (default 12)\n"
    "  --model FILE   an amp model (.nam) played after the chain at its own levels\n"
    "  --ir FILE      a cabinet impulse response played after the chain (and the model)\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "ampliro-render: %s\n", problem);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

bool ParseLatency(const char* text, int32_t& latency) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < kMinLatency || value > kMaxLatency) return false;
    latency = static_cast<int32_t>(value);
    return true;
}

// Returns 0 when the arguments are complete, or the exit code of a usage error.
int ParseArguments(int argc, char** argv, Options& options) {
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--preset") == 0 || std::strcmp(arg, "--latency") == 0 ||
            std::strcmp(arg, "--model") == 0 || std::strcmp(arg, "--ir") == 0) {
            if (i + 1 >= argc) return Usage((std::string(arg) + " needs a value").c_str());
            const char* value = argv[++i];
            if (arg[2] == 'p') {
                options.preset = value;
            } else if (arg[2] == 'm') {
                options.model = value;
            } else if (arg[2] == 'i') {
                options.ir = value;
            } else if (!ParseLatency(value, options.latency)) {
                return Usage("the latency must be a whole number from 1 to 50");
            }
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            // Asked for, the usage is an answer, not an error.
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage((std::string("unknown option ") + arg).c_str());
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return Usage("give one input file and one output file");
    options.input = files[0];
    options.output = files[1];
    return 0;
}

// The sample-rate index whose rate is exactly this one and whose latency
// rule gives a block size; -1 for any other rate.
int32_t RateIndexFor(int rate) {
    for (int32_t index = 0; index < kSampleRateCount; ++index) {
        if (SampleRateForIndex(index) == rate && BufferSizeFor(index, kDefaultLatency) > 0)
            return index;
    }
    return -1;
}

std::string SupportedRates() {
    std::string list;
    for (int32_t index = 0; index < kSampleRateCount; ++index) {
        if (BufferSizeFor(index, kDefaultLatency) == 0) continue;
        if (!list.empty()) list += ", ";
        list += std::to_string(SampleRateForIndex(index));
    }
    return list + " Hz";
}

// Progress on stderr for files longer than half a minute: a line that
// rewrites itself on a terminal, a line per tenth otherwise.
class Progress {
  public:
    Progress(sf_count_t total, int rate)
        : total_(total), shown_(total > static_cast<sf_count_t>(rate) * 30), tty_(isatty(2)) {}
    void Update(sf_count_t done) {
        if (!shown_ || total_ <= 0) return;
        const int percent = static_cast<int>(done * 100 / total_);
        if (percent == last_ || (!tty_ && percent / 10 == last_ / 10)) return;
        last_ = percent;
        std::fprintf(stderr, tty_ ? "\rampliro-render: %3d%%" : "ampliro-render: %3d%%\n", percent);
        if (tty_ && percent == 100) std::fprintf(stderr, "\n");
    }

  private:
    sf_count_t total_;
    bool shown_;
    bool tty_;
    int last_ = -1;
};

// Up to count frames, fewer only at the end of the input: a reader that
// returns less than asked (a pipe) is asked again, so that no block is padded
// before the end.
sf_count_t ReadFrames(SNDFILE* in, int16_t* frames, int channels, sf_count_t count) {
    sf_count_t got = 0;
    while (got < count) {
        const sf_count_t n = sf_readf_short(in, frames + got * channels, count - got);
        if (n <= 0) break;
        got += n;
    }
    return got;
}

// The amp and the cabinet of --model and --ir, switched on and moved to the
// end of the chain. False, with the reason on stderr, when a file cannot be
// played.
bool AddAmpAndCabinet(const Options& options, Pedalboard& board) {
    if (options.model == nullptr && options.ir == nullptr) return true;
    if (options.model != nullptr) {
        // Set before the model is built: it starts at these gains.
        board.amp.SetInputDb(0);
        board.amp.SetOutputDb(0);
        board.amp.normalise = false;
        const std::string error = LoadModelFile(board.amp, options.model);
        if (!error.empty()) {
            std::fprintf(stderr, "ampliro-render: %s\n", error.c_str());
            return false;
        }
        board.amp.enabled = 1;
    }
    if (options.ir != nullptr) {
        std::string note;
        const std::string error = LoadImpulseFile(board.cabinet, options.ir, &note);
        if (!error.empty()) {
            std::fprintf(stderr, "ampliro-render: %s\n", error.c_str());
            return false;
        }
        if (!note.empty()) std::fprintf(stderr, "ampliro-render: %s\n", note.c_str());
        board.cabinet.SetLevelDb(0);
        board.cabinet.SetMixPercent(100);
        board.cabinet.enabled = 1;
    }
    int32_t keys[kChainLength];
    GetChainOrder(keys);
    int32_t order[kChainLength];
    int32_t n = 0;
    for (int32_t key : keys) {
        if (key != kKeyAmp && key != kKeyCabinet) order[n++] = key;
    }
    order[n++] = kKeyAmp;
    order[n++] = kKeyCabinet;
    SetChainOrder(order);
    return true;
}

// A preset names its model and impulse response relative to the models/ and
// cabinets/ folders of the copy that saved it. That copy's data folder holds
// the preset (Defaults.preset) or its presets/ folder, in a portable copy
// as in the user's own folders; a preset kept anywhere else is taken to
// come from the user's folders.
void UseMediaFoldersOf(const char* preset) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::absolute(preset, error).parent_path();
    for (const fs::path& data : {folder, folder.parent_path()}) {
        if (fs::is_directory(data / "models", error) ||
            fs::is_directory(data / "cabinets", error)) {
            SetPresetMediaFolders((data / "models").string(), (data / "cabinets").string());
            return;
        }
    }
    const UserFolders user = ChooseUserFolders(ReadFolderEnvironment(ExecutableFolder(), false));
    SetPresetMediaFolders(user.models, user.cabinets);
}

int Render(const Options& options) {
    SF_INFO inInfo{};
    SNDFILE* in = sf_open(options.input, SFM_READ, &inInfo);
    if (in == nullptr) {
        std::fprintf(stderr, "ampliro-render: cannot read %s: %s\n", options.input,
                     sf_strerror(nullptr));
        return kExitFailure;
    }
    const int32_t rateIndex = RateIndexFor(inInfo.samplerate);
    if (rateIndex < 0) {
        std::fprintf(stderr, "ampliro-render: %s is at %d Hz; the pedals run at %s\n",
                     options.input, inInfo.samplerate, SupportedRates().c_str());
        sf_close(in);
        return kExitFailure;
    }
    // Float files are scaled to the full 16-bit range rather than clipped.
    // Only for them: libsndfile reads the whole file to find its peak here.
    const int subformat = inInfo.format & SF_FORMAT_SUBMASK;
    if (subformat == SF_FORMAT_FLOAT || subformat == SF_FORMAT_DOUBLE) {
        sf_command(in, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
    }

    static Pedalboard board;
    SetChainEffects(board.AllByKey());
    RestoreDefaultOrder();
    SetLatencySetting(options.latency);
    ApplySampleRate(rateIndex);
    if (options.preset != nullptr) {
        UseMediaFoldersOf(options.preset);
        PresetLoadReport report;
        if (LoadPreset(options.preset, &report) == 0) {
            std::fprintf(stderr, "ampliro-render: cannot open preset %s\n", options.preset);
            sf_close(in);
            return kExitFailure;
        }
        // Without its model, its IR or its gate, amp and cabinet settings the
        // preset would be rendered as another sound.
        std::string problem = PresetLoadMessage(report);
        std::replace(problem.begin(), problem.end(), '\r', '\n');
        if (!problem.empty()) {
            std::fprintf(stderr, "ampliro-render: %s: %s\n", options.preset, problem.c_str());
            sf_close(in);
            return kExitFailure;
        }
    }

    if (!AddAmpAndCabinet(options, board)) {
        sf_close(in);
        return kExitFailure;
    }

    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = 1;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(options.output, SFM_WRITE, &outInfo);
    if (out == nullptr) {
        std::fprintf(stderr, "ampliro-render: cannot write %s: %s\n", options.output,
                     sf_strerror(nullptr));
        sf_close(in);
        return kExitFailure;
    }

    // The stream's buffer: (latency + 2) x m bytes of 16-bit samples. The
    // file is read and written a chunk of whole blocks at a time: a system
    // call per block would cost more than the pedals do.
    const int32_t blockSize = static_cast<int32_t>(BufferSizeFor(rateIndex, options.latency) / 2);
    const sf_count_t chunkFrames = static_cast<sf_count_t>(blockSize) * kBlocksPerChunk;
    const int channels = inInfo.channels;
    std::vector<int16_t> frames(channels > 1 ? static_cast<size_t>(chunkFrames) * channels : 0);
    std::vector<int16_t> chunk(static_cast<size_t>(chunkFrames));
    Progress progress(inInfo.frames, inInfo.samplerate);
    sf_count_t done = 0;
    int status = 0;
    for (;;) {
        // Mono is read straight into the chunk; more channels are averaged.
        const sf_count_t got =
            ReadFrames(in, channels == 1 ? chunk.data() : frames.data(), channels, chunkFrames);
        if (got <= 0) break;
        for (sf_count_t i = 0; channels > 1 && i < got; ++i) {
            int32_t sum = 0;
            for (int c = 0; c < channels; ++c) sum += frames[static_cast<size_t>(i * channels + c)];
            chunk[static_cast<size_t>(i)] = static_cast<int16_t>(sum / channels);
        }
        // A short last block is padded with silence: the pedals always see
        // whole blocks, as they do from the stream.
        const sf_count_t blocks = (got + blockSize - 1) / blockSize;
        std::fill(chunk.begin() + got, chunk.begin() + blocks * blockSize, 0);
        for (sf_count_t b = 0; b < blocks; ++b)
            ProcessingPass(chunk.data() + b * blockSize, blockSize);
        if (sf_writef_short(out, chunk.data(), got) != got) {
            std::fprintf(stderr, "ampliro-render: cannot write %s: %s\n", options.output,
                         sf_strerror(out));
            status = kExitFailure;
            break;
        }
        done += got;
        progress.Update(done);
        if (got < chunkFrames) break;
    }
    if (sf_error(in) != SF_ERR_NO_ERROR && status == 0) {
        std::fprintf(stderr, "ampliro-render: error reading %s: %s\n", options.input,
                     sf_strerror(in));
        status = kExitFailure;
    }
    sf_close(in);
    if (sf_close(out) != 0 && status == 0) {
        std::fprintf(stderr, "ampliro-render: cannot finish %s\n", options.output);
        status = kExitFailure;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int usage = ParseArguments(argc, argv, options)) return usage;
    return Render(options);
}
