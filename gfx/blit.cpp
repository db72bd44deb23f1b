// The blitter: rectangle copies through the five blit modes, the stretched
// copy and the mask-weighted knob blit.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "gfx/pixel_blend.h"
#include "gfx/surface.h"

namespace ampliro {

namespace {

bool Drawable(const Surface* s) {
    return s && s->pixels && s->width > 0 && s->height > 0;
}

// One axis of a surface that a run of pixels starts at.
struct Axis {
    int32_t* position;
    int32_t size;
};

// Shortens a run of `length` pixels so that it lies inside every surface it
// touches, keeping the runs aligned: cutting k pixels off the front moves all
// start positions on by k. For the target alone this is the classic rule
// (width := size - x past the far edge; width += x, source x -= x, x := 0
// before the near edge). False when nothing is left.
bool ClipRun(int32_t& length, std::initializer_list<Axis> axes) {
    int64_t run = length;
    int64_t cut = 0;
    for (const Axis& a : axes) cut = std::max<int64_t>(cut, -int64_t{*a.position});
    run -= cut;
    for (const Axis& a : axes) {
        const int64_t start = int64_t{*a.position} + cut;
        run = std::min<int64_t>(run, int64_t{a.size} - start);
    }
    if (run <= 0) return false;
    for (const Axis& a : axes) *a.position = static_cast<int32_t>(*a.position + cut);
    length = static_cast<int32_t>(run);
    return true;
}

// Per-pixel rules of the modes other than the plain row copy.
struct PixelRule {
    int mode;
    uint32_t alpha;      // weight of the old pixel (modes 1, 3)
    uint16_t key;        // colour key (2, 3) or tint (8)
    uint32_t tint;       // spread tint (8)
    const uint8_t* row;  // BlendTable column 31 - transparency (8)

    PixelRule(int m, int32_t a, uint16_t k)
        : mode(m), alpha(ClampAlpha(a)), key(k), tint(Spread(k)), row(nullptr) {
        // Mode 8: alpha is a transparency 0..31 that scales the mask coverage.
        if (mode == kBlitTint) row = &BlendTable[0][0] + (31 - ClampAlpha(a, 31));
    }

    void Apply(uint16_t& pixel, uint16_t source) const {
        switch (mode) {
            case kBlitCopy:
                pixel = source;
                break;
            case kBlitBlend:
                pixel = BlendPixel(source, pixel, alpha);
                break;
            case kBlitKey:
                if (source != key) pixel = source;
                break;
            case kBlitKeyBlend:
                if (source != key) pixel = BlendPixel(source, pixel, alpha);
                break;
            case kBlitTint:
                if (source != 0) {
                    const uint32_t w = row[(source & 0x1F) * 32];
                    pixel = FoldSpread(Spread(pixel) * (32 - w) + tint * w);
                }
                break;
            default:
                break;
        }
    }
};

bool KnownMode(int mode) {
    return mode == kBlitCopy || mode == kBlitBlend || mode == kBlitKey || mode == kBlitKeyBlend ||
           mode == kBlitTint;
}

}  // namespace

void Blit(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height, const Surface* source,
          int32_t sourceX, int32_t sourceY, int32_t alpha, uint16_t key, int mode) {
    if (!Drawable(s) || !Drawable(source) || !KnownMode(mode)) return;
    if (!ClipRun(width, {{&x, s->width}, {&sourceX, source->width}})) return;
    if (!ClipRun(height, {{&y, s->height}, {&sourceY, source->height}})) return;
    // A blit within one surface that moves rows down walks upwards, so no
    // row is overwritten before it has been read.
    const bool upwards = source->pixels == s->pixels && sourceY < y;
    const PixelRule rule(mode, alpha, key);
    for (int32_t i = 0; i < height; ++i) {
        const int32_t r = upwards ? height - 1 - i : i;
        uint16_t* to = s->Row(y + r) + x;
        const uint16_t* from = source->Row(sourceY + r) + sourceX;
        if (mode == kBlitCopy) {
            std::memmove(to, from, static_cast<size_t>(width) * 2);
        } else {
            for (int32_t c = 0; c < width; ++c) rule.Apply(to[c], from[c]);
        }
    }
}

void StretchBlit(Surface* s, const Surface* source, int32_t x, int32_t y, int32_t width,
                 int32_t height, int32_t alpha, uint16_t key, int mode) {
    if (!Drawable(s) || !Drawable(source) || !KnownMode(mode) || width <= 0 || height <= 0) {
        return;
    }
    // 16.16 steps over the whole target rectangle; a clipped part keeps the
    // mapping of the unclipped one.
    const uint64_t stepX =
        (uint64_t{static_cast<uint32_t>(source->width)} << 16) / static_cast<uint32_t>(width);
    const uint64_t stepY =
        (uint64_t{static_cast<uint32_t>(source->height)} << 16) / static_cast<uint32_t>(height);
    const int32_t x0 = x;
    const int32_t y0 = y;
    if (!ClipRun(width, {{&x, s->width}})) return;
    if (!ClipRun(height, {{&y, s->height}})) return;
    const auto skipX = static_cast<uint64_t>(int64_t{x} - x0);
    const auto skipY = static_cast<uint64_t>(int64_t{y} - y0);
    const PixelRule rule(mode, alpha, key);
    for (int32_t r = 0; r < height; ++r) {
        const uint16_t* from = source->Row(static_cast<int32_t>(((skipY + r) * stepY) >> 16));
        uint16_t* to = s->Row(y + r) + x;
        uint64_t column = skipX * stepX;
        for (int32_t c = 0; c < width; ++c, column += stepX) rule.Apply(to[c], from[column >> 16]);
    }
}

void MaskBlit(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height,
              const Surface* source, int32_t sourceX, int32_t sourceY, int32_t maskX, int32_t maskY,
              const Surface* mask) {
    if (!Drawable(s) || !Drawable(source) || !Drawable(mask)) return;
    if (!ClipRun(width, {{&x, s->width}, {&sourceX, source->width}, {&maskX, mask->width}})) {
        return;
    }
    if (!ClipRun(height, {{&y, s->height}, {&sourceY, source->height}, {&maskY, mask->height}})) {
        return;
    }
    for (int32_t r = 0; r < height; ++r) {
        uint16_t* to = s->Row(y + r) + x;
        const uint16_t* from = source->Row(sourceY + r) + sourceX;
        const uint16_t* weights = mask->Row(maskY + r) + maskX;
        for (int32_t c = 0; c < width; ++c) {
            const uint16_t m = weights[c];
            if (m == 0) continue;
            // Weights w + 1 and 31 - w add up to 32: full coverage (31) is the
            // source pixel exactly.
            const uint32_t w = m & 0x1F;
            to[c] = FoldSpread(Spread(from[c]) * (w + 1) + Spread(to[c]) * (31 - w));
        }
    }
}

}  // namespace ampliro
