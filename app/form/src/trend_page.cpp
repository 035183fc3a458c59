#include "form/trend_page.h"

#include <cmath>
#include <filesystem>
#include <string_view>
#include <utility>

#include "form/trend_plot.h"
#include "form/trend_texts.h"
#include "readings/csv_rows.h"
#include "readings/decimal_separator.h"
#include "storage/file_replace.h"

namespace form {

namespace {

std::int64_t MillisecondsOf(TrendPage::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

float ValueOr(const std::optional<float>& value) { return value ? *value : NAN; }

std::optional<float> Carried(float value) {
  if (std::isnan(value)) return std::nullopt;
  return value;
}

// The reply a reading's sample was taken from, as far as the CSV shows it.
instrument::Readings ReadingsOf(const TrendSample& sample) {
  instrument::Readings readings;
  readings.variant = sample.variant;
  readings.fault = sample.fault;
  readings.level1 = Carried(sample.level1);
  readings.volume1 = Carried(sample.volume1);
  readings.level2 = Carried(sample.level2);
  readings.volume2 = Carried(sample.volume2);
  readings.sensor1_failed = sample.sensor1_failed;
  readings.sensor2_failed = sample.sensor2_failed;
  readings.selfcal = sample.selfcal;
  readings.alarm_delay = sample.alarm_delay;
  if (sample.relays_known) {
    instrument::RelayStates relays{};
    for (std::size_t i = 0; i < relays.size(); ++i) relays[i] = ((sample.relays >> i) & 1u) != 0;
    readings.relays = relays;
  }
  return readings;
}

// The reader's outcome of each kind of record a trend keeps.
readings::RecordOutcome OutcomeOf(TrendSampleKind kind) {
  switch (kind) {
    case TrendSampleKind::kReading:
      return readings::RecordOutcome::kAccepted;
    case TrendSampleKind::kUnanswered:
      return readings::RecordOutcome::kUnanswered;
    case TrendSampleKind::kPortLost:
      return readings::RecordOutcome::kPortError;
  }
  return readings::RecordOutcome::kUnanswered;
}

// A record of a poll without readings: the curves break there.
TrendSample MarkOf(TrendSampleKind kind) {
  TrendSample sample;
  sample.kind = kind;
  return sample;
}

// A UTF-8 name as a path on every system (a plain std::string would be read in the ANSI code
// page on Windows).
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

TrendPage::TrendPage(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

void TrendPage::SetView(TrendView* view) {
  view_ = view;
  if (view_ != nullptr) {
    view_->ShowTrendChoice(span_, quantity_);
    view_->InvalidateTrend();
  }
}

void TrendPage::Record(int address, TrendSample sample) {
  sample.time_ms = MillisecondsOf(now_());
  if (address_ != address) history_.Clear();
  address_ = address;
  history_.Push(sample);
  Invalidate();
}

void TrendPage::RecordReadings(int address, const instrument::Readings& readings) {
  TrendSample sample;
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

void TrendPage::RecordGap(int address) { Record(address, MarkOf(TrendSampleKind::kUnanswered)); }

void TrendPage::RecordPortLoss(int address) { Record(address, MarkOf(TrendSampleKind::kPortLost)); }

void TrendPage::TrendSpanChosen(TrendSpan span) {
  span_ = span;
  Invalidate();
}

void TrendPage::TrendQuantityChosen(TrendQuantity quantity) {
  quantity_ = quantity;
  Invalidate();
}

std::string TrendPage::Csv(std::string_view decimal_separator) const {
  const readings::CsvDialect dialect = readings::CsvDialectFor(decimal_separator);
  std::string csv = readings::CsvHeader(dialect);
  csv += '\n';
  for (std::size_t i = 0; i < history_.size(); ++i) {
    const TrendSample& sample = history_[i];
    const Clock::time_point time{std::chrono::milliseconds(sample.time_ms)};
    std::optional<instrument::Readings> readings;
    if (sample.kind == TrendSampleKind::kReading) readings = ReadingsOf(sample);
    // The window's own exchange has no late replies.
    csv += readings::CsvRow(dialect, time, address_.value_or(0), OutcomeOf(sample.kind),
                            readings ? &*readings : nullptr, false);
    csv += '\n';
  }
  return csv;
}

void TrendPage::TrendSaveClick() {
  if (view_ == nullptr) return;
  const std::optional<std::string> name =
      view_->AskTrendFileName("trend-" + std::to_string(address_.value_or(0)) + ".csv");
  if (!name || name->empty()) return;
  try {
    storage::ReplaceFile(PathOf(*name), Csv(readings::DecimalSeparator()));
  } catch (const std::exception& error) {
    // The history stays as it was: the operator may choose another place.
    if (failure_box_) {
      failure_box_(
          std::string(texts::kTrendSaveFailed).append(*name).append(":\n").append(error.what()));
    }
  }
}

TrendScene TrendPage::Scene(int width, int height) const {
  return DrawTrend(history_, span_, quantity_, MillisecondsOf(now_()), width, height,
                   readings::DecimalSeparator());
}

void TrendPage::Invalidate() {
  if (view_ != nullptr) view_->InvalidateTrend();
}

}  // namespace form
