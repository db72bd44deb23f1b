// The default map driving the whole program, headless: MIDI bytes arrive at
// the audio back end's port as a foot controller would send them, and the
// presets, pedals, metronome and loop recorder answer as their own buttons
// would make them.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "audio/stream.h"
#include "preset_files.h"
#include "tests/app/game_harness.h"

namespace ampliro {
namespace {

using namespace testing;

struct Seen {
    std::string preset;
    int32_t drive = -1;
    int32_t overdriveOn = -1;
    int32_t muted = -1;
    bool startShown = false;
};

// The game as the person's thread may look at it: what the main thread saw
// at the end of its latest frame, after that frame's MIDI.
class WatchedGame : public HeadlessGame {
  public:
    int Frame() override {
        const int result = HeadlessGame::Frame();
        std::lock_guard<std::mutex> lock(mutex_);
        seen_ =
            Seen{presets.CurrentPreset(), pedals.overdrive.drive, pedals.overdrive.enabled.load(),
                 MuteInput.load(), metronome.startStop.HasStyle(kButtonOn)};
        return result;
    }
    Seen Look() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

  private:
    std::mutex mutex_;
    Seen seen_;
};

TEST_F(GameTest, AFootControllerLoadsPresetsSwitchesPedalsAndRunsTheMetronomeAndRecorder) {
    WriteTwoPresets(folder);
    WatchedGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    Seen lead, clean, missing, afterDamage;
    bool metronomeBeforePower = true, recordedBeforePower = true;
    int32_t overdriveBeforePower = -1, overdriveAfterSysEx = -1;
    std::vector<int32_t> pedalsOn;
    bool metronomeStarted = false, metronomeStopped = false, startShown = false;
    bool clickHeard = false;
    std::vector<int32_t> states;
    auto send = [&](Hands& hands, std::vector<uint8_t> event) {
        EXPECT_TRUE(audio.SendMidi(event));
        hands.Pause(120);
    };
    auto see = [&game]() { return game.Look(); };
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(600);
        hands.Key(VK_RETURN);  // the introduction

        // Power off: a pedal switches; the metronome and the recorder wait.
        send(hands, {0xB0, 89, 127});
        send(hands, {0xB0, 102, 127});
        send(hands, {0xB0, 80, 127});
        metronomeBeforePower = game.metronome.Engine().Running();
        recordedBeforePower = game.recorder.Engine().State() != kRecorderStopped;
        overdriveBeforePower = game.pedals.overdrive.enabled;
        send(hands, {0xB0, 80, 0});

        hands.Tap(35, 84);  // the On/Off switch
        // Program change 1 on channel 5: the second preset of the list.
        send(hands, {0xC4, 0x01});
        lead = see();
        // Program change 0 in running status of a later event.
        send(hands, {0xC4});
        send(hands, {0x00});
        clean = see();
        // No 10th preset: nothing changes.
        send(hands, {0xC0, 9});
        missing = see();

        // Overdrive on (channel 16), Reverb on, Overdrive off twice: it
        // follows the value and never toggles back.
        send(hands, {0xBF, 80, 127});
        pedalsOn.push_back(game.pedals.overdrive.enabled);
        send(hands, {0xB3, 86, 100});
        pedalsOn.push_back(game.pedals.reverb.enabled);
        send(hands, {0xB0, 80, 0});
        pedalsOn.push_back(game.pedals.overdrive.enabled);
        send(hands, {0xB0, 80, 10});
        pedalsOn.push_back(game.pedals.overdrive.enabled);
        send(hands, {0xB0, 88, 64});  // Graphic EQ
        pedalsOn.push_back(game.pedals.graphicEq.enabled);

        send(hands, {0xB0, 89, 127});
        metronomeStarted = game.metronome.Engine().Running();
        startShown = see().startShown;
        // A silent input: whatever plays is the click.
        audio.Played();
        PlayBlocks(audio, 5, 0);
        for (int16_t s : audio.Played()) clickHeard |= s != 0;
        send(hands, {0xB0, 89, 0});
        metronomeStopped = !game.metronome.Engine().Running();

        // Record, some playing, Pause, Pause, Stop, Play, the Play
        // switch's release, Stop.
        send(hands, {0xB0, 102, 127});
        states.push_back(game.recorder.Engine().State());
        PlayBlocks(audio, 20, 8000);
        for (uint8_t cc : {105, 105, 104, 103}) {
            send(hands, {0xB0, cc, 127});
            states.push_back(game.recorder.Engine().State());
        }
        send(hands, {0xB0, 103, 0});
        states.push_back(game.recorder.Engine().State());
        send(hands, {0xB0, 104, 127});
        states.push_back(game.recorder.Engine().State());

        // Damaged input: a SysEx whose body would be "Overdrive on" in the
        // running status of the CC before it, bare data bytes after it, a control change cut short
        // by a program change (which still counts), unknown controllers and notes.
        send(hands, {0xB0, 80, 0});
        send(hands, {0xF0, 80, 127, 0xF7});
        send(hands, {80, 127});
        overdriveAfterSysEx = game.pedals.overdrive.enabled;
        send(hands, {0xB0, 80});
        send(hands, {0xC0, 0x01});
        send(hands, {0xB0, 7, 127, 0x90, 60, 127, 0xE0, 0, 0});
        afterDamage = see();

        hands.Key(VK_SHIFT);   // the exit key
        hands.Key(VK_RETURN);  // "Exit Program?" Yes
        hands.Key(VK_RETURN);  // "Delete Recording?" opens on No
    });
    EXPECT_TRUE(ended);

    EXPECT_FALSE(metronomeBeforePower);
    EXPECT_FALSE(recordedBeforePower);
    EXPECT_EQ(overdriveBeforePower, 1);

    EXPECT_EQ(lead.preset, (folder / "lead.preset").string());
    EXPECT_EQ(lead.drive, 60);
    EXPECT_EQ(lead.overdriveOn, 1);
    EXPECT_EQ(lead.muted, 0);
    EXPECT_EQ(clean.preset, (folder / "clean.preset").string());
    EXPECT_EQ(clean.drive, 10);
    EXPECT_EQ(clean.overdriveOn, 0);
    EXPECT_EQ(missing.preset, clean.preset);
    EXPECT_EQ(missing.drive, 10);

    EXPECT_EQ(pedalsOn, (std::vector<int32_t>{1, 1, 0, 0, 1}));
    EXPECT_TRUE(metronomeStarted);
    EXPECT_TRUE(startShown);
    EXPECT_TRUE(clickHeard);
    EXPECT_TRUE(metronomeStopped);

    EXPECT_EQ(states, (std::vector<int32_t>{kRecorderRecording, kRecorderPaused, kRecorderRecording,
                                            kRecorderStopped, kRecorderPlaying, kRecorderPlaying,
                                            kRecorderStopped}));
    // 20 blocks of the tone went to the file after its 4-byte header.
    const std::vector<uint8_t> take = ReadBytes(folder / "RECORD.DAT");
    ASSERT_GT(take.size(), 4u);
    EXPECT_EQ(Word(take, 0), 44100);
    EXPECT_EQ((take.size() - 4) % 2, 0u);

    EXPECT_EQ(overdriveAfterSysEx, 0);
    // Only the program change after the damage did anything: "lead" again.
    EXPECT_EQ(afterDamage.preset, (folder / "lead.preset").string());
    EXPECT_EQ(afterDamage.drive, 60);
    EXPECT_EQ(afterDamage.overdriveOn, 1);
}

}  // namespace
}  // namespace ampliro
