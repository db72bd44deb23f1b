// One frame of a screen of widgets painted onto the memory display: the cost
// the frame loop pays 20 times a second on top of the background copy.
#include <benchmark/benchmark.h>

#include <memory>

#include "display/memory_display.h"
#include "gfx/surface.h"
#include "ui/button.h"
#include "ui/desktop.h"
#include "ui/knob.h"
#include "ui/list_box.h"
#include "ui/scroll_bar.h"

namespace {

using namespace ampliro;

void BM_RenderWidgetScreen(benchmark::State& state) {
    BuildBlendTable();
    MemoryDisplay display(240, 320);
    Desktop desktop;
    desktop.Attach(&display, nullptr);
    std::unique_ptr<Surface> background(CreateSurface(240, 320));
    Clear(background.get(), 0x18E3);
    std::unique_ptr<Surface> strip(CreateSurface(39, 39 * 63)), mask(CreateSurface(39, 39 * 63));
    Clear(strip.get(), 0x8410);
    Clear(mask.get(), 0x001F);
    Widget screen;
    screen.SetBounds(0, 0, 240, 320);
    desktop.AddChild(&screen);
    Knob knobs[6];
    for (int i = 0; i < 6; ++i) {
        knobs[i].SetBounds(10 + (i % 3) * 75, 20 + (i / 3) * 60, 39, 44);
        knobs[i].SetImages(strip.get(), mask.get());
        knobs[i].SetRange(0, 100);
        knobs[i].SetValue(i * 20);
        screen.AddChild(&knobs[i]);
    }
    Button buttons[4];
    for (int i = 0; i < 4; ++i) {
        buttons[i].SetBounds(10 + i * 57, 150, 50, 20);
        buttons[i].SetStyle(kButtonFramed);
        screen.AddChild(&buttons[i]);
    }
    ScrollBar slider;
    slider.SetStyle(kScrollHorizontal);
    slider.SetBounds(10, 190, 220, 14);
    screen.AddChild(&slider);
    ListBox list;
    list.SetBounds(10, 220, 220, 90);
    list.SetCapacity(9);
    for (int i = 0; i < 9; ++i) list.AddRow("row", i, 0);
    list.Refresh();
    screen.AddChild(&list);
    for (auto _ : state) {
        display.BeginScene();
        desktop.Render(background.get());
        benchmark::DoNotOptimize(display.Presented().pixels);
    }
    desktop.Reset();
}
BENCHMARK(BM_RenderWidgetScreen);

}  // namespace

BENCHMARK_MAIN();
