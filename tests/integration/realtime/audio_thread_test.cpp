// The audio thread's whole pass, with every pedal on, the metronome clicking
// and the recorder recording and playing, while the main thread moves every
// knob and loads a preset: the pass never allocates, never touches a lock and
// never touches a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/media_loader.h"
#include "app/metronome/metronome_engine.h"
#include "app/recorder/recorder_engine.h"
#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/pass_hooks.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "audio/tuner_engine.h"
#include "audio/tuner_tap.h"
#include "effects/pedalboard.h"
#include "platform/audio/scripted/scripted_audio.h"
#include "tests/integration/realtime/armed_counters.h"
#include "ui/knob.h"
#include "ui/scroll_bar.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kBlock = 448;  // latency 12 at 44100 Hz

std::atomic<int32_t> gArmedPasses{0};

// The stream's callback: the processing pass with the counters armed.
int ArmedPass(int16_t* samples, int32_t count) {
    realtime::Arm();
    ProcessingPass(samples, count);
    realtime::Disarm();
    gArmedPasses.fetch_add(1);
    return 1;
}

std::atomic<uint32_t> gNow{1000};
uint32_t TestClock() {
    return gNow.load();
}

// One control of a pedal's panel: its id and range.
struct Control {
    Effect* pedal;
    int32_t id;
    int32_t minimum;
    int32_t maximum;
};

std::vector<Control> PanelControls(Pedalboard& board) {
    std::vector<Control> controls;
    for (int32_t key = 0; key < kChainLength; ++key) {
        Effect* pedal = board.ByKey(key);
        for (Widget* child = pedal->firstChild; child; child = child->nextSibling) {
            if (auto* knob = dynamic_cast<Knob*>(child)) {
                controls.push_back({pedal, knob->id, knob->minimum, knob->maximum});
            } else if (auto* slider = dynamic_cast<ScrollBar*>(child)) {
                controls.push_back({pedal, slider->id, slider->minimum, slider->maximum});
            }
        }
    }
    return controls;
}

class AudioThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("ampliro_realtime_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        recorder.SetFolder(folder);

        SetChainEffects(board.AllByKey());
        RestoreDefaultOrder();
        SetLatencySetting(12);
        ApplySampleRate(3);

        std::vector<uint8_t> click = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                                      1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58, 1,    0,   2,
                                      0,   16,  0,    'd',  'a', 't', 'a',  0x40, 0x1F, 0,   0};
        for (int i = 0; i < 4000; ++i) click.insert(click.end(), {0xE8, 0x03});
        ASSERT_EQ(metronome.ClickSound().LoadWave(click.data(), click.size(), 1), 1);
        metronome.SetClock(TestClock);
        metronome.SetSampleRate(44100);
        metronome.SetTempo(200);
        InstallMetronome(&metronome);
        InstallRecorder(&recorder);

        SetAudioBackend(&audio);
        ASSERT_EQ(StartAudioThread(ArmedPass), 0);
        ASSERT_EQ(OpenAudioStream(), kStreamOk);
        realtime::Reset();
        gArmedPasses = 0;
    }
    void TearDown() override {
        CloseAudioStream();
        SetAudioBackend(nullptr);
        InstallMetronome(nullptr);
        InstallRecorder(nullptr);
        Effect* none[kEffectCount] = {};
        SetChainEffects(none);
        recorder.StopRecorder();
        fs::remove_all(folder);
    }

    // One block of a 220 Hz sine through the stream. While the audio thread
    // works on it, the main thread turns every control one step and does
    // what meanwhile asks.
    template <typename Meanwhile>
    void Block(int32_t n, std::vector<Control>& controls, Meanwhile meanwhile) {
        std::vector<int16_t> samples(kBlock);
        for (int32_t i = 0; i < kBlock; ++i) {
            samples[i] = static_cast<int16_t>(
                12000 * std::sin(2 * M_PI * 220.0 * (n * kBlock + i) / 44100.0));
        }
        ASSERT_TRUE(audio.Capture(samples));
        for (const Control& c : controls) {
            const int32_t span = c.maximum - c.minimum + 1;
            c.pedal->OnControl(c.id, c.minimum + (n * 7 + c.id) % span);
        }
        meanwhile();
        gNow += 10;
        WaitForAudioThreadIdle();
        ASSERT_TRUE(audio.CompletePlayback());
        WaitForAudioThreadIdle();
    }

    fs::path folder;
    Pedalboard board;
    MetronomeEngine metronome;
    RecorderEngine recorder;
    ScriptedAudio audio;
};

TEST(ArmedCountersTest, CountOnlyOnTheArmedThread) {
    realtime::Reset();
    std::mutex m;
    delete new int(1);
    m.lock();
    m.unlock();
    EXPECT_EQ(realtime::Read().allocations, 0);
    EXPECT_EQ(realtime::Read().lockCalls, 0);

    realtime::Arm();
    int* volatile kept = new int(2);
    delete kept;
    m.lock();
    m.unlock();
    if (m.try_lock()) m.unlock();
    std::FILE* file = std::fopen("/dev/null", "rb");
    if (file) std::fclose(file);
    realtime::Disarm();

    const realtime::Counts counts = realtime::Read();
    EXPECT_EQ(counts.allocations, 2);  // the new and the delete
    EXPECT_EQ(counts.lockCalls, 2);    // the lock and the try
    EXPECT_EQ(counts.fileCalls, 2);    // the open and the close
}

TEST_F(AudioThreadTest, NoAllocationLockOrFileOnTheAudioThread) {
    for (int32_t key = 0; key < kEffectCount; ++key) board.ByKey(key)->enabled = 1;
    std::vector<Control> controls = PanelControls(board);
    ASSERT_GE(controls.size(), 30u);
    const std::string preset = (folder / "Rig.preset").string();
    ASSERT_EQ(SavePreset(preset.c_str()), 1);

    metronome.Start();
    metronome.ToggleTone();
    ASSERT_TRUE(recorder.StartRecording(44100));
    int32_t n = 0;
    int32_t loads = 0;
    // The beat lamp lights once a click: at 200 bpm a beat every 300 ms of
    // the test clock, which the blocks move 10 ms each.
    int32_t beats = 0;
    bool lampWasOn = false;
    auto countBeat = [&] {
        const bool lampOn = metronome.BeatLampOn();
        beats += lampOn && !lampWasOn;
        lampWasOn = lampOn;
    };
    for (; n < 150; ++n) {
        Block(n, controls, [&] {
            if (n % 50 == 25) loads += LoadPreset(preset.c_str());
        });
        countBeat();
    }
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    for (; n < 300; ++n) {
        Block(n, controls, [&] {
            if (n == 200) recorder.MarkLoopEnd();
            if (n == 220 || n == 230) recorder.TogglePause();
            if (n == 260) loads += LoadPreset(preset.c_str());
        });
        countBeat();
    }
    EXPECT_EQ(loads, 4);
    EXPECT_GE(beats, 9);
    EXPECT_LE(beats, 10);

    const realtime::Counts counts = realtime::Read();
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.lockCalls, 0);
    EXPECT_EQ(counts.fileCalls, 0);
    // The passes ran and did their work: the metronome clicked, the take was
    // written and is playing.
    EXPECT_EQ(gArmedPasses.load(), 300);
    EXPECT_GT(recorder.DataEnd(), 4 + 2 * kBlock * 100);
    EXPECT_EQ(recorder.State(), kRecorderPlaying);
}

// The gate, the amp and the cabinet on while a loader thread reads and
// builds models and impulse responses and the main thread swaps them in:
// at 44.1 kHz the 48 kHz models are resampled in the pass.
TEST_F(AudioThreadTest, ModelsAndImpulsesSwappedWhilePlayingNeitherAllocateNorLock) {
    for (Effect* pedal : {static_cast<Effect*>(&board.noiseGate), static_cast<Effect*>(&board.amp),
                          static_cast<Effect*>(&board.cabinet)})
        pedal->enabled = 1;
    const fs::path models = fs::path(AMPLIRO_SOURCE_DIR) / ".." / "shared" / "models";
    // A 16-bit mono WAV of 400 samples as the impulse response.
    std::vector<uint8_t> ir = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                               'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                               1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58, 1,    0,   2,
                               0,   16,  0,    'd',  'a', 't', 'a',  0x20, 0x03, 0,   0};
    for (int i = 0; i < 400; ++i) ir.insert(ir.end(), {static_cast<uint8_t>(i), 0x10});
    {
        std::FILE* f = std::fopen((folder / "ir.wav").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(ir.data(), 1, ir.size(), f);
        std::fclose(f);
    }
    std::vector<Control> controls = PanelControls(board);
    MediaLoader loader(board.amp, board.cabinet);
    const std::string files[] = {(models / "wavenet.nam").string(), (folder / "ir.wav").string(),
                                 (models / "lstm.nam").string()};
    int told = 0;
    for (int32_t n = 0; n < 120; ++n) {
        Block(n, controls, [&] {
            MediaLoader::Outcome outcome;
            if (n % 10 == 0) {
                ASSERT_TRUE(loader.Request(files[(n / 10) % 3], outcome));
            }
            told += loader.Poll(outcome) ? 1 : 0;
        });
    }
    for (int i = 0; i < 2000 && loader.Busy(); ++i) usleep(1000);
    MediaLoader::Outcome outcome;
    told += loader.Poll(outcome) ? 1 : 0;

    const realtime::Counts counts = realtime::Read();
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.lockCalls, 0);
    EXPECT_EQ(counts.fileCalls, 0);
    EXPECT_EQ(gArmedPasses.load(), 120);
    EXPECT_EQ(told, 0) << outcome.text;
    EXPECT_EQ(board.amp.modelPath(), files[2]);
    EXPECT_EQ(board.cabinet.impulsePath(), files[1]);
    EXPECT_GT(board.amp.LatencyFrames(), 0);  // 48 kHz models at 44.1 kHz
}

// The tuner open: the stream copies every block into the tap's ring and the
// pass mutes the output, while the main thread reads the ring each block.
TEST_F(AudioThreadTest, TheTunerTapAndItsMuteNeitherAllocateNorLock) {
    board.delay.enabled = 1;
    std::vector<Control> none;
    TunerEngine tuner(44100);
    StartTunerTap();
    SetOutputMuted(true);
    for (int32_t n = 0; n < 60; ++n) Block(n, none, [&] { tuner.Poll(TunerRing()); });
    tuner.Poll(TunerRing());
    // The copy itself, on an armed thread of its own.
    const std::vector<int16_t> block(kBlock, 100);
    realtime::Arm();
    FeedTunerTap(block.data(), kBlock);
    realtime::Disarm();
    StopTunerTap();
    SetOutputMuted(false);

    const realtime::Counts counts = realtime::Read();
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.lockCalls, 0);
    EXPECT_EQ(counts.fileCalls, 0);
    EXPECT_EQ(gArmedPasses.load(), 60);
    EXPECT_EQ(TunerRing().Available(), static_cast<size_t>(kBlock));
    const std::vector<int16_t> played = audio.Played();
    EXPECT_EQ(played.size(), static_cast<size_t>(60 * kBlock));
    EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](int16_t s) { return s == 0; }));
    ASSERT_TRUE(tuner.Reading().hasNote);
    EXPECT_NEAR(1200.0 * std::log2(tuner.Reading().hz / 220.0), 0.0, 1.0);
}

}  // namespace
}  // namespace ampliro
