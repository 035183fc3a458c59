#include "window/toolkit/shape.h"

#include <QPainter>
#include <algorithm>

namespace window {

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::SetBrushColor(const QColor& color) {
  if (color == brush_) return;
  brush_ = color;
  update();
}

void TShape::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(pen_);
  painter.setBrush(brush_);
  const int diameter = std::min(width(), height()) - 1;
  painter.drawEllipse((width() - diameter) / 2, (height() - diameter) / 2, diameter - 1,
                      diameter - 1);
}

}  // namespace window
