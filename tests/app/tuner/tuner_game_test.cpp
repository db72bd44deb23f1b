// The tuner in the whole program, headless: opened with T and with the tuning
// fork, muting the output while shown, reading the input, and giving the
// sound back when it closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "audio/tuner_tap.h"
#include "tests/app/game_harness.h"
#include "tests/audio/test_tones.h"

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

// What the person sees, taken on the main thread after every frame, so that
// the person's thread never reads the program's state while it changes.
struct Seen {
    bool tunerShown = false;
    bool muted = false;
    bool listening = false;
    int32_t area = -1;
    int32_t reference = 0;
    TunerReading reading;
    int32_t needleX = 0;
    uint16_t needle = 0;
};

class WatchedGame : public HeadlessGame {
  public:
    int Frame() override {
        const int result = HeadlessGame::Frame();
        Seen now;
        now.tunerShown = TunerShown();
        now.muted = OutputMuted();
        now.listening = TunerTapListening();
        now.area = currentArea;
        now.reference = tuner.Engine().Reference();
        now.reading = tuner.Engine().Reading();
        now.needleX = tuner.Strip().XOf(now.reading.position.cents);
        now.needle = static_cast<MemoryDisplay*>(display)->PresentedPixel(now.needleX,
                                                                          tuner.Strip().top + 4);
        std::lock_guard<std::mutex> lock(mutex_);
        seen_ = now;
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

TEST_F(GameTest, TheTunerMutesTheOutputWhileShownAndReadsTheString) {
    WriteWords(folder / "VRPREFS.DAT", {12, 3, 48, 140, 4, 0});  // no introduction
    WatchedGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    bool openedWithPowerOff = true, mutedWhileShown = false, soundBefore = false,
         soundAfter = false, openedByFork = false, closedByEscape = false;
    Seen shown, raised, closed;
    const auto string = test::KarplusStrong(110.0 * std::pow(2.0, 5.0 / 1200.0), 44100, 1.2);
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(400);
        hands.Key('T');  // the power is still off
        openedWithPowerOff = game.Look().tunerShown;
        hands.Key(VK_RETURN);
        hands.Tap(35, 84);  // On/Off
        hands.Key(VK_RIGHT);
        soundBefore = !AllSilent(PlaySignal(audio, string.samples));

        hands.Key('T');
        shown = game.Look();
        mutedWhileShown = shown.tunerShown && shown.muted && shown.listening &&
                          AllSilent(PlaySignal(audio, string.samples));
        hands.Pause(300);  // a few frames to read the ring
        hands.Key(VK_UP);
        hands.Key(VK_UP);
        raised = game.Look();
        hands.Key(VK_DOWN);
        hands.Key(VK_DOWN);
        shown = game.Look();

        hands.Key('T');
        closed = game.Look();
        soundAfter = !AllSilent(PlaySignal(audio, string.samples));

        hands.Tap(231, 8);  // the tuning fork
        openedByFork = game.Look().tunerShown;
        hands.Key(27);  // Escape
        closedByEscape = !game.Look().tunerShown;
        hands.Key(VK_SHIFT);
        hands.Key(VK_RETURN);  // "Exit Program?" Yes
    });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(openedWithPowerOff);
    ASSERT_FALSE(game.messages.empty());
    EXPECT_EQ(game.messages[0].substr(0, 16), "Power On First!|");
    EXPECT_TRUE(soundBefore);
    EXPECT_TRUE(mutedWhileShown);
    ASSERT_TRUE(shown.reading.hasNote);
    EXPECT_STREQ(NoteName(shown.reading.position.note), "A");
    EXPECT_EQ(shown.reading.position.octave, 2);
    EXPECT_NEAR(shown.reading.position.cents, 5.0, 3.0);
    EXPECT_EQ(raised.reference, 442);
    EXPECT_EQ(shown.reference, 440);
    EXPECT_EQ(shown.needle, 0xFFE0);  // 5 cents: near, in yellow
    EXPECT_EQ(closed.area, kAreaEffects);
    EXPECT_FALSE(closed.tunerShown);
    EXPECT_FALSE(closed.muted);
    EXPECT_FALSE(closed.listening);
    EXPECT_TRUE(soundAfter);
    EXPECT_TRUE(openedByFork);
    EXPECT_TRUE(closedByEscape);
    EXPECT_FALSE(OutputMuted());
}

}  // namespace
}  // namespace ampliro
