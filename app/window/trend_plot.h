// The trend's plot in Qt: paints the logic's TrendScene for the widget's size as it is, without
// antialiasing and with 1 px pens, so that its pixels are the scene's.
#pragma once

#include <QWidget>

#include "form/trend_page.h"

class QPainter;

namespace window {

// Paints `scene` with `painter`: rectangles, then lines, then texts.
void PaintTrendScene(QPainter& painter, const form::TrendScene& scene);

class TrendPlot : public QWidget {
 public:
  TrendPlot(form::TrendPage& page, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  form::TrendPage& page_;
};

}  // namespace window
