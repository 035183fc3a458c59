// The trend page at its fullest, 24 h at the 2 s cycle (43 200 records): one scene, one Qt paint
// of it into an image of the page's size, and the memory the history takes in a window process.
// `trend_bench --screenshot FILE.png` also saves the page as it shows the last hour.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "form/form_layout.h"
#include "form/trend_page.h"
#include "full_day.h"
#include "readings/decimal_separator.h"
#include "window/trend_plot.h"
#include "window/trend_sheet.h"

namespace {

using Clock = form::TrendPage::Clock;

double VmRssMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 12, '\n');
  }
  return NAN;
}

template <typename Body>
void Time(const char* name, int runs, Body body) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto begin = std::chrono::steady_clock::now();
    body();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%s %.3f %.3f ms\n", name, ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  readings::SetDecimalSeparator(",");
  const Clock::time_point start{std::chrono::hours(500000)};
  Clock::time_point now = start;
  form::TrendPage page([&] { return now; });
  window::TrendSheet sheet(page);
  sheet.resize(form::layout::kPageControl1.width, form::layout::kPageControl1.height);
  sheet.show();
  QApplication::processEvents();
  QImage image(sheet.Plot->size(), QImage::Format_RGB32);
  const auto paint = [&] {
    QPainter painter(&image);
    window::PaintTrendScene(painter, page.Scene(image.width(), image.height()));
  };
  paint();
  const double empty_mb = VmRssMb();

  FillFullDay(page, now, start);
  page.TrendSpanChosen(form::TrendSpan::k24Hours);
  Time("trend_scene_24h", 50, [&] { (void)page.Scene(image.width(), image.height()); });
  Time("trend_paint_24h", 50, paint);
  page.TrendSpanChosen(form::TrendSpan::k10Minutes);
  Time("trend_paint_10min", 50, paint);
  QApplication::processEvents();
  const double full_mb = VmRssMb();
  std::printf("trend_window_rss_empty %.1f %.1f MB\n", empty_mb, empty_mb);
  std::printf("trend_window_rss_full %.1f %.1f MB\n", full_mb, full_mb);
  std::printf("trend_history_rss_added %.1f %.1f MB\n", full_mb - empty_mb, full_mb - empty_mb);
  std::printf("trend_plot_size %d %d px\n", image.width(), image.height());
  if (argc == 3 && std::string(argv[1]) == "--screenshot") {
    sheet.SpanBox->setCurrentIndex(static_cast<int>(form::TrendSpan::k1Hour));
    QApplication::processEvents();
    if (!sheet.grab().save(QString::fromLocal8Bit(argv[2]))) {
      std::printf("FAIL trend_screenshot: %s not written\n", argv[2]);
      return 1;
    }
  }
  return 0;
}
