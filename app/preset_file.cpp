#include "app/preset_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

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

}  // namespace

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
    }
    if (target.Commit()) return 1;
    if (error) *error = target.Error();
    return 0;
}

int LoadPreset(const char* path) {
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
    if (ReadChainOrder(file, keys)) chain.SetNineOrder(keys);
    std::fclose(file);
    InitEffects();
    MuteInput.store(muted, std::memory_order_seq_cst);
    return 1;
}

}  // namespace ampliro
