// The box that follows a WAV export: the file's name, a bar and the
// percentage written, and Cancel. It keeps drawing and answering input while
// the export runs on its own thread.
#pragma once

#include <cstdint>

#include "gfx/button_bar.h"

namespace ampliro {

class Display;
class ExportJob;
class Surface;
struct BitmapFont;

struct ExportProgressLook {
    BitmapFont* font = nullptr;       // the name, the figure, Cancel
    BitmapFont* titleFont = nullptr;  // "Export"
    // Inner frame, outer frame and background, text, title.
    const uint16_t* colours = nullptr;
};

inline constexpr int32_t kExportCancelId = 2;
// The bar's inside, from its left edge.
inline constexpr int32_t kExportBarLeft = 32;
inline constexpr int32_t kExportBarWidth = 176;

// The box's top edge on a screen of that height; the bar's inside spans rows
// top + 52 .. top + 61.
int32_t ExportBoxTop(int32_t screenHeight);

// Draws the box over surface with permille (0..1000) of the bar filled;
// bar holds Cancel, set up by the first call.
void DrawExportProgress(Surface* surface, const ExportProgressLook& look, const char* fileName,
                        int32_t permille, ButtonBar* bar);

// Until the job has finished: the box over the screen as it was, redrawn
// every 30 ms. Cancel (or the program asked to quit, which is passed on)
// cancels the job; either way this returns once the job has ended. A take
// that is written within 200 ms shows no box at all.
void RunExportProgress(Display* display, const ExportProgressLook& look, ExportJob& job,
                       const char* fileName);

}  // namespace ampliro
