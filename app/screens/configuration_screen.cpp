#include "app/screens/configuration_screen.h"

#include <algorithm>
#include <cstdio>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "effects/effect.h"
#include "platform/system/clock.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"

namespace ampliro {

namespace {

constexpr uint16_t kControlFlags = kVisible | kShowCaption;
constexpr uint16_t kLampFlags = kVisible | kDisabled | kShowCaption;
constexpr uint16_t kFaceColour = 0xBE9E;
constexpr int kLastSlot = kChainLength - 1;
constexpr int32_t kKnobRadius = 18;
constexpr uint32_t kLatencyReleasePauseMs = 250;

const char* const kRateRows[] = {"11Khz Low Quality", "22Khz Medium Quality", "44Khz High Quality",
                                 "48Khz Very High Quality", "96Khz Pro Quality"};

}  // namespace

void ConfigurationScreen::LayoutButton(Button& button, uint16_t buttonId, const char* text,
                                       int32_t left, int32_t top, int32_t w, int32_t h,
                                       uint32_t buttonStyle) {
    button.Configure(buttonId, text, left, top, w, h, buttonStyle, kFaceColour);
}

void ConfigurationScreen::Layout(const ConfigurationArtwork& artwork,
                                 ConfigurationHost* configurationHost, bool squareScreen,
                                 bool highRates) {
    host = configurationHost;
    square = squareScreen;
    pause = SleepMilliseconds;
    SetBounds(0, 0, 240, 320);
    RemoveChildren();

    // Wide enough for "48Khz Very High Quality", 117 pixels: the frame's
    // left line, 3 pixels either side of the text and the 15-pixel drop
    // button take 22 more. At 139 the open list ends at x 158, clear of the
    // buttons' outlines at 159, and the closed box of the power lamp at 165.
    constexpr int32_t kRateWidth = 139;
    const uint32_t rateColumns[1] = {kRateWidth};
    sampleRate.Init(20, 130, kRateWidth, 3, 10, artwork.font, artwork.arrows, rateColumns, 1);
    sampleRate.SetColours(0x0000, 0xFFFF, 0x0000, 0x8D7B);
    sampleRate.SetFlags(kVisible);
    sampleRate.SetCaption(kSampleRateId, "#FFFFFFSample Rate", kPlaceRight);
    rateRows = highRates ? 5 : 3;
    for (int row = 0; row < rateRows; ++row) sampleRate.list.AddRow(kRateRows[row], row, 0);
    sampleRate.list.SetSelection(SampleRateIndex() - 1);
    sampleRate.list.Refresh();

    const int listRows = square ? 4 : 9;
    effectList.SetFont(artwork.font);
    effectList.SetBounds(20, 155, 130, effectList.SetRowHeightFor(listRows));
    effectList.SetFlags(kVisible | kCanFocus);
    effectList.SetCaption(kEffectListId, "#FFFFFFEffect Order", kPlaceAbove);
    effectList.SetCapacity(kChainLength);
    const uint32_t orderColumns[2] = {80, 0x10032};
    effectList.SetColumns(2, orderColumns);
    effectList.SetStyle(kListCached);
    effectList.SetArrowSheet(artwork.arrows);

    LayoutButton(closeButton, kCloseId, "#FFFFFFx", 208, 10, 15, 14, 0x140);
    if (square) {
        LayoutButton(moveUp, kMoveUpId, "Move Up", 160, 155, 65, 22, 0x40);
        LayoutButton(moveDown, kMoveDownId, "Move Down", 160, 178, 65, 22, 0x40);
        LayoutButton(defaultOrder, kDefaultId, "Default", 160, 201, 65, 22, 0x40);
    } else {
        LayoutButton(moveUp, kMoveUpId, "#FFFFFFMove Up", 160, 155, 65, 25, 0x140);
        LayoutButton(moveDown, kMoveDownId, "#FFFFFFMove Down", 160, 185, 65, 25, 0x140);
        LayoutButton(defaultOrder, kDefaultId, "#FFFFFFDefault", 160, 215, 65, 25, 0x140);
        LayoutButton(editEffect, kEditEffectId, "#FFFFFFEdit Effect", 160, 245, 65, 25, 0x140);
        LayoutButton(onOff, kOnOffId, "#FFFFFFOn/Off", 160, 275, 65, 25, 0x140);
    }

    const bool running = AudioPowered();
    powerSwitch.SetBounds(20, 59, 30, 50);
    powerSwitch.SetFlags(kControlFlags);
    powerSwitch.SetCaption(kPowerSwitchId, "#FFFFFFOn/Off", kPlaceBelow);
    powerSwitch.SetStyle(kButtonToggle | (running ? kButtonOn : 0));
    powerSwitch.SetImage(artwork.powerSwitch, 0);

    powerLamp.SetBounds(165, 131, 15, 15);
    powerLamp.SetFlags(kLampFlags);
    powerLamp.SetCaption(kPowerLampId, "#FFFFFFPower", kPlaceRight);
    powerLamp.SetStyle(running ? kButtonOn : 0);
    powerLamp.SetImage(artwork.lamps, 0);

    const int32_t knobSize = artwork.knobStrip ? artwork.knobStrip->width : 39;
    latencyKnob.SetBounds(90, 65, knobSize, knobSize + 5);
    latencyKnob.SetFlags(kControlFlags);
    latencyKnob.SetStyle(0);
    latencyKnob.SetImages(artwork.knobStrip, artwork.knobMask);
    latencyKnob.SetRange(kMinLatency, kMaxLatency);
    latencyKnob.SetRadius(kKnobRadius);
    latencyKnob.SetValue(LatencySetting());
    latencyKnob.SetCaption(kLatencyId, latencyCaption, kPlaceBelow);

    // Three lines in the knob's place: one line would run into the volume
    // knob's caption.
    serverReadout.SetBounds(70, 65, 80, knobSize + 5);
    serverReadout.SetFlags(kDisabled | kShowCaption);
    serverReadout.SetCaption(kLatencyId, serverCaption, kPlaceInside);
    shownServerFrames = 0;

    volumeKnob.SetBounds(160, 65, knobSize, knobSize + 5);
    volumeKnob.SetFlags(kControlFlags);
    volumeKnob.SetStyle(0);
    volumeKnob.SetImages(artwork.knobStrip, artwork.knobMask);
    volumeKnob.SetRange(0, 64);
    volumeKnob.SetRadius(kKnobRadius);
    volumeKnob.SetValue(ReadMasterVolume());
    volumeKnob.SetCaption(kVolumeId, "#FFFFFFVolume", kPlaceBelow);

    AddChild(&sampleRate);
    AddChild(&effectList);
    AddChild(&closeButton);
    AddChild(&moveUp);
    AddChild(&moveDown);
    AddChild(&defaultOrder);
    if (!square) {
        AddChild(&editEffect);
        AddChild(&onOff);
    }
    AddChild(&powerSwitch);
    AddChild(&powerLamp);
    AddChild(&latencyKnob);
    AddChild(&serverReadout);
    AddChild(&volumeKnob);
    FormatLatencyCaption();
    RefreshEffectList(0);
    SetPowerView(this);
}

void ConfigurationScreen::FormatLatencyCaption() {
    std::snprintf(latencyCaption, sizeof latencyCaption, "#FFFFFFLatency %ums",
                  static_cast<unsigned>(LatencyMilliseconds()));
}

void ConfigurationScreen::FollowServerBlock(uint32_t serverFrames, uint32_t rate) {
    if (serverFrames == shownServerFrames && rate == shownServerRate) return;
    shownServerFrames = serverFrames;
    shownServerRate = rate;
    if (serverFrames == 0 || rate == 0) {
        latencyKnob.flags |= kVisible;
        serverReadout.flags &= ~kVisible;
        return;
    }
    // Tenths of a millisecond, rounded: 64 frames at 48000 Hz last 1.33 ms.
    const uint64_t tenths = (uint64_t{serverFrames} * 10000 + rate / 2) / rate;
    std::snprintf(serverCaption, sizeof serverCaption, "Server:\r%u frames,\r%u.%u ms",
                  static_cast<unsigned>(serverFrames), static_cast<unsigned>(tenths / 10),
                  static_cast<unsigned>(tenths % 10));
    latencyKnob.flags &= ~kVisible;
    serverReadout.flags |= kVisible;
}

void ConfigurationScreen::RefreshEffectList(int selected) {
    // The rows are made anew, but the list stays where the user scrolled it:
    // switching the Amp on at the bottom must not make the list jump.
    const int32_t top = effectList.topRow;
    effectList.Clear();
    for (int slot = 0; slot < kChainLength; ++slot) {
        const Effect* effect = TheEffectChain().EffectAt(slot);
        if (!effect) continue;
        char row[64];
        std::snprintf(row, sizeof row, "%s|%s", effect->name,
                      effect->enabled.load(std::memory_order_relaxed) ? "ON" : "OFF");
        effectList.AddRow(row, effect->effectKey.load(std::memory_order_relaxed), 0);
    }
    effectList.Refresh();
    effectList.topRow =
        std::clamp(top, 0, std::max(effectList.RowCount() - effectList.visibleRows, 0));
    effectList.SetSelection(selected);
}

void ConfigurationScreen::CloseSampleRateList() {
    if (sampleRate.IsOpen()) sampleRate.Close();
}

void ConfigurationScreen::ShowPower(bool on) {
    if (on) {
        powerSwitch.AddStyle(kButtonOn);
        powerLamp.AddStyle(kButtonOn);
    } else {
        powerSwitch.RemoveStyle(kButtonOn);
        powerLamp.RemoveStyle(kButtonOn);
    }
}

int ConfigurationScreen::Selected() const {
    return effectList.GetSelection();
}

void ConfigurationScreen::ToggleSelectedEffect() {
    const int slot = Selected();
    Effect* effect = TheEffectChain().EffectAt(slot);
    if (!effect) return;
    effect->HandleMessage(WM_COMMAND, MakeCommand(kEffectFootswitchId, 0), 0);
    RefreshEffectList(slot);
}

void ConfigurationScreen::OnLatencyReleased(int32_t value) {
    if (AudioPowered()) SetPower(0);
    if (pause) pause(kLatencyReleasePauseMs);
    // The format is rebuilt at the old latency first, then the new one is
    // applied on top, exactly as a turn would.
    ApplySampleRate(SampleRateIndex());
    SetLatencySetting(value);
    ApplyLatency();
    FormatLatencyCaption();
}

void ConfigurationScreen::OnSampleRateChosen() {
    const int row = sampleRate.list.GetSelection();
    if (row < 0 || row >= rateRows) return;
    if (AudioPowered()) SetPower(0);
    ApplySampleRate(row + 1);
    FormatLatencyCaption();
}

void ConfigurationScreen::OnCommand(uint16_t control, uint32_t code, uintptr_t lParam) {
    const int slot = Selected();
    switch (control) {
        case kPowerSwitchId:
            SetPower(powerSwitch.HasStyle(kButtonOn) ? 1 : 0);
            break;
        case kLatencyId:
            if (code == kNotifyKnobTurned) {
                SetLatencySetting(static_cast<int32_t>(lParam));
                ApplyLatency();
                FormatLatencyCaption();
            } else if (code == kNotifyKnobReleased) {
                OnLatencyReleased(static_cast<int32_t>(lParam));
            }
            break;
        case kVolumeId:
            SetMasterVolume(volumeKnob.GetValue());
            break;
        case kMoveUpId:
            if (slot > 0) {
                MoveEffectUp(slot);
                RefreshEffectList(slot - 1);
            }
            break;
        case kMoveDownId:
            if (slot >= 0 && slot < kLastSlot) {
                MoveEffectDown(slot);
                RefreshEffectList(slot + 1);
            }
            break;
        case kEffectListId:
            if (code == kListSelectionChanged && host && slot >= 0)
                host->SelectEffectSlot(slot);
            else if (code == kListDoubleTap)
                HandleMessage(WM_COMMAND, MakeCommand(kOnOffId, 0), 0);
            break;
        case kDefaultId:
            RestoreDefaultOrder();
            RefreshEffectList(0);
            break;
        case kEditEffectId:
            if (slot < 0 || !host) break;
            host->SelectEffectSlot(slot);
            if (!AudioPowered())
                host->ShowMessage(kPowerOnFirstTitle, kPowerOnFirstText, kMessageKindOk);
            else
                host->OpenEffect(slot);
            break;
        case kOnOffId:
            ToggleSelectedEffect();
            break;
        case kCloseId:
            if (CurrentDesktop && CurrentDesktop->window)
                PostMessage(CurrentDesktop->window, WM_CLOSE, 0, 0);
            break;
        case kSampleRateId:
            if (code == kListSelectionChanged) OnSampleRateChosen();
            break;
        default:
            break;
    }
}

int ConfigurationScreen::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND)
        OnCommand(static_cast<uint16_t>(wParam & 0xFFFF), static_cast<uint32_t>(wParam >> 16),
                  lParam);
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
