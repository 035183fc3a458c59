#include "window/toolkit/status_bar.h"

namespace window {

TStatusBar::TStatusBar(QWidget* parent, std::initializer_list<int> widths)
    : QWidget(parent), widths_(widths) {
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    auto* panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    panels_.push_back(panel);
  }
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  panels_.at(static_cast<std::size_t>(index))->setText(QString::fromStdString(text));
}

std::string TStatusBar::PanelText(int index) const {
  return panels_.at(static_cast<std::size_t>(index))->text().toStdString();
}

int TStatusBar::PanelLeft(std::size_t index) const {
  int left = 0;
  for (std::size_t i = 0; i < index; ++i) left += widths_[i];
  return left;
}

int TStatusBar::PanelWidth(int index) const {
  const auto i = static_cast<std::size_t>(index);
  if (i + 1 < widths_.size()) return widths_.at(i);
  return std::max(widths_.at(i), width() - PanelLeft(i));
}

void TStatusBar::resizeEvent(QResizeEvent* /*event*/) {
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    panels_[i]->setGeometry(PanelLeft(i), 0, PanelWidth(static_cast<int>(i)), height());
  }
}

}  // namespace window
