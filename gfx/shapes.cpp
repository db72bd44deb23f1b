// Fills, gradients and lines.
#include <algorithm>
#include <cstdlib>

#include "gfx/pixel_blend.h"
#include "gfx/surface.h"

namespace ampliro {

namespace {

bool Drawable(const Surface* s) {
    return s && s->pixels && s->width > 0 && s->height > 0;
}

int32_t ClampTo(int64_t v, int32_t last) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, last));
}

}  // namespace

void FillRect(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom, uint16_t colour,
              int32_t alpha) {
    if (!Drawable(s)) return;
    left = ClampTo(left, s->width - 1);
    right = ClampTo(right, s->width - 1);
    top = ClampTo(top, s->height - 1);
    bottom = ClampTo(bottom, s->height - 1);
    if (right < left || bottom < top) return;
    const uint32_t a = ClampAlpha(alpha);
    const int32_t count = right - left + 1;
    if (a == 0) {
        for (int32_t y = top; y <= bottom; ++y) std::fill_n(s->Row(y) + left, count, colour);
        return;
    }
    // The new colour's share is the same for every pixel: spread and weigh it once.
    const uint32_t weighted = Spread(colour) * (32 - a);
    for (int32_t y = top; y <= bottom; ++y) {
        uint16_t* p = s->Row(y) + left;
        for (int32_t i = 0; i < count; ++i) p[i] = FoldSpread(weighted + Spread(p[i]) * a);
    }
}

void GradientFill(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colourA,
                  uint16_t colourB, int vertical) {
    if (!Drawable(s) || width <= 0 || height <= 0) return;
    const uint32_t a = Spread(colourA);
    const uint32_t b = Spread(colourB);
    // Step i of n gets t = ((n - i - 1) * 32) / n: nearly A first, exactly B last.
    auto shade = [&](int32_t i, int32_t n) {
        const auto t = static_cast<uint32_t>((static_cast<int64_t>(n - i - 1) * 32) / n);
        return FoldSpread(a * t + b * (32 - t));
    };
    // The rectangle is drawn only where it overlaps the surface; the shading
    // stays that of the whole rectangle.
    const int32_t x0 = std::max(x, 0);
    const int32_t y0 = std::max(y, 0);
    const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, s->width));
    const int32_t y1 = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, s->height));
    if (x0 >= x1 || y0 >= y1) return;
    if (vertical) {
        for (int32_t row = y0; row < y1; ++row) {
            std::fill_n(s->Row(row) + x0, x1 - x0, shade(row - y, height));
        }
    } else {
        uint16_t* first = s->Row(y0);
        for (int32_t col = x0; col < x1; ++col) first[col] = shade(col - x, width);
        for (int32_t row = y0 + 1; row < y1; ++row) {
            std::copy(first + x0, first + x1, s->Row(row) + x0);
        }
    }
}

void HLine(Surface* s, int32_t x, int32_t y, int32_t length, uint16_t colour) {
    if (!Drawable(s)) return;
    const int32_t start = ClampTo(x, s->width - 1);
    const int32_t end = ClampTo(int64_t{x} + length, s->width - 1);
    if (end < start) return;
    std::fill_n(s->Row(ClampTo(y, s->height - 1)) + start, end - start + 1, colour);
}

void VLine(Surface* s, int32_t x, int32_t y, int32_t length, uint16_t colour) {
    if (!Drawable(s)) return;
    const int32_t start = ClampTo(y, s->height - 1);
    const int32_t end = ClampTo(int64_t{y} + length, s->height - 1);
    if (end < start) return;
    const int32_t column = ClampTo(x, s->width - 1);
    for (int32_t row = start; row <= end; ++row) s->Row(row)[column] = colour;
}

void FrameRect(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom,
               uint16_t colour) {
    HLine(s, left, top, right - left, colour);
    HLine(s, left, bottom, right - left, colour);
    VLine(s, left, top, bottom - top, colour);
    VLine(s, right, top, bottom - top, colour);
}

void Line(Surface* s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour) {
    if (!Drawable(s)) return;
    // The line runs downwards from its upper end point.
    if (y1 < y0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return;
    // 16.16 fixed point; the steps are at most one pixel, so every point
    // within the surface is visited once.
    const int64_t stepX = (dx * 65536) / n;
    const int64_t stepY = (dy * 65536) / n;
    int64_t fx = int64_t{x0} * 65536;
    int64_t fy = int64_t{y0} * 65536;
    for (int64_t i = 0; i <= n; ++i, fx += stepX, fy += stepY) {
        const int64_t px = fx >> 16;
        const int64_t py = fy >> 16;
        if (px >= 0 && py >= 0 && px < s->width && py < s->height) {
            s->Row(static_cast<int32_t>(py))[px] = colour;
        }
    }
}

void Polyline(Surface* s, const int32_t* points, int32_t count, uint16_t colour) {
    if (!points) return;
    for (int32_t i = 0; i + 1 < count; ++i) {
        Line(s, points[2 * i], points[2 * i + 1], points[2 * i + 2], points[2 * i + 3], colour);
    }
}

}  // namespace ampliro
