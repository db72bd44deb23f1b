// The JACK MIDI path end to end against a private `jackd -d dummy`: a
// controller client of the test's own plays into "Ampliro:midi_in"; the
// session's process callback passes the events whole to the inbox, and the
// whole program, playing through JACK, answers them.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "jack_midi_sender.h"
#include "jack_test_server.h"
#include "platform/audio/jack/jack_audio.h"
#include "platform/audio/jack/jack_session.h"
#include "tests/app/game_harness.h"
#include "tests/app/midi/preset_files.h"
#include "tests/wait_for.h"

namespace ampliro {
namespace {

using test::WaitFor;

using namespace testing;

std::vector<uint8_t> TakeAll(MidiInbox& inbox) {
    std::vector<uint8_t> bytes;
    uint8_t chunk[512];
    for (size_t n = inbox.Take(chunk, sizeof chunk); n > 0; n = inbox.Take(chunk, sizeof chunk))
        bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

TEST(JackMidiSessionTest, EventsReachTheInboxWholeAndInOrderAndAFullInboxDropsWholeEvents) {
    JackTestServer server(48000, 64);
    ASSERT_TRUE(server.Start()) << server.Log();
    std::unique_ptr<JackSession> session;
    std::string error;
    ASSERT_EQ(JackSession::Open(48000, session, error), kWaveOk) << error;
    EXPECT_EQ(session->MidiPortName(), "Ampliro:midi_in");
    MidiInbox inbox;
    session->SetMidiInbox(&inbox);
    ASSERT_EQ(session->Start(), kWaveOk);
    JackMidiSender controller;
    ASSERT_TRUE(controller.Open());
    ASSERT_TRUE(controller.ConnectTo(session->MidiPortName()));

    // A program change, a SysEx and a control change, in one cycle or more.
    // The dummy server on a busy machine may now and then lose a cycle
    // between two clients (a server xrun, no client's doing): the first of
    // five takes that arrived in full is compared.
    const std::vector<uint8_t> expected = {0xC3, 0x02, 0xF0, 0x7E, 0x7F, 0x06,
                                           0x01, 0xF7, 0xB3, 0x50, 0x7F};
    std::vector<uint8_t> got;
    for (int take = 0; take < 5 && got.size() != expected.size(); ++take) {
        got.clear();
        controller.Send({0xC3, 0x02});
        controller.Send({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
        controller.Send({0xB3, 0x50, 0x7F});
        WaitFor(
            [&] {
                const std::vector<uint8_t> more = TakeAll(inbox);
                got.insert(got.end(), more.begin(), more.end());
                return got.size() >= expected.size();
            },
            1000);
    }
    EXPECT_EQ(got, expected);

    // Control changes while nobody empties the inbox, until one finds it
    // full: it then holds whole events only, in order (1365 of three bytes
    // fit in 4096), and counts the rest as dropped.
    const uint32_t droppedBefore = inbox.Dropped();
    for (int sent = 0; inbox.Dropped() == droppedBefore && sent < 6000;) {
        for (int k = 0; k < 100; ++k, ++sent)
            controller.Send(
                {0xB0, static_cast<uint8_t>(sent % 128), static_cast<uint8_t>(sent / 128)});
        ASSERT_TRUE(WaitFor([&] { return controller.Sent(); }, 10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    got = TakeAll(inbox);
    ASSERT_EQ(got.size(), 1365u * 3);
    int previous = -1;
    for (size_t i = 0; i < 1365; ++i) {
        ASSERT_EQ(got[3 * i], 0xB0) << i;
        const int number = got[3 * i + 1] + 128 * got[3 * i + 2];
        ASSERT_GT(number, previous) << i;
        previous = number;
    }
    const uint32_t dropped = inbox.Dropped() - droppedBefore;
    EXPECT_GE(dropped, 1u);
    EXPECT_LE(dropped, 100u);
    // Once emptied, the inbox takes events again.
    got.clear();
    for (int take = 0; take < 5 && got.size() != 2; ++take) {
        got.clear();
        controller.Send({0xC0, 0x05});
        WaitFor(
            [&] {
                const std::vector<uint8_t> more = TakeAll(inbox);
                got.insert(got.end(), more.begin(), more.end());
                return got.size() >= 2;
            },
            1000);
    }
    EXPECT_EQ(got, (std::vector<uint8_t>{0xC0, 0x05}));

    controller.Close();
    session->Stop();
    session.reset();
    server.Stop();
}

class JackMidiGameTest : public GameTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start()) << server.Log();
        GameTest::SetUp();
        SetAudioBackend(&jack);
    }
    void TearDown() override {
        GameTest::TearDown();
        server.Stop();
    }

    // The program's default rate, 44100 Hz, so that On/Off plays on JACK.
    JackTestServer server{44100, 64};
    JackAudioBackend jack;
};

TEST_F(JackMidiGameTest, AControllerOnTheGraphPlaysTheProgram) {
    WriteTwoPresets(folder);
    HeadlessGame game;
    ASSERT_NE(game.CreateMainWindow(nullptr), nullptr);
    std::string portName;
    bool connected = false, leadLoaded = false, pedalsOn = false, metronomeRan = false;
    bool recorded = false, stopped = false;
    const bool ended = RunWithPerson(game, [&](Hands& hands) {
        hands.Pause(600);
        hands.Key(VK_RETURN);  // the introduction
        hands.Tap(35, 84);     // the On/Off switch
        if (!WaitFor([&] { return jack.Session() != nullptr && IsAudioRunning(); })) return;
        portName = jack.Session()->MidiPortName();
        JackMidiSender controller;
        connected = controller.Open() && controller.ConnectTo(portName);
        if (!connected) return;

        // Every command here may be repeated without harm, so a message
        // lost with a server cycle (see above) is simply sent again.
        auto sendUntil = [&](std::vector<std::vector<uint8_t>> events,
                             const std::function<bool()>& done) {
            for (int take = 0; take < 5; ++take) {
                for (const std::vector<uint8_t>& event : events) controller.Send(event);
                if (WaitFor(done, 1500)) return true;
            }
            return false;
        };
        leadLoaded = sendUntil({{0xC0, 0x01}}, [&] {  // the second preset
            return std::string(game.presets.CurrentPreset()) == (folder / "lead.preset").string() &&
                   game.pedals.overdrive.drive == 60;
        });
        // Two switches in one cycle, on another channel.
        pedalsOn = sendUntil({{0xB9, 85, 127}, {0xB9, 86, 127}}, [&] {
            return game.pedals.delay.enabled.load() == 1 && game.pedals.reverb.enabled.load() == 1;
        });
        metronomeRan =
            sendUntil({{0xB0, 89, 127}}, [&] { return game.metronome.Engine().Running(); });
        recorded = sendUntil({{0xB0, 89, 0}, {0xB0, 102, 127}},
                             [&] { return game.recorder.Engine().DataEnd() > 4 + 2 * 4410; });
        stopped = sendUntil({{0xB0, 104, 127}, {0xB0, 104, 0}}, [&] {
            return game.recorder.Engine().State() == kRecorderStopped &&
                   !game.metronome.Engine().Running();
        });
        controller.Close();
        hands.Key(VK_SHIFT);   // the exit key
        hands.Key(VK_RETURN);  // "Exit Program?" Yes
        hands.Key(VK_RETURN);  // "Delete Recording?" opens on No
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(portName, "Ampliro:midi_in");
    EXPECT_TRUE(connected);
    EXPECT_TRUE(leadLoaded);
    EXPECT_TRUE(pedalsOn);
    EXPECT_TRUE(metronomeRan);
    EXPECT_TRUE(recorded) << "a tenth of a second of the take reaches RECORD.DAT";
    EXPECT_TRUE(stopped);
    EXPECT_EQ(Word(ReadBytes(folder / "RECORD.DAT"), 0), 44100);
}

}  // namespace
}  // namespace ampliro
