#include "audio/note_name.h"

#include <cmath>

namespace ampliro {
namespace {

constexpr const char* kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                    "F#", "G",  "G#", "A",  "A#", "B"};
// A4 is note 69 counted in semitones from C-1.
constexpr int32_t kA4 = 69;

}  // namespace

NotePosition NoteOf(double hz, double reference) {
    const double semitones = kA4 + 12.0 * std::log2(hz / reference);
    const double nearest = std::round(semitones);
    const int32_t index = static_cast<int32_t>(nearest);
    NotePosition position;
    position.note = ((index % 12) + 12) % 12;
    position.octave = (index - position.note) / 12 - 1;
    position.cents = (semitones - nearest) * 100.0;
    return position;
}

const char* NoteName(int32_t note) {
    return note >= 0 && note < 12 ? kNames[note] : "";
}

double NoteFrequency(int32_t note, int32_t octave, double reference) {
    const int32_t index = (octave + 1) * 12 + note;
    return reference * std::exp2((index - kA4) / 12.0);
}

}  // namespace ampliro
