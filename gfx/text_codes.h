// Walking display strings: "#RRGGBB" colour codes and "\r" line breaks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

inline constexpr char kColourCode = '#';
inline constexpr char kLineBreak = '\r';
inline constexpr size_t kColourCodeLength = 7;

// Index just past the colour code that starts at text[i]: seven characters
// on, or the end of the text when the code is cut short.
inline size_t SkipColourCode(const char* text, size_t i) {
    size_t j = i + 1;
    while (j < i + kColourCodeLength && text[j] != '\0') ++j;
    return j;
}

// The colour of the complete code "#RRGGBB" at text; each pair reads as an
// unsigned hexadecimal number that a non-digit ends early ("G0" reads 0).
uint16_t ParseColourCode(const char* text);

inline uint8_t Code(char c) {
    return static_cast<uint8_t>(c);
}

}  // namespace ampliro
