// The trend page's plot as its views paint it: rectangles, polylines and texts in the plot's
// own pixels, origin top left, decided by the logic (form/trend_page.h) for the plot's size.
// A view only fills, strokes and writes what is here, in order: rectangles, then lines, then
// texts. No toolkit type crosses this interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace form {

// What a primitive shows; each view paints it in TrendColourOf's colour.
enum class TrendInk {
  kBackground,
  kGrid,
  kAxis,  // axis lines and their texts
  kLevel1,
  kLevel2,
  kVolume1,
  kVolume2,
  kRelayOn,   // a relay band while the relay is on
  kRelayOff,  // its ground while off
  kGap,       // the ground of a stretch without readings
};

struct TrendRgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// One colour per ink, the same in every view, so that pixel tests of either view can look for it.
TrendRgb TrendColourOf(TrendInk ink);

struct TrendPoint {
  int x;
  int y;
  friend bool operator==(const TrendPoint&, const TrendPoint&) = default;
};

// Filled, left and top inclusive, right and bottom exclusive.
struct TrendRect {
  int left;
  int top;
  int right;
  int bottom;
  TrendInk ink;
};

// One connected run of a curve, 1 pixel wide: a gap ends a run and the next begins after it,
// so no line is ever drawn across a gap.
struct TrendPolyline {
  TrendInk ink;
  std::vector<TrendPoint> points;
};

enum class TrendAnchor { kLeft, kRight, kCentre };

// `text` in the window's font, its vertical centre at `y`, placed at `x` by `anchor`.
struct TrendText {
  int x;
  int y;
  TrendAnchor anchor;
  TrendInk ink;
  std::string text;  // UTF-8
};

struct TrendScene {
  int width = 0;
  int height = 0;
  std::vector<TrendRect> rects;
  std::vector<TrendPolyline> lines;
  std::vector<TrendText> texts;
};

}  // namespace form
