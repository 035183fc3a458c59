// The page "ТРЕНД" in Qt: after "ПАМЯТКА", and its plot's pixels are the logic's scene.
#include <QImage>
#include <QTabWidget>

#include "form/trend_plot.h"
#include "form_fixture.h"
#include "readings/decimal_separator.h"
#include "window/trend_plot.h"
#include "window/trend_sheet.h"

namespace window {
namespace {

using testing::FormTest;

TEST_F(FormTest, TrendPageComesAfterTheInstructionsPage) {
  TForm1& form = CreateForm();
  ASSERT_EQ(form.PageControl1->count(), 3);
  EXPECT_EQ(form.PageControl1->tabText(1).toStdString(), "ПАМЯТКА");
  EXPECT_EQ(form.PageControl1->tabText(2).toStdString(), "ТРЕНД");
  EXPECT_EQ(form.PageControl1->widget(2), form.TabSheet3);
}

bool Has(const QImage& image, int x, int y, form::TrendInk ink) {
  const form::TrendRgb rgb = form::TrendColourOf(ink);
  return image.pixelColor(x, y) == QColor(rgb.red, rgb.green, rgb.blue);
}

// 10 minutes on 600 columns: level 1 at 40 % for 10 s, no reply for 10 s, again for 10 s.
TEST(TrendPlot, CurvePassesThroughItsRowsAndNotAcrossTheGap) {
  readings::SetDecimalSeparator(",");
  const auto start = form::TrendPage::Clock::time_point(std::chrono::hours(500000));
  auto now = start;
  form::TrendPage page([&] { return now; });
  TrendSheet sheet(page);
  const int width = 704;
  const int height = 173;  // 100 rows for 0..100 %
  sheet.Plot->setFixedSize(width, height);
  sheet.resize(760, 260);
  const auto at = [&](int seconds) { now = start + std::chrono::seconds(seconds); };
  instrument::Readings readings;
  readings.level1 = 40.0f;
  for (int s = 100; s <= 110; s += 2) at(s), page.RecordReadings(1, readings);
  for (int s = 112; s <= 118; s += 2) at(s), page.RecordGap(1);
  for (int s = 120; s <= 130; s += 2) at(s), page.RecordReadings(1, readings);
  at(600);

  const QImage image = sheet.Plot->grab().toImage();
  ASSERT_EQ(image.width(), width);
  const form::TrendArea area = form::TrendAreaOf(width, height);
  const int row = area.bottom - 1 - (area.bottom - 1 - area.top) * 40 / 100;
  for (const int column : {100, 105, 110, 120, 125, 130}) {
    EXPECT_TRUE(Has(image, area.left + column, row, form::TrendInk::kLevel1)) << column;
  }
  for (int column = 111; column < 120; ++column) {
    for (int y = area.top; y < area.bottom; ++y) {
      EXPECT_FALSE(Has(image, area.left + column, y, form::TrendInk::kLevel1)) << column;
    }
    // Grounded from the first unanswered poll on.
    if (column >= 112) {
      EXPECT_TRUE(Has(image, area.left + column, area.top + 1, form::TrendInk::kGap)) << column;
    }
  }
}

}  // namespace
}  // namespace window
