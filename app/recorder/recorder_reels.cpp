#include "app/recorder/recorder_reels.h"

#include <cmath>
#include <numbers>

#include "gfx/surface.h"

namespace ampliro {
namespace {

constexpr int32_t kReach = RecorderReels::kSpokeEndRadius;
constexpr int32_t kSide = 2 * kReach + 1;
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
    if (!surface || surface->height < kTallScreen || surface->width <= kRightCentreX + kReach)
        return;
    TurnReel(surface, kLeftCentreX, LeftAngle(samples, rate));
    TurnReel(surface, kRightCentreX, RightAngle(samples, rate));
}

// Each pixel inside the radius takes the picture's pixel that lies the angle
// back against the clock (clockwise turning on a screen whose y grows
// downwards): source = R(-a) * offset, in Q14 with rounding.
void RecorderReels::TurnReel(Surface* surface, int32_t centreX, int32_t angle) {
    if (angle == 0) return;
    for (int32_t y = 0; y < kSide; ++y) {
        const uint16_t* row = surface->Row(kCentreY - kReach + y) + (centreX - kReach);
        for (int32_t x = 0; x < kSide; ++x) square_[static_cast<size_t>(y * kSide + x)] = row[x];
    }
    CoverSpokeEnds(surface, centreX);
    constexpr int32_t r = kTurningRadius;
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
            row[dx] = square_[static_cast<size_t>((sy + kReach) * kSide + (sx + kReach))];
        }
    }
}

// The picture's three spokes point 0.3 radians clockwise from straight up
// and every third of a turn on. Around each end, just outside the turning
// disc, a pixel takes the picture's pixel a sixth of a turn away at the same
// radius, where the ring has no spoke: forwards for the first and third
// spoke, backwards for the second, so that no copy comes from the tape
// below the reel.
void RecorderReels::CoverSpokeEnds(Surface* surface, int32_t centreX) {
    constexpr double kFirstSpoke = 0.3;
    constexpr double kWindow = 0.2;  // radians either side of a spoke's end
    constexpr double kSixth = std::numbers::pi / 3;
    const double c = std::cos(kSixth), s = std::sin(kSixth);
    for (int32_t dy = -kReach; dy <= kReach; ++dy) {
        uint16_t* row = surface->Row(kCentreY + dy) + centreX;
        for (int32_t dx = -kReach; dx <= kReach; ++dx) {
            const int32_t d2 = dx * dx + dy * dy;
            if (d2 <= kTurningRadius * kTurningRadius || d2 > kReach * kReach) continue;
            // Clockwise from straight up, 0 .. 2 pi.
            double a = std::atan2(static_cast<double>(dx), static_cast<double>(-dy));
            if (a < 0) a += 2 * std::numbers::pi;
            for (int k = 0; k < 3; ++k) {
                const double spoke = kFirstSpoke + k * 2 * std::numbers::pi / 3;
                if (std::fabs(a - spoke) > kWindow) continue;
                const double turn = k == 1 ? -1.0 : 1.0;
                const int32_t sx = static_cast<int32_t>(std::lround(dx * c - turn * dy * s));
                const int32_t sy = static_cast<int32_t>(std::lround(turn * dx * s + dy * c));
                if (sx < -kReach || sx > kReach || sy < -kReach || sy > kReach) break;
                row[dx] = square_[static_cast<size_t>((sy + kReach) * kSide + (sx + kReach))];
                break;
            }
        }
    }
}

}  // namespace ampliro
