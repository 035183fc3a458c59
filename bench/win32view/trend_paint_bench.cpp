// How long one redraw of the trend plot takes with a full 24 h history (43 200 polls at the 2 s
// cycle): the logic's scene for the plot's size, its painting with GDI into a memory DC, and, as
// the worst a scene could ask, two curves of a point per poll painted as they are. Prints
// `name median p90 max unit` lines over 50 runs; takes no arguments.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "form/trend_page.h"
#include "full_day.h"
#include "win32view/trend_plot.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 50;
constexpr int kPolls = 43200;
// The plot's size on the window at 96 DPI.
constexpr int kWidth = 681;
constexpr int kHeight = 205;

void Report(const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%s %.3f %.3f %.3f ms\n", name, ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
}

std::vector<double> Timed(const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = Clock::now();
    run();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return ms;
}

// Two curves of one point per poll across the plot, wandering as a level does.
form::TrendScene RawScene() {
  form::TrendScene scene;
  scene.width = kWidth;
  scene.height = kHeight;
  scene.rects.push_back({0, 0, kWidth, kHeight, form::TrendInk::kBackground});
  for (const form::TrendInk ink : {form::TrendInk::kLevel1, form::TrendInk::kLevel2}) {
    form::TrendPolyline line{ink, {}};
    for (int i = 0; i < kPolls; ++i) {
      const double wave = std::sin(i / 700.0 + (ink == form::TrendInk::kLevel2 ? 1.0 : 0.0));
      line.points.push_back(
          {i * (kWidth - 1) / (kPolls - 1), static_cast<int>((kHeight - 1) * (0.5 + 0.45 * wave))});
    }
    scene.lines.push_back(std::move(line));
  }
  return scene;
}

}  // namespace

int main() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC dc = ::CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ::SelectObject(dc, bitmap);
  const HFONT font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif");

  const auto start = std::chrono::system_clock::now();
  auto now = start;
  form::TrendPage page([&now] { return now; });
  FillFullDay(page, now, start);
  page.TrendSpanChosen(form::TrendSpan::k24Hours);

  form::TrendScene scene;
  Report("trend_scene_24h", Timed([&] { scene = page.Scene(kWidth, kHeight); }));
  std::size_t points = 0;
  for (const form::TrendPolyline& line : scene.lines) points += line.points.size();
  std::printf("trend_scene_24h_points %zu %zu %zu points\n", points, points, points);
  Report("trend_paint_24h_scene", Timed([&] {
           win32view::PaintTrendScene(dc, scene, font);
           ::GdiFlush();
         }));
  const form::TrendScene raw = RawScene();
  Report("trend_paint_2x43200_points", Timed([&] {
           win32view::PaintTrendScene(dc, raw, font);
           ::GdiFlush();
         }));

  ::DeleteObject(font);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return 0;
}
