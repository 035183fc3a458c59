// A status bar of fixed panels addressed by index; the last panel extends to the right end.
// Window thread only.
#pragma once

#include <QLabel>
#include <QWidget>
#include <initializer_list>
#include <string>
#include <vector>

namespace window {

class TStatusBar : public QWidget {
 public:
  // `widths` are the nominal panel widths in pixels; the last one takes the rest of the bar.
  TStatusBar(QWidget* parent, std::initializer_list<int> widths);

  void SetPanelText(int index, const std::string& text);
  std::string PanelText(int index) const;
  int PanelWidth(int index) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int PanelLeft(std::size_t index) const;

  std::vector<int> widths_;
  std::vector<QLabel*> panels_;
};

}  // namespace window
