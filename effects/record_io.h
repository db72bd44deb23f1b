// Preset records: raw 32-bit little-endian words (or IEEE singles), no tags.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace ampliro {

// Reads one word; a short file leaves value unchanged and returns false.
inline bool ReadInt32(std::FILE* file, int32_t& value) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, file) != 4) return false;
    value =
        static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
    return true;
}

inline bool WriteInt32(std::FILE* file, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return std::fwrite(b, 1, 4, file) == 4;
}

inline bool ReadFloat(std::FILE* file, float& value) {
    int32_t bits;
    if (!ReadInt32(file, bits)) return false;
    std::memcpy(&value, &bits, 4);
    return true;
}

inline bool WriteFloat(std::FILE* file, float value) {
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    return WriteInt32(file, bits);
}

}  // namespace ampliro
