// The two tape reels of the Loop Recorder's picture, turning with the take.
// The picture's own pixels inside each reel's flange are turned about its
// hub, so the reels keep the look they were drawn with; the flange ring and
// everything around it stay as they are.
#pragma once

#include <cstdint>
#include <vector>

namespace ampliro {

class Surface;

class RecorderReels {
  public:
    // Where the picture has its reels (pixels of the 240 x 320 screen; the
    // square screen's picture has none).
    static constexpr int32_t kCentreY = 257;
    static constexpr int32_t kLeftCentreX = 70;
    static constexpr int32_t kRightCentreX = 170;
    // The hub, the spokes and the flange ring (38 pixels out) but for its outer
    // edge: the ring is round, so it looks the same at every angle.
    static constexpr int32_t kTurningRadius = 37;
    // The spokes' rounded ends stand out of the ring up to here; once the
    // reel has turned they would stay behind as studs on the ring, so they
    // are covered with the ring as it looks between two spokes.
    static constexpr int32_t kSpokeEndRadius = 41;
    // The screen height below which there are no reels to turn.
    static constexpr int32_t kTallScreen = 320;

    RecorderReels();

    // Each reel's angle in 1/1024 of a turn after samples of the take at
    // rate. The tape runs at one speed past both reels, so the take-up reel
    // on the right, with the thinner pack (18 pixels against 30), turns
    // 30/18 times as fast: 0.75 turns a second against 0.45.
    static int32_t LeftAngle(int64_t samples, int32_t rate);
    static int32_t RightAngle(int64_t samples, int32_t rate);

    // Turns both reels of the picture already on surface to where samples
    // of the take have run past. Angle 0 leaves the picture as it is.
    void Draw(Surface* surface, int64_t samples, int32_t rate);

  private:
    void TurnReel(Surface* surface, int32_t centreX, int32_t angle);
    void CoverSpokeEnds(Surface* surface, int32_t centreX);

    // The square around one reel, copied before it is drawn turned.
    std::vector<uint16_t> square_;
};

}  // namespace ampliro
