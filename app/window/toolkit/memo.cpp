#include "window/toolkit/memo.h"

#include <QTextBlock>

namespace window {

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, [this] { has_lines_ = !document()->isEmpty(); });
}

void TMemo::Add(const std::string& line) {
  appendPlainText(QString::fromStdString(line));
  has_lines_ = true;
}

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> lines;
  if (!has_lines_) return lines;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    lines.push_back(block.text().toStdString());
  }
  return lines;
}

}  // namespace window
