// The program's exit, its termination signals and the faults a new user met:
// questions answered with Enter, double closes, a power-off outside
// Configuration, saves that fail, and settings that must survive a restart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "app/screens/configuration_screen.h"
#include "audio/power.h"
#include "game_harness.h"
#include "platform/system/termination_signals.h"

namespace ampliro {
namespace {

using namespace testing;

int Count(const std::vector<std::string>& messages, const std::string& title) {
    int n = 0;
    for (const std::string& m : messages) n += m.rfind(title + "|", 0) == 0;
    return n;
}

class ExitTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteWords(folder / "VRPREFS.DAT", {12, 3, 48, 140, 4, 0});  // no introduction
    }
    void WriteTake() { WriteWords(folder / "RECORD.DAT", {44100, 100, -100, 100, -100}); }
};

TEST_F(ExitTest, EnterTwiceAtExitKeepsTheTakeAndEveryExitIsAskedAfresh) {
    WriteTake();
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(300);
        // A double click on the close box: the second close arrives while
        // "Exit Program?" is open and must not end the program on its own.
        PostMessage(game.window, WM_CLOSE, 0, 0);
        PostMessage(game.window, WM_CLOSE, 0, 0);
        hands.Pause();
        hands.Key(VK_DOWN);  // No
        hands.Key(VK_RETURN);
        // The next exit opens on Yes again, and "Delete Recording?" on No.
        PostMessage(game.window, WM_CLOSE, 0, 0);
        hands.Pause();
        hands.Key(VK_RETURN);  // "Exit Program?" Yes
        hands.Key(VK_RETURN);  // "Delete Recording?" No
    });
    EXPECT_TRUE(ended) << "Enter at the second exit did not answer Yes";
    EXPECT_EQ(Count(game.messages, "Delete Recording?"), 1);
    EXPECT_TRUE(fs::exists(folder / "RECORD.DAT"));
    EXPECT_EQ(fs::file_size(folder / "Defaults.preset"), 268u);
    EXPECT_EQ(fs::file_size(folder / "VRPREFS.DAT"), 28u);
}

TEST_F(ExitTest, ASecondCloseDuringDeleteRecordingIsIgnored) {
    WriteTake();
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(300);
        PostMessage(game.window, WM_CLOSE, 0, 0);
        hands.Pause();
        hands.Key(VK_RETURN);  // Yes
        PostMessage(game.window, WM_CLOSE, 0, 0);
        hands.Pause();
        hands.Key(VK_LEFT);  // Yes this time
        hands.Key(VK_RETURN);
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(Count(game.messages, "Delete Recording?"), 1);
    EXPECT_FALSE(fs::exists(folder / "RECORD.DAT"));
}

TEST_F(ExitTest, AFailedSaveAtExitIsToldAndTheProgramStillExits) {
    // A folder where each file belongs cannot be replaced by the file.
    fs::create_directories(folder / "Defaults.preset");
    fs::remove(folder / "VRPREFS.DAT");
    fs::create_directories(folder / "VRPREFS.DAT");
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(600);
        hands.Key(VK_RETURN);  // the introduction
        PostMessage(game.window, WM_CLOSE, 0, 0);
        hands.Pause();
        hands.Key(VK_RETURN);  // Yes
        hands.Key(VK_RETURN);  // Ok to the failure
    });
    EXPECT_TRUE(ended);
    ASSERT_FALSE(game.messages.empty());
    EXPECT_EQ(game.messages.back(),
              "Save Failed|Your settings could not be saved.\r\rDefaults.preset: Is a "
              "directory.\rVRPREFS.DAT: Is a directory.");
    EXPECT_TRUE(fs::is_directory(folder / "Defaults.preset"));
}

TEST_F(ExitTest, TerminationSignalsSaveAndExitWithoutQuestions) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        fs::remove(folder / "Defaults.preset");
        WriteWords(folder / "VRPREFS.DAT", {12, 3, 48, 140, 4, 0, 64});
        TerminationSignals signals;
        HeadlessGame game;
        ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
        SetMasterVolume(21);
        const bool ended = RunWithPerson(game, [&](Hands& hands) {
            hands.Pause(300);
            // SIGINT comes while "Exit Program?" is open, the others with
            // nothing open.
            if (signal == SIGINT) {
                PostMessage(game.window, WM_CLOSE, 0, 0);
                hands.Pause();
            }
            ::kill(::getpid(), signal);
        });
        EXPECT_TRUE(ended);
        EXPECT_EQ(TerminationSignals::Received(), signal);
        EXPECT_TRUE(game.messages.empty());
        EXPECT_EQ(fs::file_size(folder / "Defaults.preset"), 268u);
        const std::vector<uint8_t> prefs = ReadBytes(folder / "VRPREFS.DAT");
        ASSERT_EQ(prefs.size(), 28u);
        EXPECT_EQ(Word(prefs, 24), 21);
    }
}

TEST_F(ExitTest, TheMasterVolumeAndAnOutOfRangeRateComeBackInRange) {
    WriteWords(folder / "VRPREFS.DAT", {12, 42, 48, 140, 4, 0, 17});
    {
        HeadlessGame game;
        ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
        EXPECT_EQ(ReadMasterVolume(), 17);
        EXPECT_EQ(game.configuration.volumeKnob.GetValue(), 17);
        EXPECT_EQ(SampleRateIndex(), 5);
        SetMasterVolume(40);
        game.Shutdown();
    }
    const std::vector<uint8_t> prefs = ReadBytes(folder / "VRPREFS.DAT");
    ASSERT_EQ(prefs.size(), 28u);
    EXPECT_EQ(Word(prefs, 4), 5);
    EXPECT_EQ(Word(prefs, 24), 40);
    SetMasterVolume(64);
}

TEST_F(ExitTest, WithThePowerOffTheWayBackToConfigurationStaysOpen) {
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    SetPower(1);
    ASSERT_TRUE(IsAudioRunning());
    game.ShowArea(kAreaMetronome);
    SetPower(0);  // an audio error, say
    auto key = [&](uint32_t vk) {
        // Enter, ready to answer a message box.
        PostMessage(game.window, WM_KEYDOWN, VK_RETURN, 0);
        PostMessage(game.window, WM_KEYUP, VK_RETURN, 0);
        game.HandleInput(WM_KEYDOWN, vk, 0);
        Message left;
        while (PeekMessage(&left, true)) {
        }
    };
    key(VK_RIGHT);
    EXPECT_EQ(game.currentArea, kAreaMetronome);
    ASSERT_EQ(game.messages.size(), 1u);
    EXPECT_EQ(game.messages[0].rfind(std::string(kPowerOnFirstTitle) + "|", 0), 0u);
    key(VK_LEFT);
    EXPECT_EQ(game.currentArea, kAreaConfiguration);
    EXPECT_EQ(game.messages.size(), 1u);

    SetPower(1);
    game.ShowArea(kAreaPresets);
    SetPower(0);
    key(VK_LEFT);
    EXPECT_EQ(game.currentArea, kAreaConfiguration);
    key(VK_RIGHT);  // and from Configuration the lock holds
    EXPECT_EQ(game.currentArea, kAreaConfiguration);
    EXPECT_EQ(game.messages.size(), 2u);
}

}  // namespace
}  // namespace ampliro
