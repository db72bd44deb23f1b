// Notes of the equal-tempered scale: the nearest note to a frequency, its
// octave (scientific: A4 is the A above middle C) and the deviation in cents.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int32_t kReferenceLowest = 430;
inline constexpr int32_t kReferenceHighest = 450;
inline constexpr int32_t kReferenceStandard = 440;

struct NotePosition {
    int32_t note = 0;    // 0 = C .. 11 = B
    int32_t octave = 0;  // C4 is middle C
    double cents = 0.0;  // -50..+50 from the note
};

// reference: the frequency of A4 in Hz.
NotePosition NoteOf(double hz, double reference);
// "C", "C#", "D", ... "B".
const char* NoteName(int32_t note);
// The frequency of a note at the reference.
double NoteFrequency(int32_t note, int32_t octave, double reference);

}  // namespace ampliro
