#include "window/trend_plot.h"

#include <QPainter>
#include <QPolygon>
#include <QString>

namespace window {
namespace {

QColor ColourOf(form::TrendInk ink) {
  const form::TrendRgb rgb = form::TrendColourOf(ink);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// Wide enough for any of the scene's texts on either side of its anchor.
constexpr int kTextRoom = 400;

}  // namespace

void PaintTrendScene(QPainter& painter, const form::TrendScene& scene) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const form::TrendRect& rect : scene.rects) {
    painter.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                     ColourOf(rect.ink));
  }
  for (const form::TrendPolyline& line : scene.lines) {
    painter.setPen(QPen(ColourOf(line.ink), 1));
    QPolygon polygon;
    polygon.reserve(static_cast<int>(line.points.size()));
    for (const form::TrendPoint& point : line.points) polygon.append(QPoint(point.x, point.y));
    if (polygon.size() == 2 && polygon[0] == polygon[1]) {
      painter.drawPoint(polygon[0]);  // a run of one column
    } else {
      painter.drawPolyline(polygon);
    }
  }
  const int height = painter.fontMetrics().height();
  for (const form::TrendText& text : scene.texts) {
    painter.setPen(ColourOf(text.ink));
    QRect box(text.x, text.y - height / 2, kTextRoom, height);
    Qt::Alignment align = Qt::AlignLeft;
    if (text.anchor == form::TrendAnchor::kRight) {
      box.moveLeft(text.x - kTextRoom);
      align = Qt::AlignRight;
    } else if (text.anchor == form::TrendAnchor::kCentre) {
      box.moveLeft(text.x - kTextRoom / 2);
      align = Qt::AlignHCenter;
    }
    painter.drawText(box, align | Qt::AlignVCenter, QString::fromStdString(text.text));
  }
}

TrendPlot::TrendPlot(form::TrendPage& page, QWidget* parent) : QWidget(parent), page_(page) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintTrendScene(painter, page_.Scene(width(), height()));
}

}  // namespace window
