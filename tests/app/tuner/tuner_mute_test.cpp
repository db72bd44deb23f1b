// The tuner's tap and mute on the real stream and processing pass: the
// scripted devices stand in for the sound card.
#include <gtest/gtest.h>

#include <vector>

#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "audio/stream_format.h"
#include "audio/tuner_engine.h"
#include "audio/tuner_tap.h"
#include "effects/pedalboard.h"
#include "platform/audio/output_volume.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "tests/audio/test_tones.h"

namespace ampliro {
namespace {

class TunerMuteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetChainEffects(pedals.AllByKey());
        RestoreDefaultOrder();
        for (int32_t k = 0; k < kEffectCount; ++k) pedals.ByKey(k)->Init(44100, k);
        SetAudioBackend(&audio);
        ASSERT_EQ(StartAudioThread(&ProcessingPass), 0);
        SetStreamSampleRate(44100);
        SetStreamBufferSize(896);  // 448 samples a block
        SetOutputVolume(0xFFFFFFFFu);
        MuteInput = 0;
        ASSERT_EQ(OpenAudioStream(), kStreamOk);
    }
    void TearDown() override {
        CloseAudioStream();
        StopTunerTap();
        SetOutputMuted(false);
        MuteInput = 0;
        SetAudioBackend(nullptr);
    }
    // Plays the signal through in blocks; returns what the output played.
    std::vector<int16_t> Play(const std::vector<int16_t>& signal) {
        const size_t before = audio.Played().size();
        for (size_t start = 0; start + 448 <= signal.size(); start += 448) {
            EXPECT_TRUE(audio.Capture({signal.begin() + static_cast<long>(start),
                                       signal.begin() + static_cast<long>(start + 448)}));
            WaitForAudioThreadIdle();
            EXPECT_TRUE(audio.CompletePlayback());
            WaitForAudioThreadIdle();
        }
        const std::vector<int16_t> all = audio.Played();
        return {all.begin() + static_cast<long>(before), all.end()};
    }

    Pedalboard pedals;
    ScriptedAudio audio;
};

TEST_F(TunerMuteTest, OutputIsSilentWhileTheTunerListensAndTheSoundComesBackAfter) {
    const auto tone = test::Sine(110.0, 44100, 0.5);
    std::vector<int16_t> played = Play(tone);
    ASSERT_EQ(played.size(), 448u * 49);
    // Every pedal is off: the input plays as it came.
    EXPECT_TRUE(std::equal(played.begin(), played.end(), tone.begin()));

    StartTunerTap();
    SetOutputMuted(true);
    TunerEngine engine(44100);
    played = Play(tone);
    EXPECT_EQ(std::count(played.begin(), played.end(), int16_t{0}),
              static_cast<long>(played.size()));
    // The tuner heard all of it, and read it.
    EXPECT_EQ(TunerRing().Available(), 448u * 49);
    EXPECT_TRUE(engine.Poll(TunerRing()));
    EXPECT_EQ(TunerRing().Available(), 0u);
    ASSERT_TRUE(engine.Reading().hasNote);
    EXPECT_NEAR(test::Cents(engine.Reading().hz, 110.0), 0.0, 1.0);

    StopTunerTap();
    SetOutputMuted(false);
    played = Play(tone);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), tone.begin()));
    EXPECT_EQ(TunerRing().Available(), 0u);
}

// With the Delay on, tuning notes would otherwise come back as echoes the
// moment the tuner closes.
TEST_F(TunerMuteTest, ThePedalsRunOnSilenceSoNoEchoOfTheTuningComesBack) {
    pedals.delay.enabled.store(1);
    SetOutputMuted(true);
    Play(test::Sine(220.0, 44100, 0.3));
    SetOutputMuted(false);
    const auto after = Play(std::vector<int16_t>(44100, 0));
    EXPECT_EQ(std::count(after.begin(), after.end(), int16_t{0}), static_cast<long>(after.size()));
}

TEST_F(TunerMuteTest, TheTunerHearsTheInputWhileTheMicIsMuted) {
    StartTunerTap();
    MuteInput = 1;
    const auto tone = test::Sine(330.0, 44100, 0.2);
    const auto played = Play(tone);
    EXPECT_EQ(std::count(played.begin(), played.end(), int16_t{0}),
              static_cast<long>(played.size()));
    ASSERT_EQ(TunerRing().Available(), 448u * 19);
    for (size_t i = 0; i < 448u * 19; ++i) ASSERT_EQ(TunerRing().At(i), tone[i]) << i;
}

TEST_F(TunerMuteTest, AFullRingLeavesWholeBlocksOutAndStartEmptiesIt) {
    StartTunerTap();
    // 65536 samples hold 146 blocks of 448; the rest of 160 are left out.
    Play(std::vector<int16_t>(448 * 160, 5));
    EXPECT_EQ(TunerRing().Available(), 448u * 146);
    StopTunerTap();
    StartTunerTap();
    EXPECT_EQ(TunerRing().Available(), 0u);
    Play(std::vector<int16_t>(448, 9));
    ASSERT_EQ(TunerRing().Available(), 448u);
    EXPECT_EQ(TunerRing().At(0), 9);
}

}  // namespace
}  // namespace ampliro

namespace ampliro {
namespace {

TEST(TunerTapTest, EmptyAndNegativeBlocksAddNothing) {
    StartTunerTap();
    const int16_t one = 1;
    FeedTunerTap(&one, 0);
    FeedTunerTap(&one, -5);
    EXPECT_EQ(TunerRing().Available(), 0u);
    FeedTunerTap(&one, 1);
    EXPECT_EQ(TunerRing().Available(), 1u);
    StopTunerTap();
    FeedTunerTap(&one, 1);
    EXPECT_EQ(TunerRing().Available(), 1u);
    StartTunerTap();
    EXPECT_EQ(TunerRing().Available(), 0u);
    StopTunerTap();
}

}  // namespace
}  // namespace ampliro
