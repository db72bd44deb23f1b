#include "audio/effect_chain.h"

namespace ampliro {

EffectChain::EffectChain() : order_(Pack(kDefaultOrder)) {}

void EffectChain::SetEffects(std::span<Effect* const> byKey) {
    for (int32_t k = 0; k < kChainLength; ++k) {
        Effect* effect = static_cast<size_t>(k) < byKey.size() ? byKey[k] : nullptr;
        byKey_[k].store(effect, std::memory_order_release);
    }
}

Effect* EffectChain::EffectByKey(int32_t key) const {
    if (key < 0 || key >= kChainLength) return nullptr;
    return byKey_[key].load(std::memory_order_acquire);
}

Effect* EffectChain::EffectAt(int32_t slot) const {
    return EffectByKey(KeyAt(slot));
}

int32_t EffectChain::KeyAt(int32_t slot) const {
    if (slot < 0 || slot >= kChainLength) return -1;
    return KeyOf(order_.load(std::memory_order_relaxed), slot);
}

void EffectChain::GetOrder(int32_t (&keys)[kChainLength]) const {
    const uint64_t packed = order_.load(std::memory_order_relaxed);
    for (int32_t s = 0; s < kChainLength; ++s) keys[s] = KeyOf(packed, s);
}

bool EffectChain::SetOrder(const int32_t (&keys)[kChainLength]) {
    bool seen[kChainLength] = {};
    for (int32_t s = 0; s < kChainLength; ++s) {
        const int32_t key = keys[s];
        if (key < 0 || key >= kChainLength || seen[key]) return false;
        seen[key] = true;
    }
    order_.store(Pack(keys), std::memory_order_relaxed);
    return true;
}

void EffectChain::GetNineOrder(int32_t (&keys)[kEffectCount]) const {
    int32_t all[kChainLength];
    GetOrder(all);
    int32_t n = 0;
    for (int32_t key : all) {
        if (key < kEffectCount) keys[n++] = key;
    }
}

bool EffectChain::SetNineOrder(const int32_t (&keys)[kEffectCount]) {
    bool seen[kEffectCount] = {};
    for (int32_t key : keys) {
        if (key < 0 || key >= kEffectCount || seen[key]) return false;
        seen[key] = true;
    }
    int32_t all[kChainLength];
    GetOrder(all);
    int32_t n = 0;
    for (int32_t& key : all) {
        if (key < kEffectCount) key = keys[n++];
    }
    order_.store(Pack(all), std::memory_order_relaxed);
    return true;
}

void EffectChain::MoveUp(int32_t slot) {
    if (slot > 0 && slot < kChainLength) Swap(slot - 1, slot);
}

void EffectChain::MoveDown(int32_t slot) {
    if (slot >= 0 && slot < kChainLength - 1) Swap(slot, slot + 1);
}

void EffectChain::RestoreDefault() {
    order_.store(Pack(kDefaultOrder), std::memory_order_relaxed);
}

void EffectChain::ProcessBlock(int16_t* samples, int32_t count) const {
    const uint64_t packed = order_.load(std::memory_order_relaxed);
    for (int32_t s = 0; s < kChainLength; ++s) {
        Effect* effect = byKey_[KeyOf(packed, s)].load(std::memory_order_acquire);
        if (effect != nullptr) effect->ProcessBlock(samples, count);
    }
}

uint64_t EffectChain::Pack(const int32_t (&keys)[kChainLength]) {
    uint64_t packed = 0;
    for (int32_t s = 0; s < kChainLength; ++s) {
        packed |= static_cast<uint64_t>(keys[s] & 0xF) << (4 * s);
    }
    return packed;
}

void EffectChain::Swap(int32_t a, int32_t b) {
    int32_t keys[kChainLength];
    GetOrder(keys);
    const int32_t key = keys[a];
    keys[a] = keys[b];
    keys[b] = key;
    order_.store(Pack(keys), std::memory_order_relaxed);
}

EffectChain& TheEffectChain() {
    static EffectChain chain;
    return chain;
}

void SetChainEffects(std::span<Effect* const> byKey) {
    TheEffectChain().SetEffects(byKey);
}
void MoveEffectUp(int32_t slot) {
    TheEffectChain().MoveUp(slot);
}
void MoveEffectDown(int32_t slot) {
    TheEffectChain().MoveDown(slot);
}
void RestoreDefaultOrder() {
    TheEffectChain().RestoreDefault();
}
void GetChainOrder(int32_t (&keys)[kChainLength]) {
    TheEffectChain().GetOrder(keys);
}
bool SetChainOrder(const int32_t (&keys)[kChainLength]) {
    return TheEffectChain().SetOrder(keys);
}

}  // namespace ampliro
