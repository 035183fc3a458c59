// The window's geometry at 96 dots per inch, the same for every view: the client area, each
// control's rectangle within its parent, the status bar's panels and the fonts' pixel heights.
// Views scale these for the display they are on. Labels have no size: each is as large as its
// text in the window's font.
#pragma once

#include <array>

namespace form::layout {

struct Rect {
  int left;
  int top;
  int width;
  int height;
};

struct Point {
  int left;
  int top;
};

inline constexpr int kClientWidth = 709;
inline constexpr int kClientHeight = 334;

// Parent: the window.
inline constexpr Rect kStatusBar1 = {0, 315, 709, 19};
inline constexpr Rect kPageControl1 = {4, 12, 701, 277};
inline constexpr Rect kStaticText1 = {40, 298, 705, 17};
// Parent: the page "КОМАНДЫ".
inline constexpr Rect kMemo1 = {272, 2, 417, 239};
inline constexpr Rect kPanel1 = {0, 2, 265, 237};
// Parent: Panel1.
inline constexpr Point kLabel1 = {80, 15};
inline constexpr Point kLabel2 = {112, 31};
inline constexpr Rect kEdit1 = {16, 15, 57, 32};
inline constexpr Rect kButton3 = {16, 81, 237, 41};
inline constexpr Rect kShape1 = {32, 161, 25, 25};
inline constexpr Rect kCheckBox1 = {72, 166, 169, 17};

// The status bar's panels: the port's name, then the reply, which extends to the bar's right end
// (its width is nominal).
inline constexpr std::array<int, 2> kStatusPanelWidths = {40, 50};

// "MS Sans Serif" at these heights in pixels: the window's default, the memo, the address.
inline constexpr int kWindowFontHeight = 11;
inline constexpr int kMemoFontHeight = 16;
inline constexpr int kEditFontHeight = 19;

}  // namespace form::layout
