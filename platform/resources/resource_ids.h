// The program's resources by what they are. The numbers are the keys of
// the resource table (resources/CMakeLists.txt) and of the files it embeds.
#pragma once

namespace ampliro {

// Pictures, type "GIF" (JPEG data).
enum PictureResource : int {
    kSplashPicture = 2,     // none in the table: the program starts without a splash
    kTempoKnobStrip = 122,  // the metronome's large knob, 63 frames
    kTempoKnobMask = 123,
    kBlackSilverCapKnobStrip = 125,  // the pedals' four knob strips, 63 frames each
    kKnobMask = 126,                 // the mask of all four
    kAluminiumKnobStrip = 127,
    kCreamDomeKnobStrip = 129,
    kGoldCapKnobStrip = 131,
    kConfigurationPicture = 150,  // each area's background, then its square-screen form
    kConfigurationSquarePicture = 151,
    kPresetsPicture = 152,
    kPresetsSquarePicture = 153,
    kMetronomePicture = 154,
    kMetronomeSquarePicture = 155,
    kPowerSwitchPicture = 156,  // 1 x 2 cells: off, on
    kRecorderPicture = 157,
    kRecorderSquarePicture = 158,
};

// Sprite sheets and pictures, type RT_BITMAP.
enum BitmapResource : int {
    kWideArrowsBitmap = 102,
    kScrollArrowsBitmap = 103,
    kLevelThumbBitmap = 104,
    kPositionThumbBitmap = 105,
    kBandThumbBitmap = 106,
    kPresetBitmap = 109,
    kFileListBitmap = 110,  // folder and file pictures
    kLampsBitmap = 121,     // 2 x 2 cells: power green and peak red, lit and dark
    kRecorderButtonsBitmap = 124,
};

// Fonts, type SYSFONT.
enum FontResource : int {
    kCaptionFont = 1,  // captions, lists and message text
    kFixedFont = 2,
    kTitleFont = 3,
    kDigitFont = 4,
};

// The picture of a pedal is this + its PedalPicture (140..148, 170..172).
inline constexpr int kFirstPedalPicture = 140;
inline constexpr int kClickSound = 160;   // type WAVE: the metronome's click
inline constexpr int kProgramIcon = 120;  // type RT_ICON

}  // namespace ampliro
