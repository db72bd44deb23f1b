#include "resources/generator/canvas.h"

namespace ampliro::art {

float Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

float ValueNoise(float x, float y, float cell, uint32_t seed) {
    float fx = x / cell, fy = y / cell;
    int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    float tx = fx - static_cast<float>(ix), ty = fy - static_cast<float>(iy);
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float ConvexSdf(float x, float y, const float* points, int count) {
    // The largest signed distance to the edge lines: exact inside and along
    // the edges, a slight underestimate near the corners, which is all that
    // anti-aliasing needs.
    float d = -1e9f;
    for (int i = 0; i < count; ++i) {
        float ax = points[2 * i], ay = points[2 * i + 1];
        float bx = points[2 * ((i + 1) % count)], by = points[2 * ((i + 1) % count) + 1];
        float ex = bx - ax, ey = by - ay;
        float len = std::hypot(ex, ey);
        if (len <= 0) continue;
        // Outward normal of a clockwise edge in y-down coordinates.
        float nx = ey / len, ny = -ex / len;
        d = std::max(d, (x - ax) * nx + (y - ay) * ny);
    }
    return d;
}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgb colour, float alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    Rgb& p = At(x, y);
    p = Mix(p, colour, Clamp01(alpha));
}

void Canvas::Fill(Rgb colour) {
    std::fill(pixels_.begin(), pixels_.end(), colour);
}

void Canvas::Draw(const Canvas& source, int x, int y) {
    for (int sy = 0; sy < source.Height(); ++sy) {
        for (int sx = 0; sx < source.Width(); ++sx) {
            int tx = x + sx, ty = y + sy;
            if (tx >= 0 && ty >= 0 && tx < width_ && ty < height_) At(tx, ty) = source.At(sx, sy);
        }
    }
}

Canvas Canvas::Crop(int x, int y, int width, int height) const {
    Canvas out(width, height);
    for (int cy = 0; cy < height; ++cy) {
        for (int cx = 0; cx < width; ++cx) {
            int sx = x + cx, sy = y + cy;
            if (sx >= 0 && sy >= 0 && sx < width_ && sy < height_) out.At(cx, cy) = At(sx, sy);
        }
    }
    return out;
}

std::vector<uint8_t> Canvas::Rgb8() const {
    std::vector<uint8_t> out;
    out.reserve(pixels_.size() * 3);
    auto to8 = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
    for (const Rgb& p : pixels_) {
        out.push_back(to8(p.r));
        out.push_back(to8(p.g));
        out.push_back(to8(p.b));
    }
    return out;
}

}  // namespace ampliro::art
