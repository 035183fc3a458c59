// The page "ТРЕНД" in Qt: the span choice, the levels/volumes switch, "Сохранить…" and the plot,
// the view (form/trend_view.h) of the logic's TrendPage. Window thread only.
#pragma once

#include <QWidget>

#include "form/trend_page.h"
#include "form/trend_view.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace window {

class TrendPlot;

class TrendSheet : public QWidget, private form::TrendView {
 public:
  explicit TrendSheet(form::TrendPage& page, QWidget* parent = nullptr);
  ~TrendSheet() override;
  TrendSheet(const TrendSheet&) = delete;
  TrendSheet& operator=(const TrendSheet&) = delete;

  QComboBox* SpanBox = nullptr;
  QRadioButton* LevelsButton = nullptr;
  QRadioButton* VolumesButton = nullptr;
  QPushButton* SaveButton = nullptr;
  TrendPlot* Plot = nullptr;

 private:
  // form::TrendView
  void InvalidateTrend() override;
  void ShowTrendChoice(form::TrendSpan span, form::TrendQuantity quantity) override;
  std::optional<std::string> AskTrendFileName(const std::string& suggested_name) override;

  form::TrendPage& page_;
};

}  // namespace window
