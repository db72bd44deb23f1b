// The tuner in the whole program, headless: opened with T and with the tuning
// fork, muting the output while shown, reading the input, and giving the
// sound back when it closes.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/tuner_tap.h"
#include "tests/game/game_harness.h"
#include "tests/tuner/test_tones.h"

namespace ampliro {
namespace {

using namespace testing;

// Plays the signal through the running stream in its blocks; returns what
// came out.
std::vector<int16_t> PlaySignal(ScriptedAudio& audio, const std::vector<int16_t>& signal) {
    const size_t before = audio.Played().size();
    const size_t block = StreamBufferSize() / 2;
    for (size_t start = 0; start + block <= signal.size(); start += block) {
        audio.Capture({signal.begin() + static_cast<long>(start),
                       signal.begin() + static_cast<long>(start + block)});
        for (int spin = 0; spin < 200 && audio.QueuedPlaybackCount() == 0; ++spin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        while (audio.CompletePlayback()) {
        }
    }
    const std::vector<int16_t> all = audio.Played();
    return {all.begin() + static_cast<long>(before), all.end()};
}

bool AllSilent(const std::vector<int16_t>& samples) {
    return std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; });
}

TEST_F(GameTest, TheTunerMutesTheOutputWhileShownAndReadsTheString) {
    WriteWords(folder / "VRPREFS.DAT", {12, 3, 48, 140, 4, 0});  // no introduction
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    bool openedWithPowerOff = true, mutedWhileShown = false, soundBefore = false,
         soundAfter = false, openedByFork = false, closedByEscape = false;
    int32_t areaAfter = -1, reference = 0;
    TunerReading reading;
    uint16_t needle = 0;
    int32_t needleX = 0;
    const auto string = test::KarplusStrong(110.0 * std::pow(2.0, 5.0 / 1200.0), 44100, 1.2);
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(400);
        hands.Key('T');  // the power is still off
        openedWithPowerOff = game.TunerShown();
        hands.Key(VK_RETURN);
        hands.Tap(35, 84);  // On/Off
        hands.Key(VK_RIGHT);
        soundBefore = !AllSilent(PlaySignal(audio, string.samples));

        hands.Key('T');
        mutedWhileShown = game.TunerShown() && OutputMuted() && TunerTapListening();
        mutedWhileShown &= AllSilent(PlaySignal(audio, string.samples));
        hands.Pause(300);  // a few frames to read the ring
        reading = game.tuner.Engine().Reading();
        hands.Key(VK_UP);
        hands.Key(VK_UP);
        reference = game.tuner.Engine().Reference();
        hands.Key(VK_DOWN);
        hands.Key(VK_DOWN);
        needleX = game.tuner.Strip().XOf(game.tuner.Engine().Reading().position.cents);
        hands.Pause(200);
        needle = static_cast<MemoryDisplay*>(game.display)
                     ->PresentedPixel(needleX, game.tuner.Strip().top + 4);

        hands.Key('T');
        areaAfter = game.currentArea;
        soundAfter =
            !AllSilent(PlaySignal(audio, string.samples)) && !OutputMuted() && !TunerTapListening();

        hands.Tap(231, 8);  // the tuning fork
        openedByFork = game.TunerShown();
        hands.Key(27);  // Escape
        closedByEscape = !game.TunerShown();
        hands.Key(VK_SHIFT);
        hands.Key(VK_RETURN);  // "Exit Program?" Yes
    });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(openedWithPowerOff);
    ASSERT_FALSE(game.messages.empty());
    EXPECT_EQ(game.messages[0].substr(0, 16), "Power On First!|");
    EXPECT_TRUE(soundBefore);
    EXPECT_TRUE(mutedWhileShown);
    ASSERT_TRUE(reading.hasNote);
    EXPECT_STREQ(NoteName(reading.position.note), "A");
    EXPECT_EQ(reading.position.octave, 2);
    EXPECT_NEAR(reading.position.cents, 5.0, 3.0);
    EXPECT_EQ(reference, 442);
    EXPECT_EQ(needle, 0xFFE0);  // 5 cents: near, in yellow
    EXPECT_EQ(areaAfter, kAreaEffects);
    EXPECT_TRUE(soundAfter);
    EXPECT_TRUE(openedByFork);
    EXPECT_TRUE(closedByEscape);
    EXPECT_FALSE(OutputMuted());
}

}  // namespace
}  // namespace ampliro
