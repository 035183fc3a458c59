// The trend page's plot on GDI: the painter of a form::TrendScene and the control that shows one,
// asking for the scene at its own size whenever it paints.
#pragma once

#include <functional>

#include "form/trend_scene.h"

#include <windows.h>

namespace win32view {

// Fills, strokes and writes the scene on `dc` as it is, in its order: 1 px solid pens, no
// antialiasing of lines, the texts in `font` (none: the DC's own).
void PaintTrendScene(HDC dc, const form::TrendScene& scene, HFONT font);

// The scene for a plot of `width` x `height` pixels.
using TrendSceneSource = std::function<form::TrendScene(int width, int height)>;

// A child control of `parent` that paints the source's scene through a memory DC, so that a
// repaint never shows a half-drawn plot. WM_SETFONT sets the texts' font. Until a source is set it
// shows the background ink alone.
HWND CreateTrendPlot(HWND parent, int id);
void SetTrendSceneSource(HWND plot, TrendSceneSource source);

}  // namespace win32view
