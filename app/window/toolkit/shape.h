// The indicator: a circle with a fill and a black outline, centred in the widget.
// Window thread only.
#pragma once

#include <QColor>
#include <QWidget>

namespace window {

class TShape : public QWidget {
 public:
  explicit TShape(QWidget* parent);

  QColor BrushColor() const { return brush_; }
  void SetBrushColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor brush_ = Qt::white;
  QColor pen_ = Qt::black;
};

}  // namespace window
