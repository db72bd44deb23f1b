#include "app/settings/preset_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/media_files.h"

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream_format.h"
#include "effects/effect.h"
#include "effects/pedalboard.h"
#include "effects/record_io.h"
#include "platform/files/atomic_file.h"

namespace ampliro {
namespace {

// The records have no lengths or tags, so a pedal missing from the chain
// would shift every field after it: refuse rather than write such a file.
bool AllPedalsPresent(const EffectChain& chain) {
    for (int32_t key = 0; key < kEffectCount; ++key) {
        if (chain.EffectByKey(key) == nullptr) return false;
    }
    return true;
}

// Reads the chain part. Only a complete permutation of the nine keys is a
// chain: a repeated key would put one pedal in the chain twice and leave
// another out.
bool ReadChainOrder(std::FILE* file, int32_t keys[kEffectCount]) {
    bool seen[kEffectCount] = {};
    for (int32_t slot = 0; slot < kEffectCount; ++slot) {
        if (!ReadInt32(file, keys[slot])) return false;
        const int32_t key = keys[slot];
        if (key < 0 || key >= kEffectCount || seen[key]) return false;
        seen[key] = true;
    }
    return true;
}

// The three pedals of the chunk, when the chain holds the real ones.
struct NewPedals {
    NoiseGatePedal* gate = nullptr;
    AmpPedal* amp = nullptr;
    CabinetPedal* cabinet = nullptr;
    bool present() const { return gate && amp && cabinet; }
};

NewPedals FindNewPedals(const EffectChain& chain) {
    return {dynamic_cast<NoiseGatePedal*>(chain.EffectByKey(kKeyNoiseGate)),
            dynamic_cast<AmpPedal*>(chain.EffectByKey(kKeyAmp)),
            dynamic_cast<CabinetPedal*>(chain.EffectByKey(kKeyCabinet))};
}

std::string gModelsFolder;
std::string gCabinetsFolder;

bool InDefaultPlaces(const EffectChain& chain) {
    return chain.KeyAt(0) == kKeyNoiseGate && chain.KeyAt(kChainLength - 2) == kKeyAmp &&
           chain.KeyAt(kChainLength - 1) == kKeyCabinet;
}

// A loaded model or IR counts even while its pedal is off: the defaults
// file would otherwise forget it at exit, and a player switching the amp
// back on the next day would find "No model".
bool UsesNewPedals(const EffectChain& chain, const NewPedals& p) {
    return !p.gate->AtDefaults() || !p.amp->AtDefaults() || !p.cabinet->AtDefaults() ||
           !p.amp->modelPath().empty() || !p.cabinet->impulsePath().empty() ||
           !InDefaultPlaces(chain);
}

// Relative to `folder` when the path lies inside it, else as it stands.
std::string StoredPath(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty()) return path;
    const std::filesystem::path rel =
        std::filesystem::path(path).lexically_proximate(std::filesystem::path(folder));
    const std::string text = rel.generic_string();
    if (rel.is_absolute() || text.empty() || text.starts_with("..")) return path;
    return text;
}

std::string FullPath(const std::string& stored, const std::string& folder) {
    if (stored.empty() || stored.front() == '/' || folder.empty()) return stored;
    return (std::filesystem::path(folder) / stored).string();
}

void WriteText(std::FILE* file, const std::string& text) {
    WriteInt32(file, static_cast<int32_t>(text.size()));
    std::fwrite(text.data(), 1, text.size(), file);
}

void WriteChunk(std::FILE* file, const EffectChain& chain, const NewPedals& p) {
    // The chunk is built in memory first so that its length leads it.
    std::FILE* body = std::tmpfile();
    if (body == nullptr) return;
    p.gate->Save(body);
    p.amp->Save(body);
    p.cabinet->Save(body);
    int32_t keys[kChainLength];
    chain.GetOrder(keys);
    for (int32_t key : keys) WriteInt32(body, key);
    WriteText(body, StoredPath(p.amp->modelPath(), gModelsFolder));
    WriteText(body, StoredPath(p.cabinet->impulsePath(), gCabinetsFolder));
    const long length = std::ftell(body);
    std::rewind(body);
    std::vector<char> bytes(length > 0 ? static_cast<size_t>(length) : 0);
    const bool read = std::fread(bytes.data(), 1, bytes.size(), body) == bytes.size();
    std::fclose(body);
    if (!read) return;
    std::fwrite(kPresetChunkTag, 1, 4, file);
    WriteInt32(file, kPresetChunkVersion);
    WriteInt32(file, static_cast<int32_t>(bytes.size()));
    std::fwrite(bytes.data(), 1, bytes.size(), file);
}

// A bounded reader over the chunk's bytes: every read is checked.
class ChunkReader {
  public:
    explicit ChunkReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool Word(int32_t& value) {
        if (bytes_.size() - at_ < 4) return false;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes_[at_ + i]) << (8 * i);
        at_ += 4;
        value = static_cast<int32_t>(v);
        return true;
    }
    bool Text(std::string& text) {
        int32_t length = 0;
        if (!Word(length) || length < 0 || static_cast<size_t>(length) > bytes_.size() - at_)
            return false;
        text.assign(reinterpret_cast<const char*>(bytes_.data() + at_),
                    static_cast<size_t>(length));
        at_ += static_cast<size_t>(length);
        return text.find('\0') == std::string::npos;
    }
    // The words of a record, as a temporary file the pedal's Load reads.
    std::FILE* Record(int words) {
        if (bytes_.size() - at_ < static_cast<size_t>(words) * 4) return nullptr;
        std::FILE* file = std::tmpfile();
        if (file == nullptr) return nullptr;
        std::fwrite(bytes_.data() + at_, 1, static_cast<size_t>(words) * 4, file);
        std::rewind(file);
        at_ += static_cast<size_t>(words) * 4;
        return file;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

constexpr int kGateWords = 6, kAmpWords = 3, kCabinetWords = 3;
constexpr int32_t kLargestChunk = 1 << 16;

struct Chunk {
    std::FILE* records[3] = {};
    int32_t keys[kChainLength] = {};
    std::string model, impulse;
    ~Chunk() {
        for (std::FILE* f : records)
            if (f) std::fclose(f);
    }
};

enum class ChunkResult { kNone, kRead, kDamaged, kNewer };

// Reads and checks the whole chunk before anything is applied, so a damaged
// one changes nothing.
ChunkResult ReadChunk(std::FILE* file, Chunk& chunk) {
    char tag[4];
    const size_t got = std::fread(tag, 1, 4, file);
    if (got == 0) return ChunkResult::kNone;
    if (got != 4 || std::memcmp(tag, kPresetChunkTag, 4) != 0) return ChunkResult::kDamaged;
    int32_t version = 0, length = 0;
    if (!ReadInt32(file, version) || !ReadInt32(file, length)) return ChunkResult::kDamaged;
    if (version > kPresetChunkVersion) return ChunkResult::kNewer;
    if (version < 1 || length < 0 || length > kLargestChunk) return ChunkResult::kDamaged;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return ChunkResult::kDamaged;
    ChunkReader in(bytes);
    const int words[3] = {kGateWords, kAmpWords, kCabinetWords};
    for (int i = 0; i < 3; ++i) {
        chunk.records[i] = in.Record(words[i]);
        if (chunk.records[i] == nullptr) return ChunkResult::kDamaged;
    }
    bool seen[kChainLength] = {};
    for (int32_t& key : chunk.keys) {
        if (!in.Word(key) || key < 0 || key >= kChainLength || seen[key])
            return ChunkResult::kDamaged;
        seen[key] = true;
    }
    if (!in.Text(chunk.model) || !in.Text(chunk.impulse)) return ChunkResult::kDamaged;
    return ChunkResult::kRead;
}

void PutInDefaultPlaces(EffectChain& chain) {
    int32_t nine[kEffectCount];
    chain.GetNineOrder(nine);
    int32_t keys[kChainLength];
    keys[0] = kKeyNoiseGate;
    for (int32_t i = 0; i < kEffectCount; ++i) keys[i + 1] = nine[i];
    keys[kChainLength - 2] = kKeyAmp;
    keys[kChainLength - 1] = kKeyCabinet;
    chain.SetOrder(keys);
}

void AddLine(std::string& lines, const std::string& line) {
    if (!lines.empty()) lines += "\r";
    lines += line;
}

// The model and IR the chunk names, each loaded unless the pedal plays it
// already; an empty path takes the pedal back to none (the built-in cabinet).
void ApplyMedia(const Chunk& chunk, const NewPedals& p, PresetLoadReport& report) {
    const std::string model = FullPath(chunk.model, gModelsFolder);
    if (model.empty()) {
        p.amp->UnloadModel();
    } else if (model != p.amp->modelPath()) {
        const std::string error = LoadModelFile(*p.amp, model);
        if (!error.empty()) AddLine(report.missing, model);
    }
    const std::string impulse = FullPath(chunk.impulse, gCabinetsFolder);
    if (impulse.empty()) {
        if (!p.cabinet->impulsePath().empty()) p.cabinet->UnloadImpulse();
    } else if (impulse != p.cabinet->impulsePath()) {
        const std::string error = LoadImpulseFile(*p.cabinet, impulse);
        if (!error.empty()) AddLine(report.missing, impulse);
    }
}

}  // namespace

void SetPresetMediaFolders(std::string models, std::string cabinets) {
    gModelsFolder = std::move(models);
    gCabinetsFolder = std::move(cabinets);
}

std::string PresetLoadMessage(const PresetLoadReport& report) {
    std::string text;
    if (!report.missing.empty())
        text =
            "The preset loaded, but these files could not be found or played:\r" + report.missing;
    if (report.chunkNewer) {
        if (!text.empty()) text += "\r\r";
        text +=
            "The preset was saved by a newer Ampliro: the noise gate, amp and cabinet "
            "settings were left as they were.";
    } else if (report.chunkDamaged) {
        if (!text.empty()) text += "\r\r";
        text +=
            "The preset's noise gate, amp and cabinet settings are damaged and were left "
            "as they were.";
    }
    return text;
}

int SavePreset(const char* path, int* error) {
    const EffectChain& chain = TheEffectChain();
    if (!AllPedalsPresent(chain)) {
        if (error) *error = EINVAL;
        return 0;
    }
    AtomicFile target(path);
    std::FILE* file = target.Open();
    if (file != nullptr) {
        for (int32_t key : Pedalboard::kRecordOrder) chain.EffectByKey(key)->Save(file);
        int32_t keys[kEffectCount];
        chain.GetNineOrder(keys);
        for (int32_t key : keys) WriteInt32(file, key);
        const NewPedals added = FindNewPedals(chain);
        if (added.present() && UsesNewPedals(chain, added)) WriteChunk(file, chain, added);
    }
    if (target.Commit()) return 1;
    if (error) *error = target.Error();
    return 0;
}

namespace {

PresetLoadReport gLastReport;
uint32_t gLoadCount = 0;

}  // namespace

const PresetLoadReport& LastPresetLoadReport() {
    return gLastReport;
}

uint32_t PresetLoadCount() {
    return gLoadCount;
}

int LoadPreset(const char* path) {
    PresetLoadReport report;
    return LoadPreset(path, &report);
}

int LoadPreset(const char* path, PresetLoadReport* report) {
    EffectChain& chain = TheEffectChain();
    if (!AllPedalsPresent(chain)) return 0;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 0;
    // The records replace parameters that a pass reads; keep the pedals out
    // of any pass while they do (the Presets screen mutes as well).
    const int32_t muted = MuteInput.exchange(1, std::memory_order_seq_cst);
    WaitForPassToFinish();
    for (int32_t key : Pedalboard::kRecordOrder) chain.EffectByKey(key)->Load(file);
    int32_t keys[kEffectCount];
    const bool ordered = ReadChainOrder(file, keys);
    if (ordered) chain.SetNineOrder(keys);
    const NewPedals added = FindNewPedals(chain);
    Chunk chunk;
    const ChunkResult result = ordered ? ReadChunk(file, chunk) : ChunkResult::kNone;
    std::fclose(file);
    if (added.present()) {
        if (result == ChunkResult::kNone) {
            // A file from before the three: they play no part in its sound.
            added.gate->RestoreDefaults();
            added.amp->RestoreDefaults();
            added.cabinet->RestoreDefaults();
            PutInDefaultPlaces(chain);
        } else if (result == ChunkResult::kRead) {
            added.gate->Load(chunk.records[0]);
            added.amp->Load(chunk.records[1]);
            added.cabinet->Load(chunk.records[2]);
            chain.SetOrder(chunk.keys);
            ApplyMedia(chunk, added, *report);
        }
    }
    report->chunkDamaged = result == ChunkResult::kDamaged;
    report->chunkNewer = result == ChunkResult::kNewer;
    gLastReport = *report;
    ++gLoadCount;
    InitEffects();
    MuteInput.store(muted, std::memory_order_seq_cst);
    return 1;
}

}  // namespace ampliro
