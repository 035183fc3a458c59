// The trend plot's control under Wine: a known scene, and the logic's scene of a known series,
// painted through it and captured from the control as a bitmap, show each curve on its rows in
// its exact colour, and nothing in a gap.
#include "win32view/trend_plot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <vector>

#include "form/trend_page.h"

namespace {

using form::TrendInk;

constexpr int kWidth = 200;
constexpr int kHeight = 100;

COLORREF ColourOf(TrendInk ink) {
  const form::TrendRgb rgb = form::TrendColourOf(ink);
  return RGB(rgb.red, rgb.green, rgb.blue);
}

// A 45° fall and a level run before a gap at columns 80..120, a level run after it, and a lone
// point of the second curve.
form::TrendScene KnownScene(int width, int height) {
  form::TrendScene scene;
  scene.width = width;
  scene.height = height;
  scene.rects = {{0, 0, width, height, TrendInk::kBackground},
                 {80, 0, 121, height, TrendInk::kGap}};
  scene.lines = {{TrendInk::kLevel1, {{0, 90}, {40, 50}, {79, 50}}},
                 {TrendInk::kLevel1, {{121, 30}, {199, 30}}},
                 {TrendInk::kLevel2, {{150, 70}}}};
  scene.texts = {{4, 8, form::TrendAnchor::kLeft, TrendInk::kAxis, "100 %"}};
  return scene;
}

// The plot's pixels as its control paints them, row by row.
class Capture {
 public:
  explicit Capture(HWND plot) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    printed_ = ::PrintWindow(plot, dc, PW_CLIENTONLY) != FALSE;
    ::GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    pixels_.assign(pixels, pixels + kWidth * kHeight);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
  }
  bool Printed() const { return printed_; }
  COLORREF At(int x, int y) const {
    const DWORD bgr = pixels_[static_cast<std::size_t>(y * kWidth + x)];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }
  // The rows of column x in `colour`.
  std::vector<int> RowsOf(int x, COLORREF colour) const {
    std::vector<int> rows;
    for (int y = 0; y < kHeight; ++y) {
      if (At(x, y) == colour) rows.push_back(y);
    }
    return rows;
  }

 private:
  std::vector<DWORD> pixels_;
  bool printed_ = false;
};

class TrendPlot : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = ::CreateWindowExW(0, L"STATIC", L"plot", WS_POPUP | WS_VISIBLE, 0, 0, kWidth + 20,
                                kHeight + 20, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                nullptr);
    ASSERT_NE(parent_, nullptr);
    plot_ = win32view::CreateTrendPlot(parent_, 1);
    ASSERT_NE(plot_, nullptr);
    ::SetWindowPos(plot_, nullptr, 10, 10, kWidth, kHeight, SWP_NOZORDER);
  }
  void TearDown() override { ::DestroyWindow(parent_); }

  HWND parent_ = nullptr;
  HWND plot_ = nullptr;
};

TEST_F(TrendPlot, PaintsEachCurveOnItsRowsAndNothingInAGap) {
  std::vector<std::pair<int, int>> asked;
  win32view::SetTrendSceneSource(plot_, [&asked](int width, int height) {
    asked.emplace_back(width, height);
    return KnownScene(width, height);
  });
  const Capture capture(plot_);
  ASSERT_TRUE(capture.Printed());
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), std::make_pair(kWidth, kHeight));

  const COLORREF level1 = ColourOf(TrendInk::kLevel1);
  // The fall, one pixel a column, its first and last pixels included; then the level run.
  for (const int x : {0, 1, 17, 39, 40}) EXPECT_EQ(capture.RowsOf(x, level1), std::vector{90 - x});
  for (const int x : {41, 60, 79}) EXPECT_EQ(capture.RowsOf(x, level1), std::vector{50});
  // No curve pixel in the gap, whose ground is the gap's ink; the next run starts after it.
  for (int x = 80; x <= 120; ++x) {
    EXPECT_TRUE(capture.RowsOf(x, level1).empty()) << "column " << x;
    EXPECT_EQ(capture.At(x, 60), ColourOf(TrendInk::kGap)) << "column " << x;
  }
  for (const int x : {121, 150, 199}) EXPECT_EQ(capture.RowsOf(x, level1), std::vector{30});
  // A run of one point is its pixel; the background all round it is untouched (no antialiasing).
  EXPECT_EQ(capture.At(150, 70), ColourOf(TrendInk::kLevel2));
  for (const auto& [x, y] : {std::pair{149, 70}, {151, 70}, {150, 69}, {150, 71}, {41, 49}}) {
    EXPECT_EQ(capture.At(x, y), ColourOf(TrendInk::kBackground)) << x << "," << y;
  }
  // The text is written in the axis ink near its anchor, left of the curves' columns.
  bool text_found = false;
  for (int y = 0; y < 20 && !text_found; ++y) {
    for (int x = 4; x < 40 && !text_found; ++x) {
      text_found = capture.At(x, y) == ColourOf(TrendInk::kAxis);
    }
  }
  EXPECT_TRUE(text_found);
}

// A series fed through the logic at the 2 s cycle: a level of 40 %, polls unanswered for a
// minute, then 70 %. Each point of its scene is painted in its ink, the runs level on one row
// each, the later one higher, and the gap's columns hold no curve pixel.
TEST_F(TrendPlot, PaintsTheLogicsSceneOfASeriesWithAGap) {
  auto now = std::chrono::system_clock::time_point{} + std::chrono::hours(24 * 365 * 50);
  form::TrendPage page([&now] { return now; });
  instrument::Readings readings;
  const auto feed = [&](int polls, const std::function<void()>& record) {
    for (int i = 0; i < polls; ++i, now += std::chrono::seconds(2)) record();
  };
  readings.level1 = 40.0f;
  feed(90, [&] { page.RecordReadings(1, readings); });
  feed(30, [&] { page.RecordGap(1); });
  readings.level1 = 70.0f;
  feed(90, [&] { page.RecordReadings(1, readings); });
  win32view::SetTrendSceneSource(plot_, [&page](int width, int height) {
    return page.Scene(width, height);
  });
  const form::TrendScene scene = page.Scene(kWidth, kHeight);
  const Capture capture(plot_);
  ASSERT_TRUE(capture.Printed());

  const COLORREF level1 = ColourOf(TrendInk::kLevel1);
  std::vector<int> run_rows;
  std::set<int> point_columns;
  for (const form::TrendPolyline& line : scene.lines) {
    if (line.ink != TrendInk::kLevel1) continue;
    ASSERT_FALSE(line.points.empty());
    run_rows.push_back(line.points.front().y);
    for (const form::TrendPoint& point : line.points) {
      point_columns.insert(point.x);
      EXPECT_EQ(capture.RowsOf(point.x, level1), std::vector{run_rows.back()})
          << "column " << point.x;
    }
  }
  ASSERT_EQ(run_rows.size(), 2u);
  EXPECT_LT(run_rows[1], run_rows[0]);
  // A gap may share its first column with the run before it; no line crosses the rest.
  int gap_columns = 0;
  for (const form::TrendRect& gap : scene.rects) {
    if (gap.ink != TrendInk::kGap) continue;
    for (int x = gap.left; x < gap.right; ++x) {
      if (point_columns.contains(x)) continue;
      ++gap_columns;
      EXPECT_TRUE(capture.RowsOf(x, level1).empty()) << "column " << x;
    }
  }
  EXPECT_GT(gap_columns, 0);
}

}  // namespace
