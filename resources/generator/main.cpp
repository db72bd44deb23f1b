// Builds every picture, font and sound of the program into one folder:
//   ampliro_artwork <DejaVu font folder> <output folder>
// The output is the same, byte for byte, on every run.
#include <cstdio>
#include <map>
#include <string>

#include "resources/generator/click.h"
#include "resources/generator/encoders.h"
#include "resources/generator/fonts.h"
#include "resources/generator/knobs.h"
#include "resources/generator/pedals.h"
#include "resources/generator/preview.h"
#include "resources/generator/screens.h"
#include "resources/generator/sprites.h"

using namespace ampliro::art;

namespace {

// Pictures keep their detail at these qualities; the masks are stored at
// full quality so that their zero background decodes as exactly zero.
constexpr int kPictureQuality = 92;
constexpr int kKnobQuality = 95;
constexpr int kMaskQuality = 100;

class Output {
  public:
    explicit Output(std::string folder) : folder_(std::move(folder)) {}
    bool ok = true;

    void Put(const std::string& name, const Bytes& bytes) {
        if (!WriteFile(folder_ + "/" + name, bytes)) {
            std::fprintf(stderr, "ampliro_artwork: cannot write %s/%s\n", folder_.c_str(),
                         name.c_str());
            ok = false;
        }
    }
    void Jpeg(int number, const Canvas& c, int quality) {
        Put("gif_" + std::to_string(number) + ".jpg", EncodeJpeg(c, quality));
    }
    void Bitmap(int number, const Canvas& c) {
        Put("bitmap_" + std::to_string(number) + ".bmp", EncodeBmp24(c));
    }

  private:
    std::string folder_;
};

Canvas FontPicture(const FontStrip& strip) {
    Canvas c(strip.width, strip.height);
    for (int y = 0; y < strip.height; ++y) {
        for (int x = 0; x < strip.width; ++x) {
            float v =
                static_cast<float>(strip.levels[static_cast<size_t>(y) * strip.width + x]) / 224.0f;
            c.At(x, y) = {v, v, v};
        }
    }
    return c;
}

// The first frames of a strip side by side, for the contact sheet.
Canvas FilmFrames(const Canvas& strip, int count) {
    int size = strip.Width();
    Canvas c(size * count, size);
    for (int i = 0; i < count; ++i) {
        int frame = i * 62 / (count - 1);
        c.Draw(strip.Crop(0, frame * size, size, size), i * size, 0);
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ampliro_artwork <font folder> <output folder>\n");
        return 2;
    }
    FontLibrary fonts(argv[1]);
    if (!fonts.Ok()) {
        std::fprintf(stderr, "ampliro_artwork: the DejaVu fonts are missing from %s\n", argv[1]);
        return 1;
    }
    Output out(argv[2]);

    std::map<int, Canvas> knobs;
    knobs[125] = KnobStrip(KnobStyle::BlackSilverCap);
    knobs[127] = KnobStrip(KnobStyle::Aluminium);
    knobs[129] = KnobStrip(KnobStyle::CreamDome);
    knobs[131] = KnobStrip(KnobStyle::GoldCap);
    knobs[122] = KnobStrip(KnobStyle::LargeSilver);
    Canvas mask = KnobMask(kKnobSize), largeMask = KnobMask(kLargeKnobSize);
    for (const auto& [number, strip] : knobs) out.Jpeg(number, strip, kKnobQuality);
    out.Jpeg(126, mask, kMaskQuality);
    out.Jpeg(123, largeMask, kMaskQuality);

    std::vector<Canvas> pedals;
    for (int i = 0; i < kPedalCount; ++i) {
        pedals.push_back(DrawPedal(fonts, i));
        out.Jpeg(140 + i, pedals.back(), kPictureQuality);
    }
    std::vector<Canvas> newPedals;
    for (int i = kFirstNewPedal; i < kFirstNewPedal + kNewPedalCount; ++i) {
        newPedals.push_back(DrawPedal(fonts, i));
        out.Jpeg(140 + i, newPedals.back(), kPictureQuality);
    }

    struct AreaPicture {
        Area area;
        int tall, square;
    };
    const AreaPicture areas[] = {{Area::Configuration, 150, 151},
                                 {Area::Presets, 152, 153},
                                 {Area::Metronome, 154, 155},
                                 {Area::Recorder, 157, 158}};
    std::map<int, Canvas> backgrounds;
    for (const AreaPicture& a : areas) {
        backgrounds[a.tall] = DrawAreaBackground(fonts, a.area, 320);
        backgrounds[a.square] = DrawAreaBackground(fonts, a.area, 240);
        out.Jpeg(a.tall, backgrounds[a.tall], kPictureQuality);
        out.Jpeg(a.square, backgrounds[a.square], kPictureQuality);
    }

    Canvas power = PowerSwitch();
    out.Jpeg(156, power, kPictureQuality);

    std::map<int, Canvas> bitmaps;
    bitmaps[102] = WideArrowSheet();
    bitmaps[103] = ScrollArrowSheet();
    bitmaps[104] = LevelThumb();
    bitmaps[106] = BandThumb();
    bitmaps[109] = PresetIcon();
    bitmaps[110] = FileIcons();
    bitmaps[121] = LampSheet();
    bitmaps[124] = RecorderButtons();
    for (const auto& [number, picture] : bitmaps) out.Bitmap(number, picture);
    Canvas thumb = PositionThumb();
    out.Put("bitmap_105.bmp",
            EncodeBmp8(thumb.Width(), thumb.Height(), PaletteIndices(thumb), ThumbPalette()));

    Canvas icon = ProgramIcon();
    out.Put("icon_120.bmp", EncodeBmp24(icon));

    std::vector<Canvas> fontPictures;
    FontStrip captionFont;
    for (int number = 1; number <= 4; ++number) {
        const FontSpec& spec = FontSpecFor(number);
        FontStrip strip = RenderFontStrip(fonts, spec);
        if (number == 1) captionFont = strip;
        out.Put("sysfont_" + std::to_string(number) + ".bin", EncodeFontResource(spec, strip));
        fontPictures.push_back(FontPicture(strip));
    }

    out.Put("wave_160.wav", EncodeWave(SynthesiseClick(), kClickRate));

    // Review pictures: each pedal with its controls over it, and the sheet.
    PreviewAssets assets{
        knobs, mask,         bitmaps[121], bitmaps[104], bitmaps[106],         largeMask,
        power, bitmaps[124], thumb,        captionFont,  FontSpecFor(1).glyphs};
    std::vector<Canvas> previews;
    for (int i = 0; i < kPedalCount; ++i) {
        previews.push_back(
            ComposePedalPreview(pedals[static_cast<size_t>(i)], PedalLayoutFor(i), assets, fonts));
        out.Put("preview_" + std::to_string(140 + i) + ".png", EncodePng(previews.back()));
    }
    for (int i = 0; i < kNewPedalCount; ++i) {
        Canvas preview = ComposePedalPreview(newPedals[static_cast<size_t>(i)],
                                             PedalLayoutFor(kFirstNewPedal + i), assets, fonts);
        out.Put("preview_" + std::to_string(140 + kFirstNewPedal + i) + ".png", EncodePng(preview));
    }
    std::vector<SheetItem> items;
    for (int i = 0; i < kPedalCount; ++i)
        items.push_back(
            {std::to_string(140 + i) + " with controls", &previews[static_cast<size_t>(i)], 1});
    for (int i = 0; i < kPedalCount; ++i)
        items.push_back({std::to_string(140 + i), &pedals[static_cast<size_t>(i)], 1});
    std::map<int, Canvas> screens;
    for (const auto& [number, picture] : backgrounds) {
        screens[number] = ComposeScreenPreview(picture, number, assets, fonts);
        out.Put("preview_" + std::to_string(number) + ".png", EncodePng(screens[number]));
    }
    for (const auto& [number, picture] : screens)
        items.push_back({std::to_string(number) + " with controls", &picture, 1});
    std::vector<Canvas> films;
    for (const auto& [number, strip] : knobs) films.push_back(FilmFrames(strip, 8));
    films.push_back(FilmFrames(mask, 2));
    films.push_back(FilmFrames(largeMask, 2));
    int filmNumbers[] = {122, 125, 127, 129, 131, 126, 123};
    for (size_t i = 0; i < films.size(); ++i)
        items.push_back({std::to_string(filmNumbers[i]) + " frames 0..62", &films[i], 2});
    items.push_back({"156", &power, 3});
    for (const auto& [number, picture] : bitmaps)
        items.push_back({std::to_string(number), &picture, 4});
    items.push_back({"105", &thumb, 4});
    items.push_back({"120", &icon, 4});
    for (size_t i = 0; i < fontPictures.size(); ++i)
        items.push_back({"font " + std::to_string(i + 1), &fontPictures[i], 2});
    out.Put("contact_sheet.png", EncodePng(ContactSheet(items, 2000, fonts)));
    return out.ok ? 0 : 1;
}
