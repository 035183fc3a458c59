#include "form/trend_page.h"

#include <utility>

namespace form {

namespace {

std::int64_t MillisecondsOf(TrendPage::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

float ValueOr(const std::optional<float>& value) { return value ? *value : NAN; }

}  // namespace

TrendPage::TrendPage(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

void TrendPage::SetView(TrendView* view) {
  view_ = view;
  if (view_ != nullptr) {
    view_->ShowTrendChoice(span_, quantity_);
    view_->InvalidateTrend();
  }
}

void TrendPage::Record(int address, const TrendSample& sample) {
  if (address_ != address) history_.Clear();
  address_ = address;
  history_.Push(sample);
  Invalidate();
}

void TrendPage::RecordReadings(int address, const instrument::Readings& readings) {
  TrendSample sample;
  sample.time_ms = MillisecondsOf(now_());
  sample.level1 = ValueOr(readings.level1);
  sample.level2 = ValueOr(readings.level2);
  sample.volume1 = ValueOr(readings.volume1);
  sample.volume2 = ValueOr(readings.volume2);
  if (readings.relays) {
    sample.relays_known = true;
    for (std::size_t i = 0; i < readings.relays->size(); ++i) {
      if ((*readings.relays)[i]) sample.relays |= static_cast<std::uint8_t>(1u << i);
    }
  }
  sample.variant = readings.variant;
  sample.fault = readings.fault;
  sample.sensor1_failed = readings.sensor1_failed;
  sample.sensor2_failed = readings.sensor2_failed;
  sample.alarm_delay = readings.alarm_delay;
  sample.selfcal = readings.selfcal;
  Record(address, sample);
}

void TrendPage::RecordGap(int address) {
  TrendSample sample;
  sample.time_ms = MillisecondsOf(now_());
  sample.kind = TrendSampleKind::kUnanswered;
  Record(address, sample);
}

void TrendPage::RecordPortLoss(int address) {
  TrendSample sample;
  sample.time_ms = MillisecondsOf(now_());
  sample.kind = TrendSampleKind::kPortLost;
  Record(address, sample);
}

void TrendPage::TrendSpanChosen(TrendSpan span) {
  span_ = span;
  Invalidate();
}

void TrendPage::TrendQuantityChosen(TrendQuantity quantity) {
  quantity_ = quantity;
  Invalidate();
}

void TrendPage::TrendSaveClick() {
  // Written in the next step.
}

TrendScene TrendPage::Scene(int width, int height) const {
  TrendScene scene;
  scene.width = width;
  scene.height = height;
  scene.rects.push_back({0, 0, width, height, TrendInk::kBackground});
  return scene;
}

void TrendPage::Invalidate() {
  if (view_ != nullptr) view_->InvalidateTrend();
}

}  // namespace form
