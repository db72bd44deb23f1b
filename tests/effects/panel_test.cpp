#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effects/pedalboard.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

std::vector<Widget*> Children(const Effect& fx) {
    std::vector<Widget*> out;
    for (Widget* c = fx.firstChild; c; c = c->nextSibling) out.push_back(c);
    return out;
}

int Command(Effect& fx, uint32_t id, uint32_t code = kNotifyKnobTurned) {
    return fx.HandleMessage(WM_COMMAND, MakeCommand(id, code), 0);
}

TEST(PanelTest, FourKnobPedalBuildsItsControlsInOrder) {
    DelayPedal d;
    d.Init(44100, 4);
    const std::vector<Widget*> c = Children(d);
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[0], &d.levelSlider);
    EXPECT_EQ(c[1], &d.powerLamp);
    EXPECT_EQ(c[2], &d.peakLamp);
    EXPECT_EQ(c[3], &d.footSwitch);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c[4 + i], &d.knobs[i]);
    // Without pictures a knob is a 40-pixel square centred on its point.
    EXPECT_EQ(d.knobs[0].x, 91);
    EXPECT_EQ(d.knobs[0].y, 21);
    EXPECT_EQ(d.knobs[3].x, 166);
    EXPECT_EQ(d.knobs[3].y, 93);
    EXPECT_EQ(d.knobs[0].maximum, 3000);
    EXPECT_EQ(d.knobs[0].GetValue(), 500);
    EXPECT_EQ(d.knobs[3].id, 5);
    EXPECT_EQ(d.levelSlider.GetPosition(), 16);
    EXPECT_EQ(d.footSwitch.id, kFootSwitchId);
    EXPECT_STREQ(d.powerLamp.caption, "#FFFFFFPower");

    d.Init(44100, 4);  // rebuilt, not appended
    EXPECT_EQ(Children(d).size(), 8u);
}

TEST(PanelTest, OverdriveHasNoSliderAndNoPeakLamp) {
    OverdrivePedal od;
    od.Init(44100, 0);
    const std::vector<Widget*> c = Children(od);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(c[0], &od.powerLamp);
    EXPECT_EQ(c[1], &od.footSwitch);
    EXPECT_EQ(od.knobs[0].id, 1);
    EXPECT_EQ(od.knobs[2].x, 50 - 20);
}

TEST(PanelTest, CommandsFollowTheControlsWhateverTheNotification) {
    DelayPedal d;
    d.Init(44100, 4);
    d.knobs[0].SetValue(1000);
    Command(d, 2);
    EXPECT_EQ(d.delayMs, 1000);
    d.knobs[2].SetValue(10);
    Command(d, 4, kNotifyKnobReleased);
    EXPECT_EQ(d.cutoff, 10);
    d.levelSlider.SetPosition(0);
    Command(d, 1, kScrollDragged);
    EXPECT_EQ(d.level, 64);

    const int32_t mixBefore = d.mix;
    Command(d, 33);  // unknown id
    EXPECT_EQ(d.mix, mixBefore);
    EXPECT_EQ(d.delayMs, 1000);
}

TEST(PanelTest, FootswitchTogglesThePedalAndItsPowerLamp) {
    TremoloPedal t;
    t.Init(44100, 8);
    EXPECT_EQ(t.powerLamp.style, 0u);
    Command(t, kFootSwitchId, 0);
    EXPECT_EQ(t.enabled, 1);
    EXPECT_EQ(t.powerLamp.style, kButtonOn);
    Command(t, kFootSwitchId, 7);
    EXPECT_EQ(t.enabled, 0);
    EXPECT_EQ(t.powerLamp.style, 0u);
    t.enabled = 1;
    t.Init(44100, 8);  // a pedal that was on stays on, lamp lit
    EXPECT_EQ(t.powerLamp.style, kButtonOn);
}

TEST(PanelTest, PenMessagesStopAtThePedal) {
    ChorusPedal c;
    c.Init(44100, 2);
    const int32_t speedBefore = c.knobs[0].GetValue();
    for (uint32_t m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) {
        EXPECT_EQ(c.HandleMessage(m, 0, PackPoint(111, 41)), 0);
    }
    EXPECT_EQ(c.knobs[0].GetValue(), speedBefore);
}

TEST(PanelTest, PeakLampShowsTheIndicatorWhenPainted) {
    GraphicEqPedal geq;
    geq.Init(44100, 7);
    geq.enabled = 1;
    geq.level = 64;
    for (int id = 2; id <= 8; ++id) geq.OnControl(id, 0);  // every band +10 dB
    std::vector<int16_t> loud(2000);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = (i / 20) % 2 ? 32767 : -32768;
    geq.ProcessBlock(loud.data(), static_cast<int32_t>(loud.size()));
    geq.HandleMessage(WM_PAINT, 0, 0);
    EXPECT_EQ(geq.peakLamp.style, kButtonOn);
    EXPECT_EQ(geq.peakLamp.x, 90);
}

TEST(PanelTest, GraphicEqSlidersSetTheBands) {
    GraphicEqPedal geq;
    geq.bandGain[2] = -4;
    geq.Init(44100, 7);
    ASSERT_EQ(Children(geq).size(), 11u);
    EXPECT_EQ(geq.bandSlider[2].GetPosition(), 14);
    EXPECT_EQ(geq.bandSlider[6].x, 189);
    geq.bandSlider[4].SetPosition(0);
    Command(geq, 6, kScrollReleased);
    EXPECT_EQ(geq.bandGain[4], 10);
}

TEST(PanelTest, ReverbSelectorSwapsTheFilterKnob) {
    ReverbPedal r;
    r.lpGain = 10;
    r.hpGain = 50;
    r.Init(44100, 1);
    EXPECT_EQ(r.knobs[2].GetValue(), 50);
    EXPECT_STREQ(r.filterSelector.caption, "#FFFFFFHP");
    Command(r, ReverbPedal::kFilterSelectorId, 0);
    EXPECT_EQ(r.filterIsLow, 1);
    EXPECT_EQ(r.knobs[2].GetValue(), 10);
    EXPECT_STREQ(r.filterSelector.caption, "#FFFFFFLP");
    r.knobs[2].SetValue(20);
    Command(r, 4);
    EXPECT_EQ(r.lpGain, 20);
    EXPECT_EQ(r.hpGain, 50);
    Command(r, ReverbPedal::kFilterSelectorId, 0);
    EXPECT_EQ(r.knobs[2].GetValue(), 50);
    EXPECT_STREQ(r.filterSelector.caption, "#FFFFFFHP");
    // A load: the gains are kept and the selector is back on HP.
    Command(r, ReverbPedal::kFilterSelectorId, 0);
    r.Init(44100, 1);
    EXPECT_EQ(r.filterIsLow, 0);
    EXPECT_EQ(r.knobs[2].GetValue(), 50);
    EXPECT_EQ(r.lpGain, 20);
}

TEST(PanelTest, FailedInitLeavesThePanelEmpty) {
    DelayPedal d;
    d.Init(44100, 4);
    d.Init(0, 4);  // no buffer can be sized for rate 0
    EXPECT_EQ(d.firstChild, nullptr);
}

}  // namespace
}  // namespace ampliro
