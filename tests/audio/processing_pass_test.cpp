#include "audio/processing_pass.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/stream.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

std::vector<std::string> gSteps;

// Adds its key + 1 to every sample, so the output shows which pedals ran.
class AddingEffect : public Effect {
  public:
    void ProcessBlock(int16_t* samples, int32_t count) override {
        gSteps.push_back("effect " + std::to_string(effectKey.load()));
        for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] + 1);
    }
};

class StepMetronome : public MetronomeHook {
  public:
    void TimingStep(int32_t count) override { gSteps.push_back("timing " + std::to_string(count)); }
    void MixInto(int16_t* samples, int32_t count) override {
        gSteps.push_back("click");
        for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] + 1000);
    }
    void SetLampDelay(int32_t) override {}
    void SetSampleRate(int32_t) override {}
};

class StepRecorder : public RecorderHook {
  public:
    void EngineStep(int16_t* samples, int32_t count) override {
        gSteps.push_back("recorder");
        recorded.assign(samples, samples + count);
    }
    std::vector<int16_t> recorded;
};

class ProcessingPassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int32_t k = 0; k < kEffectCount; ++k) {
            pedals[k].Init(44100, k);
            byKey[k] = &pedals[k];
        }
        SetChainEffects(byKey);
        RestoreDefaultOrder();
        InstallMetronome(&metronome);
        InstallRecorder(&recorder);
        MuteInput = 0;
        gSteps.clear();
    }
    void TearDown() override {
        InstallMetronome(nullptr);
        InstallRecorder(nullptr);
        Effect* none[kEffectCount] = {};
        SetChainEffects(none);
        MuteInput = 0;
    }

    std::array<AddingEffect, kEffectCount> pedals;
    Effect* byKey[kEffectCount];
    StepMetronome metronome;
    StepRecorder recorder;
};

TEST_F(ProcessingPassTest, FourStepsInTheirFixedOrder) {
    int16_t block[3] = {10, 20, 30};
    EXPECT_EQ(ProcessingPass(block, 3), 1);
    const std::vector<std::string> expected = {"timing 3", "effect 0", "effect 6", "effect 3",
                                               "effect 5", "effect 2", "effect 4", "effect 1",
                                               "effect 8", "effect 7", "recorder", "click"};
    EXPECT_EQ(gSteps, expected);
    // The recording holds the chain's output but not the click.
    EXPECT_EQ(recorder.recorded, (std::vector<int16_t>{19, 29, 39}));
    EXPECT_EQ(block[0], 1019);
}

TEST_F(ProcessingPassTest, AReorderedChainRunsInItsNewOrder) {
    MoveEffectDown(1);  // the Overdrive after the Parametric EQ
    int16_t block[1] = {0};
    ProcessingPass(block, 1);
    ASSERT_GE(gSteps.size(), 3u);
    EXPECT_EQ(gSteps[1], "effect 6");
    EXPECT_EQ(gSteps[2], "effect 0");
}

TEST_F(ProcessingPassTest, MutedInputSkipsEveryPedalButNotTheHooks) {
    MuteInput = 1;
    int16_t block[2] = {0, 0};
    ProcessingPass(block, 2);
    EXPECT_EQ(gSteps, (std::vector<std::string>{"timing 2", "recorder", "click"}));
    EXPECT_EQ(block[0], 1000);
}

TEST_F(ProcessingPassTest, WithoutHooksOnlyTheChainRuns) {
    InstallMetronome(nullptr);
    InstallRecorder(nullptr);
    int16_t block[1] = {5};
    ProcessingPass(block, 1);
    EXPECT_EQ(gSteps.size(), 9u);
    EXPECT_EQ(block[0], 14);
}

// A pedal that holds the pass until the test lets it go, and notes whether
// its Init ever ran while it was inside a pass.
class GateEffect : public Effect {
  public:
    void ProcessBlock(int16_t*, int32_t) override {
        inside.store(true);
        while (!release.load()) SleepMilliseconds(1);
        inside.store(false);
    }
    int Init(int32_t rate, int32_t key) override {
        if (inside.load()) initDuringPass.store(true);
        inits.fetch_add(1);
        return Effect::Init(rate, key);
    }
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    std::atomic<bool> initDuringPass{false};
    std::atomic<int> inits{0};
};

TEST(InitEffectsTest, WaitsForAPassInProgressBeforeRebuildingThePedals) {
    ScriptedAudio audio;
    SetAudioBackend(&audio);
    ASSERT_EQ(StartAudioThread(&ProcessingPass), 0);
    std::array<GateEffect, kEffectCount> gates;
    Effect* byKey[kEffectCount];
    for (int32_t k = 0; k < kEffectCount; ++k) byKey[k] = &gates[k];
    SetChainEffects(byKey);
    SetStreamBufferSize(8);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);

    // Slot 0 holds the Overdrive (key 0): the pass stops inside it.
    ASSERT_TRUE(audio.Capture({1, 2, 3, 4}));
    while (!gates[0].inside.load()) SleepMilliseconds(1);

    std::atomic<bool> initDone{false};
    std::thread main([&] {
        InitEffects();
        initDone.store(true);
    });
    SleepMilliseconds(30);
    EXPECT_FALSE(initDone.load());
    EXPECT_EQ(gates[0].inits.load(), 0);
    for (GateEffect& gate : gates) gate.release.store(true);
    main.join();
    EXPECT_TRUE(initDone.load());
    for (GateEffect& gate : gates) {
        EXPECT_EQ(gate.inits.load(), 1);
        EXPECT_FALSE(gate.initDuringPass.load());
    }
    EXPECT_EQ(MuteInput.load(), 0);

    CloseAudioStream();
    SetAudioBackend(nullptr);
    Effect* none[kEffectCount] = {};
    SetChainEffects(none);
}

}  // namespace
}  // namespace ampliro
