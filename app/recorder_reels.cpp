#include "app/recorder_reels.h"

#include <cmath>
#include <numbers>

#include "gfx/surface.h"

namespace ampliro {
namespace {

constexpr int32_t kSide = 2 * RecorderReels::kTurningRadius + 1;
constexpr int32_t kTurn = 1024;

int32_t Angle(int64_t samples, int32_t rate, int64_t turnsNumerator, int64_t turnsDenominator) {
    if (rate <= 0 || samples <= 0) return 0;
    // samples / rate seconds at numerator/denominator turns a second.
    return static_cast<int32_t>(samples * kTurn * turnsNumerator / (turnsDenominator * rate) %
                                kTurn);
}

}  // namespace

RecorderReels::RecorderReels() : square_(static_cast<size_t>(kSide) * kSide) {}

int32_t RecorderReels::LeftAngle(int64_t samples, int32_t rate) {
    return Angle(samples, rate, 9, 20);
}

int32_t RecorderReels::RightAngle(int64_t samples, int32_t rate) {
    return Angle(samples, rate, 3, 4);
}

void RecorderReels::Draw(Surface* surface, int64_t samples, int32_t rate) {
    if (!surface || surface->height < kTallScreen || surface->width < kRightCentreX + kSide / 2)
        return;
    TurnReel(surface, kLeftCentreX, LeftAngle(samples, rate));
    TurnReel(surface, kRightCentreX, RightAngle(samples, rate));
}

// Each pixel inside the radius takes the picture's pixel that lies the angle
// back against the clock (clockwise turning on a screen whose y grows
// downwards): source = R(-a) * offset, in Q14 with rounding.
void RecorderReels::TurnReel(Surface* surface, int32_t centreX, int32_t angle) {
    if (angle == 0) return;
    constexpr int32_t r = kTurningRadius;
    for (int32_t y = 0; y < kSide; ++y) {
        const uint16_t* row = surface->Row(kCentreY - r + y) + (centreX - r);
        for (int32_t x = 0; x < kSide; ++x) square_[static_cast<size_t>(y * kSide + x)] = row[x];
    }
    const double radians = 2 * std::numbers::pi * angle / kTurn;
    const int32_t c = static_cast<int32_t>(std::lround(std::cos(radians) * 16384));
    const int32_t s = static_cast<int32_t>(std::lround(std::sin(radians) * 16384));
    for (int32_t dy = -r; dy <= r; ++dy) {
        uint16_t* row = surface->Row(kCentreY + dy) + centreX;
        for (int32_t dx = -r; dx <= r; ++dx) {
            if (dx * dx + dy * dy > r * r) continue;
            const int32_t sx = (dx * c + dy * s + 8192) >> 14;
            const int32_t sy = (dy * c - dx * s + 8192) >> 14;
            // Rotation keeps the distance, so the source lies in the square.
            if (sx < -r || sx > r || sy < -r || sy > r) continue;
            row[dx] = square_[static_cast<size_t>((sy + r) * kSide + (sx + r))];
        }
    }
}

}  // namespace ampliro
