// Builds the program's 8 x 16 code page 437 glyph table from PC screen fonts
// (PSF version 1 with a Unicode table, gzip-compressed or not).
//
//   make_system_font <output.cpp> <font.psf.gz> [<fallback.psf.gz> ...]
//
// Each code page 437 character takes its glyph from the first font that maps
// its Unicode code point (or an accepted look-alike); characters that no font
// has stay blank, and the tool says which.
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 16;
using Glyph = std::array<uint8_t, kRows>;

// Code page 437 as the VGA text mode shows it, including the pictures of the
// control codes 1-31 and 127.
constexpr uint16_t kCodePage437[256] = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9, 0x2642,
    0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, 0x0020, 0x0021, 0x0022, 0x0023,
    0x0024, 0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F, 0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F, 0x0050, 0x0051, 0x0052, 0x0053,
    0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B,
    0x006C, 0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302, 0x00C7, 0x00FC, 0x00E9, 0x00E2,
    0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2,
    0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566,
    0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0,
    0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A,
    0x207F, 0x00B2, 0x25A0, 0x00A0,

};

// Fonts often hold the triangles of 16 and 17 under the other arrow shapes.
uint16_t LookAlike(uint16_t codePoint) {
    switch (codePoint) {
        case 0x25BA:
            return 0x25B6;
        case 0x25C4:
            return 0x25C0;
        default:
            return 0;
    }
}

struct Font {
    std::vector<Glyph> glyphs;
    std::map<uint16_t, size_t> byCodePoint;
};

bool ReadAll(const char* path, std::vector<uint8_t>& bytes) {
    gzFile in = gzopen(path, "rb");
    if (!in) return false;
    uint8_t block[65536];
    int n = 0;
    while ((n = gzread(in, block, sizeof block)) > 0) bytes.insert(bytes.end(), block, block + n);
    const bool ok = n == 0;
    gzclose(in);
    return ok;
}

// PSF 1: magic 36 04, mode (bit 0: 512 glyphs, bit 1: Unicode table), bytes
// per glyph; then the glyphs; then per glyph 16-bit code points ending in FFFF
// (FFFE opens sequences, which a single cell cannot show).
bool ParsePsf1(const std::vector<uint8_t>& d, Font& font, std::string& error) {
    if (d.size() < 4 || d[0] != 0x36 || d[1] != 0x04) return error = "not a PSF 1 font", false;
    const size_t count = (d[2] & 1) ? 512 : 256;
    const size_t size = d[3];
    if (size != kRows) return error = "glyphs are not 16 rows high", false;
    if (!(d[2] & 2)) return error = "no Unicode table", false;
    size_t p = 4;
    if (d.size() < p + count * size) return error = "glyphs cut short", false;
    for (size_t g = 0; g < count; ++g, p += size) {
        Glyph glyph;
        for (int r = 0; r < kRows; ++r) glyph[r] = d[p + r];
        font.glyphs.push_back(glyph);
    }
    for (size_t g = 0; g < count; ++g) {
        bool sequence = false;
        for (;;) {
            if (p + 2 > d.size()) return error = "Unicode table cut short", false;
            const uint16_t u = static_cast<uint16_t>(d[p] | d[p + 1] << 8);
            p += 2;
            if (u == 0xFFFF) break;
            if (u == 0xFFFE) sequence = true;
            if (!sequence) font.byCodePoint.emplace(u, g);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output.cpp> <font.psf.gz> [<fallback> ...]\n", argv[0]);
        return 2;
    }
    std::vector<Font> fonts;
    for (int i = 2; i < argc; ++i) {
        std::vector<uint8_t> bytes;
        std::string error = "cannot read";
        Font font;
        if (!ReadAll(argv[i], bytes) || !ParsePsf1(bytes, font, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
            return 1;
        }
        fonts.push_back(std::move(font));
    }

    std::array<Glyph, 256> table{};
    for (int code = 1; code < 256; ++code) {
        bool found = false;
        for (uint16_t u : {kCodePage437[code], LookAlike(kCodePage437[code])}) {
            for (const Font& font : fonts) {
                auto it = u ? font.byCodePoint.find(u) : font.byCodePoint.end();
                if (it == font.byCodePoint.end()) continue;
                table[code] = font.glyphs[it->second];
                found = true;
                break;
            }
            if (found) break;
        }
        if (!found)
            std::fprintf(stderr, "no glyph for code %d (U+%04X)\n", code, kCodePage437[code]);
    }

    FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out,
                 "// Generated by make_system_font; do not edit.\n"
                 "#include <cstdint>\n\nnamespace ampliro {\n\n"
                 "extern const uint8_t kSystemFontGlyphs[256][16];\n"
                 "const uint8_t kSystemFontGlyphs[256][16] = {\n");
    for (const Glyph& glyph : table) {
        std::fprintf(out, "    {");
        for (int r = 0; r < kRows; ++r) std::fprintf(out, "%s0x%02X", r ? ", " : "", glyph[r]);
        std::fprintf(out, "},\n");
    }
    std::fprintf(out, "};\n\n}  // namespace ampliro\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
