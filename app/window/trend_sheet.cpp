#include "window/trend_sheet.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "form/trend_texts.h"
#include "window/qt_text.h"
#include "window/trend_plot.h"

namespace window {

TrendSheet::TrendSheet(form::TrendPage& page, QWidget* parent) : QWidget(parent), page_(page) {
  namespace texts = form::texts;
  SpanBox = new QComboBox(this);
  for (const std::string_view span : texts::kTrendSpans) SpanBox->addItem(Q(span));
  LevelsButton = new QRadioButton(Q(texts::kTrendLevels), this);
  VolumesButton = new QRadioButton(Q(texts::kTrendVolumes), this);
  SaveButton = new QPushButton(Q(texts::kTrendSave), this);
  Plot = new TrendPlot(page_, this);

  auto* controls = new QHBoxLayout;
  controls->addWidget(SpanBox);
  controls->addWidget(LevelsButton);
  controls->addWidget(VolumesButton);
  controls->addStretch();
  controls->addWidget(SaveButton);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->addLayout(controls);
  column->addWidget(Plot, 1);

  connect(SpanBox, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.TrendSpanChosen(static_cast<form::TrendSpan>(index)); });
  connect(LevelsButton, &QRadioButton::toggled, this, [this](bool on) {
    if (on) page_.TrendQuantityChosen(form::TrendQuantity::kLevels);
  });
  connect(VolumesButton, &QRadioButton::toggled, this, [this](bool on) {
    if (on) page_.TrendQuantityChosen(form::TrendQuantity::kVolumes);
  });
  connect(SaveButton, &QPushButton::clicked, this, [this] { page_.TrendSaveClick(); });
  page_.SetView(this);
}

TrendSheet::~TrendSheet() { page_.SetView(nullptr); }

void TrendSheet::InvalidateTrend() { Plot->update(); }

void TrendSheet::ShowTrendChoice(form::TrendSpan span, form::TrendQuantity quantity) {
  const QSignalBlocker span_blocker(SpanBox);
  const QSignalBlocker levels_blocker(LevelsButton);
  const QSignalBlocker volumes_blocker(VolumesButton);
  SpanBox->setCurrentIndex(static_cast<int>(span));
  LevelsButton->setChecked(quantity == form::TrendQuantity::kLevels);
  VolumesButton->setChecked(quantity == form::TrendQuantity::kVolumes);
}

std::optional<std::string> TrendSheet::AskTrendFileName(const std::string& suggested_name) {
  const QString name = QFileDialog::getSaveFileName(
      this, Q(form::texts::kTrendSaveTitle), Q(suggested_name), Q(form::texts::kTrendFileFilter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

}  // namespace window
