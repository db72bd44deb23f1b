#include "app/screens/configuration_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/stream.h"
#include "tests/ui/screen_fixture.h"

namespace ampliro {
namespace {

using testing::ScreenFixture;

// A pedal whose footswitch command flips it, as every pedal's panel does.
class FakePedal : public Effect {
  public:
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        if (message == WM_COMMAND && (wParam & 0xFFFF) == 12) {
            ++footswitchCommands;
            enabled.store(enabled.load() ? 0 : 1);
        }
        return DefaultProc(message, wParam, lParam);
    }
    int footswitchCommands = 0;
};

struct StreamRecord {
    int openResult = 0;
    bool running = false;
    int opens = 0;
    int closes = 0;
} stream;
int32_t Open() {
    ++stream.opens;
    stream.running = stream.openResult == 0;
    return stream.openResult;
}
void Close() {
    ++stream.closes;
    stream.running = false;
}
bool Running() {
    return stream.running;
}
const PowerStream kStream{Open, Close, Running};
std::vector<std::string> audioErrors;
void RecordError(const char*, const char* text) {
    audioErrors.push_back(text);
}
std::vector<uint32_t> pauses;
void RecordPause(uint32_t ms) {
    pauses.push_back(ms);
}

class Host : public ConfigurationHost {
  public:
    int ShowMessage(const char* title, const char* text, int kind) override {
        messages.push_back(std::string(title) + "|" + text + "|" + std::to_string(kind));
        return 1;
    }
    void SelectEffectSlot(int slot) override { selected.push_back(slot); }
    void OpenEffect(int slot) override { opened.push_back(slot); }
    std::vector<std::string> messages;
    std::vector<int> selected;
    std::vector<int> opened;
};

class ConfigurationScreenBase : public ::testing::Test {
  protected:
    explicit ConfigurationScreenBase(bool square) {
        stream = StreamRecord();
        audioErrors.clear();
        pauses.clear();
        SetPowerStream(&kStream);
        SetAudioErrorSink(RecordError);
        Effect* byKey[kChainLength];
        const char* names[kChainLength] = {
            "Overdrive",     "Digital Reverb", "Chorus",        "Pitch Shifter",
            "Digital Delay", "Phase Shifter",  "Parametric EQ", "Graphic EQ",
            "Tremolo",       "Noise Gate",     "Amp",           "Cabinet"};
        for (int k = 0; k < kChainLength; ++k) {
            pedals[k].name = names[k];
            pedals[k].effectKey = k;
            byKey[k] = &pedals[k];
        }
        SetChainEffects(byKey);
        RestoreDefaultOrder();
        SetLatencySetting(12);
        ApplySampleRate(3);
        ConfigurationArtwork art;
        art.font = &fx.font;
        configuration.Layout(art, &host, square, false);
        configuration.pause = RecordPause;
        fx.desktop.AddChild(&configuration);
    }
    ~ConfigurationScreenBase() override {
        SetPowerView(nullptr);
        SetPowerStream(nullptr);
        SetAudioErrorSink(nullptr);
        Effect* none[kChainLength] = {};
        SetChainEffects(none);
    }
    void Command(uint16_t control, uint32_t code = 0, uintptr_t lParam = 0) {
        configuration.HandleMessage(WM_COMMAND, MakeCommand(control, code), lParam);
    }
    std::string Row(int i) { return configuration.effectList.Row(i)->text; }
    std::vector<int32_t> Order() {
        int32_t keys[kChainLength];
        GetChainOrder(keys);
        return std::vector<int32_t>(keys, keys + kChainLength);
    }
    // Clicks the power switch the way the pen does: flip, then notify.
    void ClickPowerSwitch() {
        configuration.powerSwitch.ToggleChecked();
        Command(ConfigurationScreen::kPowerSwitchId, 0,
                reinterpret_cast<uintptr_t>(&configuration.powerSwitch));
    }
    bool ShowsOn() {
        return configuration.powerSwitch.HasStyle(kButtonOn) &&
               configuration.powerLamp.HasStyle(kButtonOn);
    }
    bool ShowsOff() {
        return !configuration.powerSwitch.HasStyle(kButtonOn) &&
               !configuration.powerLamp.HasStyle(kButtonOn);
    }

    ScreenFixture fx;
    FakePedal pedals[kChainLength];
    Host host;
    ConfigurationScreen configuration;
};

// Both layouts: the parameter is true for the square screen.
class ConfigurationScreenTest : public ::testing::WithParamInterface<bool>,
                                public ConfigurationScreenBase {
  protected:
    ConfigurationScreenTest() : ConfigurationScreenBase(GetParam()) {}
};

// What only the tall layout has: the Edit Effect and On/Off buttons.
class TallConfigurationScreenTest : public ConfigurationScreenBase {
  protected:
    TallConfigurationScreenTest() : ConfigurationScreenBase(false) {}
};

TEST_P(ConfigurationScreenTest, ListsTheChainWithOnOffStates) {
    ASSERT_EQ(configuration.effectList.RowCount(), 12);
    EXPECT_EQ(Row(0), "Noise Gate|OFF");
    EXPECT_EQ(Row(1), "Overdrive|OFF");
    EXPECT_EQ(Row(2), "Parametric EQ|OFF");
    EXPECT_EQ(Row(9), "Graphic EQ|OFF");
    EXPECT_EQ(Row(10), "Amp|OFF");
    EXPECT_EQ(Row(11), "Cabinet|OFF");
    EXPECT_EQ(configuration.effectList.Row(2)->data, kKeyParametricEq);
    EXPECT_EQ(configuration.effectList.Row(11)->data, kKeyCabinet);
    EXPECT_EQ(configuration.effectList.GetSelection(), 0);
    EXPECT_STREQ(configuration.LatencyCaption(), "#FFFFFFLatency 20ms");
    EXPECT_EQ(configuration.sampleRate.list.RowCount(), 3);  // no 48 or 96 kHz
    EXPECT_EQ(configuration.sampleRate.list.GetSelection(), 2);
}

TEST_P(ConfigurationScreenTest, BothLayouts) {
    const bool square = GetParam();
    int children = 0;
    bool hasEditEffect = false;
    for (Widget* c = configuration.firstChild; c; c = c->nextSibling) {
        ++children;
        hasEditEffect |= c == &configuration.editEffect;
    }
    EXPECT_EQ(children, square ? 11 : 13);  // with the server readout, hidden
    EXPECT_EQ(hasEditEffect, !square);
    EXPECT_EQ(configuration.moveDown.y, square ? 178 : 185);
    EXPECT_EQ(configuration.defaultOrder.height, square ? 22 : 25);
    EXPECT_EQ(configuration.effectList.height,
              (square ? 4 : 9) * configuration.effectList.rowHeight + 2);
    EXPECT_EQ(configuration.moveUp.style, square ? 0x40u : 0x140u);
    EXPECT_EQ(configuration.latencyKnob.GetValue(), 12);
    EXPECT_EQ(configuration.powerLamp.flags, kVisible | kDisabled | kShowCaption);
}

TEST_P(ConfigurationScreenTest, MovesAtBothEndsChangeNothing) {
    const std::vector<int32_t> before = Order();
    Command(ConfigurationScreen::kMoveUpId);
    EXPECT_EQ(Order(), before);
    EXPECT_EQ(configuration.effectList.GetSelection(), 0);
    configuration.effectList.SetSelection(11);
    Command(ConfigurationScreen::kMoveDownId);
    EXPECT_EQ(Order(), before);
    EXPECT_EQ(configuration.effectList.GetSelection(), 11);

    Command(ConfigurationScreen::kMoveUpId);  // Cabinet above Amp
    EXPECT_EQ(Order()[10], kKeyCabinet);
    EXPECT_EQ(Order()[11], kKeyAmp);
    EXPECT_EQ(configuration.effectList.GetSelection(), 10);
    EXPECT_EQ(Row(10), "Cabinet|OFF");
    configuration.effectList.SetSelection(0);
    Command(ConfigurationScreen::kMoveDownId);  // Noise Gate below Overdrive
    EXPECT_EQ(Order()[0], kKeyOverdrive);
    EXPECT_EQ(Order()[1], kKeyNoiseGate);
    EXPECT_EQ(configuration.effectList.GetSelection(), 1);

    Command(ConfigurationScreen::kDefaultId);
    EXPECT_EQ(Order(), before);
    EXPECT_EQ(configuration.effectList.GetSelection(), 0);
}

TEST_P(ConfigurationScreenTest, DoubleTapSwitchesThatEffectAndKeepsTheSelection) {
    configuration.effectList.SetSelection(4);
    Command(ConfigurationScreen::kEffectListId, kListSelectionChanged);
    EXPECT_EQ(host.selected, std::vector<int>{4});
    Command(ConfigurationScreen::kEffectListId, kListDoubleTap);
    EXPECT_EQ(pedals[kKeyPhaser].footswitchCommands, 1);
    EXPECT_EQ(Row(4), "Phase Shifter|ON");
    EXPECT_EQ(configuration.effectList.GetSelection(), 4);
    Command(ConfigurationScreen::kEffectListId, kListDoubleTap);
    EXPECT_EQ(Row(4), "Phase Shifter|OFF");
    // Scrolled to the end, the Amp switched: the list stays where it was.
    configuration.effectList.SetSelection(11);
    const int32_t top = configuration.effectList.topRow;
    configuration.effectList.SetSelection(10);
    Command(ConfigurationScreen::kEffectListId, kListDoubleTap);
    EXPECT_EQ(pedals[kKeyAmp].footswitchCommands, 1);
    EXPECT_EQ(Row(10), "Amp|ON");
    EXPECT_EQ(configuration.effectList.topRow, top);
}

TEST_P(ConfigurationScreenTest, PowerSwitchDrivesTheStreamAndAFailedOpenShowsOff) {
    ClickPowerSwitch();
    EXPECT_EQ(stream.opens, 1);
    EXPECT_TRUE(ShowsOn());
    ClickPowerSwitch();
    EXPECT_EQ(stream.closes, 1);
    EXPECT_TRUE(ShowsOff());

    stream.openResult = 3;
    ClickPowerSwitch();
    EXPECT_EQ(stream.opens, 2);
    EXPECT_TRUE(ShowsOff());
    ASSERT_EQ(audioErrors.size(), 1u);
    EXPECT_NE(audioErrors[0].find("input device"), std::string::npos);
}

TEST_P(ConfigurationScreenTest, LatencyTurnsUpdateTheCaptionAndReleasePowersOff) {
    ClickPowerSwitch();
    ASSERT_TRUE(ShowsOn());
    Command(ConfigurationScreen::kLatencyId, kNotifyKnobTurned, 1);
    EXPECT_EQ(LatencySetting(), 1);
    EXPECT_STREQ(configuration.LatencyCaption(), "#FFFFFFLatency 4ms");  // 192 bytes at 44100
    EXPECT_TRUE(stream.running);  // turning alone keeps the audio on
    Command(ConfigurationScreen::kLatencyId, kNotifyKnobReleased, 50);
    EXPECT_FALSE(stream.running);
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(pauses, std::vector<uint32_t>{250});
    EXPECT_EQ(LatencySetting(), 50);
    EXPECT_EQ(StreamBufferSize(), 52u * 64);
    EXPECT_STREQ(configuration.LatencyCaption(), "#FFFFFFLatency 75ms");

    // Released with the power off: the pause still comes, nothing opens.
    Command(ConfigurationScreen::kLatencyId, kNotifyKnobReleased, 12);
    EXPECT_EQ(pauses.size(), 2u);
    EXPECT_EQ(stream.opens, 1);
}

// On JACK the server's period is the block: the knob, which could only add
// delay, makes way for the server's figures, and comes back with the saved
// setting when the server no longer sets the block.
TEST_P(ConfigurationScreenTest, OnAServerTheKnobMakesWayForTheServersBlock) {
    const struct {
        uint32_t frames, rate;
        const char* text;
    } rows[] = {{64, 48000, "Server:\r64 frames,\r1.3 ms"},
                {256, 48000, "Server:\r256 frames,\r5.3 ms"},
                {1024, 44100, "Server:\r1024 frames,\r23.2 ms"},
                {16, 96000, "Server:\r16 frames,\r0.2 ms"}};
    for (const auto& row : rows) {
        configuration.FollowServerBlock(row.frames, row.rate);
        EXPECT_STREQ(configuration.serverReadout.caption, row.text);
        EXPECT_FALSE(configuration.latencyKnob.flags & kVisible);
        EXPECT_TRUE(configuration.serverReadout.flags & kVisible);
    }
    configuration.FollowServerBlock(0, 48000);
    EXPECT_TRUE(configuration.latencyKnob.flags & kVisible);
    EXPECT_FALSE(configuration.serverReadout.flags & kVisible);
    EXPECT_EQ(LatencySetting(), 12);
    EXPECT_STREQ(configuration.LatencyCaption(), "#FFFFFFLatency 20ms");
}

TEST_P(ConfigurationScreenTest, SampleRateChoicePowersOffAndApplies) {
    ClickPowerSwitch();
    configuration.sampleRate.list.SetSelection(0);
    Command(ConfigurationScreen::kSampleRateId, kListSelectionChanged,
            reinterpret_cast<uintptr_t>(&configuration.sampleRate));
    EXPECT_EQ(SampleRateIndex(), 1);
    EXPECT_EQ(SampleRate(), 11025);
    EXPECT_EQ(StreamBufferSize(), 14u * 16);
    EXPECT_TRUE(ShowsOff());
    EXPECT_FALSE(stream.running);
    EXPECT_STREQ(configuration.LatencyCaption(), "#FFFFFFLatency 20ms");
}

TEST_F(TallConfigurationScreenTest, EditEffectNeedsThePowerOn) {
    configuration.effectList.SetSelection(5);
    Command(ConfigurationScreen::kEditEffectId);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], std::string(kPowerOnFirstTitle) + "|" + kPowerOnFirstText + "|4");
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.selected, std::vector<int>{5});

    ClickPowerSwitch();
    Command(ConfigurationScreen::kEditEffectId);
    EXPECT_EQ(host.opened, std::vector<int>{5});
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_P(ConfigurationScreenTest, CloseAsksTheWindowToClose) {
    fx.Drain();
    Command(ConfigurationScreen::kCloseId);
    const auto posted = fx.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_CLOSE);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConfigurationScreenTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Square" : "Tall"; });

TEST(ConfigurationScreenRatesTest, HighRatesAddFortyEightAndNinetySix) {
    ScreenFixture fx;
    ConfigurationScreen configuration;
    ConfigurationArtwork art;
    art.font = &fx.font;
    configuration.Layout(art, nullptr, false, true);
    ASSERT_EQ(configuration.sampleRate.list.RowCount(), 5);
    EXPECT_EQ(configuration.sampleRate.list.Row(4)->text, "96Khz Pro Quality");
    SetPowerView(nullptr);
}

}  // namespace
}  // namespace ampliro
