#include "app/metronome/metronome_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/stream_format.h"

namespace ampliro {
namespace {

uint32_t gNow = 0;
uint32_t FakeClock() {
    return gNow;
}

// A metronome on a fake clock with a click of our own: sample i = value(i).
class MetronomeEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gNow = 100000;
        engine.SetClock(FakeClock);
        engine.SetSampleRate(44100);
    }
    template <typename F>
    void MakeClick(uint32_t samples, F value, uint32_t rate = 44100) {
        std::vector<uint8_t> image = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0};
        for (int k = 0; k < 4; ++k) image.push_back(static_cast<uint8_t>(rate >> (8 * k)));
        for (int k = 0; k < 4; ++k) image.push_back(0);
        image.insert(image.end(), {2, 0, 16, 0, 'd', 'a', 't', 'a'});
        const uint32_t bytes = samples * 2;
        for (int k = 0; k < 4; ++k) image.push_back(static_cast<uint8_t>(bytes >> (8 * k)));
        for (uint32_t i = 0; i < samples; ++i) {
            const uint16_t s = static_cast<uint16_t>(value(i));
            image.push_back(static_cast<uint8_t>(s));
            image.push_back(static_cast<uint8_t>(s >> 8));
        }
        ASSERT_EQ(engine.ClickSound().LoadWave(image.data(), image.size(), 1), 1);
    }
    // One processing pass at the current time over a silent block.
    std::vector<int16_t> Pass(int32_t count, int16_t fill = 0) {
        std::vector<int16_t> block(static_cast<size_t>(count), fill);
        engine.TimingStep(count);
        engine.MixInto(block.data(), count);
        return block;
    }

    MetronomeEngine engine;
};

TEST_F(MetronomeEngineTest, TempoGivesTheBeatIntervalAndLabel) {
    EXPECT_EQ(engine.Tempo(), 140);
    EXPECT_EQ(engine.BeatInterval(), 429);
    EXPECT_STREQ(engine.TempoLabel(), "#FFFFFF140 bpm");
    engine.SetTempo(40);
    EXPECT_EQ(engine.BeatInterval(), 1500);
    engine.SetTempo(200);
    EXPECT_EQ(engine.BeatInterval(), 300);
    EXPECT_STREQ(engine.TempoLabel(), "#FFFFFF200 bpm");
    engine.SetTempo(0);
    EXPECT_EQ(engine.Tempo(), 40);
    engine.SetAccent(0);
    EXPECT_EQ(engine.Accent(), 1);
    engine.SetVolume(1000);
    EXPECT_EQ(engine.Volume(), 64);
}

TEST_F(MetronomeEngineTest, BeatsFallOnThePassAfterEachInterval) {
    MakeClick(10, [](uint32_t) { return 1000; });
    engine.SetTempo(200);  // 300 ms
    engine.Start();
    std::vector<uint32_t> beats;
    // 10 ms passes: beats at 0, 300, 600, ... ms after Start.
    for (int pass = 0; pass < 100; ++pass) {
        if (Pass(64)[0] != 0) beats.push_back(gNow - 100000);
        gNow += 10;
    }
    EXPECT_EQ(beats, (std::vector<uint32_t>{0, 300, 600, 900}));

    // A minute of JACK's 64-frame periods at 48 kHz (a pass every 4/3 ms on
    // the millisecond clock) at 140 bpm: beat k takes the first pass at or
    // after k x 429 ms, so each click starts within one block of its beat
    // and none drifts (a beat counted from the late pass before it would be
    // a period behind after a few beats).
    engine.Stop();
    Pass(64);
    engine.SetTempo(140);
    gNow = 200000;
    engine.Start();
    beats.clear();
    for (uint32_t pass = 0; pass < 45000; ++pass) {
        gNow = 200000 + pass * 4 / 3;
        if (Pass(64)[0] != 0) beats.push_back(gNow - 200000);
    }
    ASSERT_EQ(beats.size(), 140u);
    for (uint32_t k = 0; k < beats.size(); ++k) {
        EXPECT_GE(beats[k], k * 429) << "beat " << k;
        EXPECT_LT(beats[k], k * 429 + 2) << "beat " << k;
    }
}

TEST_F(MetronomeEngineTest, AccentedBeatsPlayAtFullGainTheOthersAt24Of64) {
    MakeClick(10, [](uint32_t) { return 10000; });
    engine.SetAccent(4);
    engine.Start();
    std::vector<int16_t> first;
    for (int beat = 0; beat < 9; ++beat) {
        first.push_back(Pass(64)[0]);
        gNow += static_cast<uint32_t>(engine.BeatInterval());
    }
    // Volume 48: gain 48 on accents, (48 x 24) >> 6 = 18 elsewhere.
    const int16_t loud = (10000 * 48) >> 6;
    const int16_t soft = (10000 * 18) >> 6;
    EXPECT_EQ(first, (std::vector<int16_t>{loud, soft, soft, soft, loud, soft, soft, soft, loud}));

    engine.SetAccent(1);
    engine.Start();
    for (int beat = 0; beat < 3; ++beat) {
        EXPECT_EQ(Pass(64)[0], loud);
        gNow += static_cast<uint32_t>(engine.BeatInterval());
    }
}

TEST_F(MetronomeEngineTest, ClickStepKeepsPitchAtEveryRate) {
    MakeClick(3252, [](uint32_t i) { return static_cast<int16_t>(i); });
    engine.SetVolume(64);
    for (const int32_t rate : {22050, 96000, 44100}) {
        engine.SetSampleRate(rate);
        engine.Start();
        const uint32_t step = 44100u * 256 / static_cast<uint32_t>(rate);
        std::vector<int16_t> out = Pass(16384);
        // The click reads sample (k x step) >> 8 and ends before the position
        // reaches 3252 x 256; its length in output samples follows the rate.
        int32_t mixed = 0;
        for (int32_t k = 1; k < 16384; ++k) {
            if (out[k] != 0) mixed = k + 1;
            if (static_cast<uint64_t>(k + 1) * step < 3252u * 256) {
                ASSERT_EQ(out[k], static_cast<int16_t>((k * step) >> 8)) << rate << " at " << k;
            }
        }
        const int32_t expected = static_cast<int32_t>((3252u * 256 - 1) / step);
        EXPECT_EQ(mixed, expected) << rate;
        engine.Stop();
        gNow += 5000;
    }
    engine.SetSampleRate(96000);
    EXPECT_EQ(44100u * 256 / 96000, 117u);
    EXPECT_EQ(44100u * 256 / 22050, 512u);
}

TEST_F(MetronomeEngineTest, MixingSaturates) {
    MakeClick(100, [](uint32_t i) { return i % 2 ? -30000 : 30000; });
    engine.SetVolume(64);
    engine.Start();
    std::vector<int16_t> block(64, 32767);
    engine.TimingStep(64);
    engine.MixInto(block.data(), 64);
    EXPECT_EQ(block[0], 32767);
    EXPECT_EQ(block[1], 32767 - 30000);
    std::vector<int16_t> low(64, -32768);
    engine.MixInto(low.data(), 64);
    EXPECT_EQ(low[0], 30000 - 32768);
    EXPECT_EQ(low[1], -32768);
}

TEST_F(MetronomeEngineTest, AClickStillSoundingIsNeitherRestartedNorOverlapped) {
    // 20000 samples: about 453 ms, longer than the 300 ms beat at 200 bpm.
    MakeClick(20000, [](uint32_t i) { return static_cast<int16_t>(i % 20000 + 1); });
    engine.SetTempo(200);
    engine.SetVolume(64);
    engine.SetLampDelay(0);
    SetStreamBufferSize(2 * 441);  // each pass a block of the latency setting's size
    engine.Start();
    int16_t last = 0;
    std::vector<int> lamp;
    for (int pass = 0; pass < 45; ++pass) {  // 10 ms, 441 samples each
        const std::vector<int16_t> out = Pass(441);
        if (out[0] != 0) {
            EXPECT_GT(out[0], last) << "restarted at pass " << pass;
            last = out[440];
        }
        lamp.push_back(engine.BeatLampOn());
        gNow += 10;
    }
    // The beat at 300 ms lights the lamp (from the next pass) without a click.
    EXPECT_EQ(lamp[16], 0);
    EXPECT_EQ(lamp[31], 1);
    EXPECT_EQ(lamp[45 - 1], 1);
    EXPECT_GT(last, 19000);
}

// Lit for fifteen blocks of the latency setting's size (32 samples here):
// fifteen passes of that size, sixty of a quarter of it, as a short JACK
// period brings.
TEST_F(MetronomeEngineTest, LampsLightAfterTheDelayForFifteenBlocks) {
    MakeClick(10, [](uint32_t) { return 100; });
    SetStreamBufferSize(64);
    engine.SetLampDelay(25);
    engine.SetAccent(2);
    engine.SetVolume(0);
    engine.SetTempo(40);  // one beat in the time watched
    for (const int32_t count : {32, 8}) {
        engine.Start();
        const int lit = 15 * 32 / count;
        std::vector<int> beat, acc;
        bool silent = true;
        for (int pass = 0; pass < lit + 8; ++pass) {
            for (int16_t s : Pass(count)) silent = silent && s == 0;
            beat.push_back(engine.BeatLampOn());
            acc.push_back(engine.AccentLampOn());
            gNow += 10;
        }
        EXPECT_TRUE(silent);  // volume 0: no click, but the lamps still light
        // Beat at 0 ms; lamps at the pass at 30 ms, the first with now >= 25.
        std::vector<int> expected(static_cast<size_t>(lit + 8), 0);
        for (int pass = 3; pass < 3 + lit; ++pass) expected[static_cast<size_t>(pass)] = 1;
        EXPECT_EQ(beat, expected) << count;
        EXPECT_EQ(acc, expected) << count;
        engine.Stop();
        gNow += 10000;
    }
}

TEST_F(MetronomeEngineTest, ToneLoopsAt440HzAndFollowsTheVolume) {
    engine.LoadSounds(nullptr);
    ASSERT_TRUE(engine.ToneSound().HasSamples());
    engine.SetSampleRate(44000);  // 100 samples a period: step 10 x 256
    engine.SetVolume(64);
    engine.ToggleTone();
    std::vector<int16_t> out = Pass(250);
    for (int k = 0; k < 250; ++k) {
        ASSERT_EQ(out[k], engine.ToneSound().Sample((k * 10) % 1000)) << k;
    }
    EXPECT_EQ(out[25], 32767);
    engine.SetVolume(32);
    out = Pass(10);
    EXPECT_EQ(out[0], engine.ToneSound().Sample(500) * 32 >> 6);
    EXPECT_EQ(out[5], engine.ToneSound().Sample(550) * 32 >> 6);
    engine.ToggleTone();
    out = Pass(10);
    EXPECT_EQ(out, std::vector<int16_t>(10, 0));
}

TEST_F(MetronomeEngineTest, MissingClickStillRunsTheLamps) {
    engine.SetLampDelay(0);
    engine.Start();
    EXPECT_EQ(Pass(64), std::vector<int16_t>(64, 0));
    gNow += 10;
    Pass(64);
    EXPECT_TRUE(engine.BeatLampOn());
    EXPECT_FALSE(engine.ToneOn());
    engine.ToneSound().Release();
    engine.ToggleTone();
    EXPECT_FALSE(engine.ToneOn());
}

}  // namespace
}  // namespace ampliro
