#include "platform/audio/playback_cushion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/audio/audio_health.h"

namespace ampliro {
namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kBlock = 448;   // latency setting 12 at 44100 Hz
constexpr uint32_t kDevice = 512;  // samples a device callback moves
constexpr uint32_t kCushion = 3 * kBlock;
constexpr uint32_t kHeaders = 36;

// A capture device and a playback device on clocks of their own, the
// stream's blocks between them, and the cushion on the playback side. The
// captured signal is a ramp, so every sample played tells which captured
// sample it is, and so the latency at that moment.
class TwoClockRig {
  public:
    explicit TwoClockRig(double capturePpm) : captureRate_(kRate * (1.0 + capturePpm * 1e-6)) {
        for (uint32_t i = 0; i < kHeaders; ++i) {
            headers_[i].data = reinterpret_cast<uint8_t*>(data_[i].data());
            headers_[i].bufferLength = kBlock * 2;
            free_.push_back(&headers_[i]);
        }
        StreamHealth().Reset();
        cushion_.Start(kBlock, kCushion, kRate);
    }

    // Runs both clocks for this long; the capture side pauses (delivers
    // nothing) between pauseFrom and pauseTo seconds.
    void Run(double seconds, double pauseFrom = -1, double pauseTo = -1) {
        const double end = now_ + seconds;
        while (now_ < end) {
            // A capture callback hands in what the device captured since
            // the one before.
            const double nextCapture = (captureCalls_ + 1) * kDevice / captureRate_;
            const double nextPlayback = playbackCalls_ * static_cast<double>(kDevice) / kRate;
            if (nextCapture <= nextPlayback) {
                now_ = nextCapture;
                ++captureCalls_;
                if (now_ < pauseFrom || now_ >= pauseTo) {
                    Capture();
                } else {
                    captured_ += kDevice;  // what the stalled device never handed in
                }
            } else {
                now_ = nextPlayback;
                ++playbackCalls_;
                Play();
            }
        }
    }

    // Latency in samples of each playback callback that started on a
    // steady stretch of the ramp, with the time it was taken.
    std::vector<std::pair<double, double>> latencies;
    PlaybackCushion& Cushion() { return cushion_; }
    uint32_t FullQueueDrops() const { return fullQueueDrops_; }

  private:
    uint32_t Micros() const { return static_cast<uint32_t>(static_cast<int64_t>(now_ * 1e6)); }
    static int16_t RampValue(int64_t index) { return static_cast<int16_t>(index % 32768 - 16384); }

    void Capture() {
        for (uint32_t i = 0; i < kDevice; ++i) {
            pending_[pendingCount_++] = RampValue(captured_++);
            if (pendingCount_ < kBlock) continue;
            pendingCount_ = 0;
            if (free_.empty()) {
                ++fullQueueDrops_;
                continue;
            }
            WaveHeader* header = free_.back();
            free_.pop_back();
            std::copy(pending_.begin(), pending_.end(), reinterpret_cast<int16_t*>(header->data));
            queue_.Push(header);
            cushion_.Queued(Micros());
        }
    }

    static void Done(void* owner, WaveHeader* header) {
        static_cast<TwoClockRig*>(owner)->free_.push_back(header);
    }

    void Play() {
        std::array<int16_t, kDevice> out{};
        cushion_.Drain(queue_, out.data(), kDevice, Micros(), &TwoClockRig::Done, this);
        // The fade of a seam and silence are not the ramp.
        for (uint32_t i = 1; i < 64; ++i)
            if (static_cast<int16_t>(out[i] - out[i - 1]) != 1) return;
        // The newest captured sample whose ramp value matches.
        const int64_t value = out[0] + 16384;
        int64_t index = captured_ - 1 - ((captured_ - 1 - value) % 32768 + 32768) % 32768;
        const double capturedAt = static_cast<double>(index) / captureRate_;
        latencies.emplace_back(now_, (now_ - capturedAt) * kRate);
    }

    double captureRate_;
    double now_ = 0;
    int64_t captureCalls_ = 0;
    int64_t playbackCalls_ = 0;
    int64_t captured_ = 0;
    std::array<WaveHeader, kHeaders> headers_;
    std::array<std::array<int16_t, kBlock>, kHeaders> data_{};
    std::vector<WaveHeader*> free_;
    std::array<int16_t, kBlock> pending_{};
    uint32_t pendingCount_ = 0;
    HeaderRing queue_;
    PlaybackCushion cushion_;
    uint32_t fullQueueDrops_ = 0;
};

// The latency a few seconds after the start, and the widest it strayed
// from it afterwards, in samples.
std::pair<double, double> StartAndSpread(const TwoClockRig& rig) {
    double start = -1, spread = 0;
    for (const auto& [at, latency] : rig.latencies) {
        if (at < 3) continue;
        if (start < 0) start = latency;
        spread = std::max(spread, std::abs(latency - start));
    }
    return {start, spread};
}

TEST(PlaybackCushionTest, NothingPlaysUntilTheCushionIsQueuedThenTheLatencyIsItsSize) {
    TwoClockRig rig(0);
    rig.Run(10);
    ASSERT_FALSE(rig.latencies.empty());
    // No sample is played before three blocks wait: the first comes back
    // after the cushion and a block of the capture device's burst at most.
    const auto [start, spread] = StartAndSpread(rig);
    EXPECT_GE(start, kCushion);
    EXPECT_LE(start, kCushion + kDevice + kBlock);
    EXPECT_LT(spread, 1.0);
    EXPECT_EQ(StreamHealth().underruns.load(), 0u);
    EXPECT_EQ(StreamHealth().droppedBlocks.load(), 0u);
    EXPECT_EQ(rig.Cushion().Drops() + rig.Cushion().Repeats(), 0u);
}

// Two sound cards a hundred parts per million apart drift by 16000 samples
// an hour: without correction the latency would grow by a third of a second
// or the queue would run dry every few minutes.
TEST(PlaybackCushionTest, AnHourOfDriftKeepsTheLatencyWithinABlockAndCountsEveryDrop) {
    for (const double ppm : {100.0, -100.0}) {
        TwoClockRig rig(ppm);
        rig.Run(3600);
        const auto [start, spread] = StartAndSpread(rig);
        EXPECT_LE(spread, kBlock) << ppm;
        const double drift = 3600 * kRate * std::abs(ppm) * 1e-6;  // 15876 samples
        const uint32_t corrections = rig.Cushion().Drops() + rig.Cushion().Repeats();
        EXPECT_NEAR(corrections, drift / kBlock, 2) << ppm;
        if (ppm > 0) {
            EXPECT_EQ(rig.Cushion().Repeats(), 0u);
        } else {
            EXPECT_EQ(rig.Cushion().Drops(), 0u);
        }
        EXPECT_EQ(StreamHealth().droppedBlocks.load(), rig.Cushion().Drops()) << ppm;
        EXPECT_EQ(StreamHealth().underruns.load(), 0u) << ppm;
        EXPECT_EQ(rig.FullQueueDrops(), 0u) << ppm;
    }
}

TEST(PlaybackCushionTest, AnInputThatStallsIsOneUnderRunAndTheLatencyComesBack) {
    TwoClockRig rig(0);
    rig.Run(10);
    const double before = StartAndSpread(rig).first;
    // The capture side delivers nothing for a fifth of a second.
    rig.Run(20, 10.0, 10.2);
    EXPECT_EQ(StreamHealth().underruns.load(), 1u);
    const double after = rig.latencies.back().second;
    EXPECT_NEAR(after, before, kBlock);
}

}  // namespace
}  // namespace ampliro
