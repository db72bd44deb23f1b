// PedalParam: one stored parameter of a pedal, declared once: how it is read
// and set, the knob that edits it (if any) and its default. A pedal lists its
// parameters in the order of its preset record; the panel, the control
// messages, the record and the defaults all follow from that one list.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <type_traits>

#include "effects/record_io.h"
#include "effects/units/dsp/fixed_point.h"

namespace ampliro {

// Which of the four knob strips a knob uses.
enum KnobStrip : int {
    kBlackSilverCapKnob = 0,
    kAluminiumKnob = 1,
    kCreamDomeKnob = 2,
    kGoldCapKnob = 3
};

// A parameter with no knob of its own (the level, which the slider edits,
// and the on/off state, which the footswitch toggles).
inline constexpr int32_t kNoKnob = 0;

template <typename Pedal>
struct PedalParam {
    int32_t (*get)(const Pedal&) = nullptr;
    // Clamps to the knob's range and recomputes what depends on the value.
    void (*set)(Pedal&, int32_t) = nullptr;
    // Instead of get and set, for a parameter that the record holds as an
    // IEEE single; its knob shows the whole part.
    float (*getReal)(const Pedal&) = nullptr;
    void (*setReal)(Pedal&, float) = nullptr;
    int32_t defaultValue = 0;
    int32_t knobId = kNoKnob;
    int32_t minimum = 0;
    int32_t maximum = 64;
    int32_t cx = 0, cy = 0;  // the knob's centre on the panel
    KnobStrip strip = kGoldCapKnob;
    // The strip whose width gives the knob's side; -1 for its own strip.
    int sideStrip = -1;
    // False for a knob that edits stored parameters through others (it has
    // no word of its own in the record).
    bool stored = true;

    // The value as the record's word holds it.
    int32_t Word(const Pedal& pedal) const {
        return getReal ? std::bit_cast<int32_t>(getReal(pedal)) : get(pedal);
    }
    void SetWord(Pedal& pedal, int32_t word) const {
        if (setReal) {
            setReal(pedal, std::bit_cast<float>(word));
        } else {
            set(pedal, word);
        }
    }
    // The value as the knob shows and sets it.
    int32_t KnobValue(const Pedal& pedal) const {
        return getReal ? static_cast<int32_t>(getReal(pedal)) : get(pedal);
    }
    void SetKnobValue(Pedal& pedal, int32_t value) const {
        if (setReal) {
            setReal(pedal, static_cast<float>(value));
        } else {
            set(pedal, value);
        }
    }
};

// Where a knob sits: its control id, its centre on the panel and its strip;
// sideStrip is the strip whose width gives its side, -1 for its own.
struct KnobPlace {
    int32_t id = kNoKnob;
    int32_t cx = 0, cy = 0;
    KnobStrip strip = kGoldCapKnob;
    int sideStrip = -1;
};

// The pedal a pointer to one of its members belongs to.
template <typename Member>
struct OwnerOf;
template <typename Pedal, typename T>
struct OwnerOf<T Pedal::*> {
    using Type = Pedal;
};

// A pedal's one-value setter (a member function) as a row's `set`.
template <auto Setter, typename Pedal = typename OwnerOf<decltype(Setter)>::Type>
void CallSetter(Pedal& pedal, int32_t value) {
    (pedal.*Setter)(value);
}

// The usual knob row: the knob shows the pedal's Field as it stands and sets
// it through `set`, which clamps to minimum..maximum.
template <auto Field, typename Pedal = typename OwnerOf<decltype(Field)>::Type>
constexpr PedalParam<Pedal> KnobParam(KnobPlace knob, int32_t defaultValue,
                                      std::type_identity_t<void (*)(Pedal&, int32_t)> set,
                                      int32_t minimum = 0, int32_t maximum = 64) {
    return {.get = [](const Pedal& p) { return static_cast<int32_t>(p.*Field); },
            .set = set,
            .defaultValue = defaultValue,
            .knobId = knob.id,
            .minimum = minimum,
            .maximum = maximum,
            .cx = knob.cx,
            .cy = knob.cy,
            .strip = knob.strip,
            .sideStrip = knob.sideStrip};
}

// The same for a float Field, which the record holds as an IEEE single.
template <auto Field, typename Pedal = typename OwnerOf<decltype(Field)>::Type>
constexpr PedalParam<Pedal> RealKnobParam(KnobPlace knob, int32_t defaultValue,
                                          std::type_identity_t<void (*)(Pedal&, float)> setReal,
                                          int32_t minimum = 0, int32_t maximum = 64) {
    PedalParam<Pedal> row = KnobParam<Field, Pedal>(knob, defaultValue, nullptr, minimum, maximum);
    row.get = nullptr;
    row.getReal = [](const Pedal& p) { return p.*Field; };
    row.setReal = setReal;
    return row;
}

// The rows most records share: the input level (Q6, 64 = unity), the wet
// share on its knob, and the on/off word (any non-zero word is on).
template <typename Pedal>
constexpr PedalParam<Pedal> LevelParam(int32_t defaultValue = 48) {
    return {.get = [](const Pedal& p) -> int32_t { return p.level; },
            .set = [](Pedal& p, int32_t v) { p.level = dsp::ClampInt(v, 0, 64); },
            .defaultValue = defaultValue};
}

template <typename Pedal>
constexpr PedalParam<Pedal> MixParam(int32_t knobId, int32_t cx, int32_t cy, KnobStrip strip) {
    return {.get = [](const Pedal& p) -> int32_t { return p.mix; },
            .set = [](Pedal& p, int32_t v) { p.mix = dsp::ClampInt(v, 0, 64); },
            .defaultValue = 32,
            .knobId = knobId,
            .cx = cx,
            .cy = cy,
            .strip = strip};
}

template <typename Pedal>
constexpr PedalParam<Pedal> EnabledParam() {
    return {.get = [](const Pedal& p) -> int32_t { return p.enabled; },
            .set = [](Pedal& p, int32_t v) { p.enabled = v != 0; }};
}

// The preset record: one 32-bit word per parameter, in table order, set in
// that order once the whole record is read. A short file leaves the unread
// parameters as they are; every word read goes through its setter, so a
// damaged value is clamped like a knob's.
inline constexpr size_t kMaxRecordWords = 16;

template <typename Pedal>
void LoadParams(Pedal& pedal, std::span<const PedalParam<Pedal>> params, std::FILE* file) {
    int32_t words[kMaxRecordWords];
    bool read[kMaxRecordWords] = {};
    const size_t n = params.size() < kMaxRecordWords ? params.size() : kMaxRecordWords;
    for (size_t i = 0; i < n; ++i) {
        if (params[i].stored) read[i] = ReadInt32(file, words[i]);
    }
    for (size_t i = 0; i < n; ++i) {
        if (read[i]) params[i].SetWord(pedal, words[i]);
    }
}

template <typename Pedal>
void SaveParams(const Pedal& pedal, std::span<const PedalParam<Pedal>> params, std::FILE* file) {
    for (const PedalParam<Pedal>& p : params) {
        if (p.stored) WriteInt32(file, p.Word(pedal));
    }
}

template <typename Pedal>
void SetDefaults(Pedal& pedal, std::span<const PedalParam<Pedal>> params) {
    for (const PedalParam<Pedal>& p : params) p.SetKnobValue(pedal, p.defaultValue);
}

// Applies a knob's value to the parameter it edits; false for an id that is
// no knob of this pedal.
template <typename Pedal>
bool SetFromKnob(Pedal& pedal, std::span<const PedalParam<Pedal>> params, int32_t id,
                 int32_t value) {
    for (const PedalParam<Pedal>& p : params) {
        if (p.knobId != kNoKnob && p.knobId == id) {
            p.SetKnobValue(pedal, value);
            return true;
        }
    }
    return false;
}

}  // namespace ampliro
