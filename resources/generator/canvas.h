// A floating-point RGB raster with anti-aliased painting by signed distance.
//
// Every shape is described by a signed distance function d(x, y) in pixels
// (negative inside). A pixel whose centre lies at distance d is covered by
// clamp(0.5 - d / soft, 0, 1): soft = 1 gives a one-pixel anti-aliased edge,
// larger values give the blurred edges used for shadows and glows.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ampliro::art {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

constexpr Rgb Hex(uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
            static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f};
}
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb Scale(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb Lighten(Rgb a, float t) {
    return Mix(a, Rgb{1, 1, 1}, t);
}
inline Rgb Darken(Rgb a, float t) {
    return Mix(a, Rgb{0, 0, 0}, t);
}

inline float Clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}
inline float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Integer hash noise: the same inputs always give the same value in [0, 1).
float Hash(int x, int y, uint32_t seed);
// Smooth value noise with features of about `cell` pixels.
float ValueNoise(float x, float y, float cell, uint32_t seed);

// Signed distance functions.
inline float CircleSdf(float x, float y, float cx, float cy, float r) {
    return std::hypot(x - cx, y - cy) - r;
}
inline float RoundRectSdf(float x, float y, float x0, float y0, float x1, float y1, float r) {
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float hx = (x1 - x0) * 0.5f - r, hy = (y1 - y0) * 0.5f - r;
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}
inline float SegmentSdf(float x, float y, float ax, float ay, float bx, float by, float half) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t) - half;
}
// Convex polygon given clockwise in screen coordinates (y down).
float ConvexSdf(float x, float y, const float* points, int count);

struct Box {
    int x0, y0, x1, y1;  // x1, y1 exclusive
};

class Canvas {
  public:
    Canvas() = default;
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Rgb& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    void Blend(int x, int y, Rgb colour, float alpha);
    void Fill(Rgb colour);

    // Paints shader(x, y) over the pixels of box, weighted by the shape's
    // coverage and alpha.
    template <class Sdf, class Shader>
    void Paint(Box box, Sdf sdf, Shader shader, float soft = 1.0f, float alpha = 1.0f) {
        box.x0 = std::max(box.x0, 0);
        box.y0 = std::max(box.y0, 0);
        box.x1 = std::min(box.x1, width_);
        box.y1 = std::min(box.y1, height_);
        for (int y = box.y0; y < box.y1; ++y) {
            for (int x = box.x0; x < box.x1; ++x) {
                float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                float cover = Clamp01(0.5f - sdf(px, py) / soft) * alpha;
                if (cover > 0) Blend(x, y, shader(px, py), cover);
            }
        }
    }
    template <class Sdf>
    void PaintSolid(Box box, Sdf sdf, Rgb colour, float soft = 1.0f, float alpha = 1.0f) {
        Paint(
            box, sdf, [colour](float, float) { return colour; }, soft, alpha);
    }

    void Draw(const Canvas& source, int x, int y);
    Canvas Crop(int x, int y, int width, int height) const;

    // 8-bit RGB triples, top row first, rounded and clamped.
    std::vector<uint8_t> Rgb8() const;

  private:
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

// Circle and rounded-rectangle boxes with a margin for soft edges.
inline Box CircleBox(float cx, float cy, float r, float margin = 2) {
    return {static_cast<int>(std::floor(cx - r - margin)),
            static_cast<int>(std::floor(cy - r - margin)),
            static_cast<int>(std::ceil(cx + r + margin)) + 1,
            static_cast<int>(std::ceil(cy + r + margin)) + 1};
}
inline Box RectBox(float x0, float y0, float x1, float y1, float margin = 2) {
    return {static_cast<int>(std::floor(x0 - margin)), static_cast<int>(std::floor(y0 - margin)),
            static_cast<int>(std::ceil(x1 + margin)) + 1,
            static_cast<int>(std::ceil(y1 + margin)) + 1};
}

}  // namespace ampliro::art
