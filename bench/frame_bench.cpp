// One full frame of the kind the program draws: the background copied into
// the back buffer, a dozen 39 x 39 knobs blended through their mask, captions
// in a tinted-mask font, and a translucent highlight.
#include <benchmark/benchmark.h>

#include <memory>

#include "display/memory_display.h"
#include "gfx/font.h"
#include "gfx/surface.h"

namespace ampliro {
namespace {

constexpr int kKnob = 39;
constexpr int kFrames = 63;

std::unique_ptr<Surface> Pattern(int32_t w, int32_t h, uint16_t seed) {
    std::unique_ptr<Surface> s(CreateSurface(w, h));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) s->Row(y)[x] = static_cast<uint16_t>(x * 31 + y * seed);
    }
    return s;
}

// A 13-pixel font of 80 glyphs 2 to 11 wide, every glyph a coverage ramp.
void MakeFont(BitmapFont& font) {
    int x = 0;
    for (int code = 32; code < 112; ++code) {
        font.offsets[code] = static_cast<uint16_t>(x);
        font.widths[code] = static_cast<uint16_t>(2 + code % 10);
        x += font.widths[code];
    }
    font.height = 13;
    font.strip = CreateSurface(x, 13);
    for (int32_t y = 0; y < 13; ++y) {
        for (int32_t i = 0; i < x; ++i)
            font.strip->Row(y)[i] = static_cast<uint16_t>((i + y) % 3 ? 28 : 0);
    }
    font.keyColour = 0;
}

void BM_FullFrame(benchmark::State& state) {
    BuildBlendTable();
    MemoryDisplay display;
    const auto background = Pattern(kScreenWidth, kScreenHeight, 7);
    const auto faces = Pattern(kKnob, kKnob * kFrames, 3);
    std::unique_ptr<Surface> mask(CreateSurface(kKnob, kKnob * kFrames));
    for (int32_t y = 0; y < mask->height; ++y) {
        for (int32_t x = 0; x < kKnob; ++x) {
            const int dx = x - kKnob / 2, dy = y % kKnob - kKnob / 2;
            mask->Row(y)[x] =
                dx * dx + dy * dy < 18 * 18 ? 31 : (dx * dx + dy * dy < 19 * 19 ? 12 : 0);
        }
    }
    BitmapFont font;
    MakeFont(font);
    int frame = 0;
    for (auto _ : state) {
        if (!display.BeginScene()) break;
        Surface* back = display.GetBackBuffer();
        CopySurface(back, background.get());
        for (int k = 0; k < 12; ++k) {
            const int step = (frame + k * 5) % kFrames;
            MaskBlit(back, 10 + (k % 4) * 56, 60 + (k / 4) * 70, kKnob, kKnob, faces.get(), 0,
                     step * kKnob, 0, step * kKnob, mask.get());
            DrawColourText(&font, back, 10 + (k % 4) * 56, 102 + (k / 4) * 70, "Level", 0xFFFF, 0);
        }
        DrawColourText(&font, back, -1, 8, "#FFFF00Digital Delay #FFFFFFon", 0xFFFF, 0);
        DrawColourText(&font, back, -1, 280, "Feedback 45%\rMix 30%", 0xC618, 0);
        FillRect(back, 0, 296, 239, 319, 0x0000, 16);
        display.Present(0);
        ++frame;
        benchmark::DoNotOptimize(back->pixels);
    }
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ampliro

BENCHMARK_MAIN();
