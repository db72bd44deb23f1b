#include "gfx/text_codes.h"

#include "gfx/surface.h"

namespace ampliro {

uint16_t ParseColourCode(const char* text) {
    auto pair = [](const char* p) {
        uint32_t value = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = p[k];
            uint32_t digit;
            if (c >= '0' && c <= '9') {
                digit = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<uint32_t>(c - 'A' + 10);
            } else {
                break;
            }
            value = value * 16 + digit;
        }
        return value;
    };
    return Rgb565(pair(text + 1), pair(text + 3), pair(text + 5));
}

}  // namespace ampliro
