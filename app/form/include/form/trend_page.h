// The trend page's logic: the accepted polls of the address polled since the window opened,
// the span and quantity chosen, the plot's scene for a size, and the history saved as CSV.
// Window thread only, like Form1Logic, which owns it and feeds it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "form/trend_history.h"
#include "form/trend_scene.h"
#include "form/trend_view.h"
#include "instrument/readings.h"

namespace form {

class TrendPage {
 public:
  using Clock = std::chrono::system_clock;
  // Shows a failure in a box (Form1Logic passes its view's ShowMessageBox).
  using FailureBox = std::function<void(const std::string& text)>;

  // `now` gives the time the plot ends at and the time of each record; tests pass their own.
  explicit TrendPage(std::function<Clock::time_point()> now = Clock::now);

  // Null: no view (the page is not shown). Form1Logic's views call this once.
  void SetView(TrendView* view);
  // Where a failed save is told; none: the failure is not shown (the history stays anyway).
  void SetFailureBox(FailureBox box) { failure_box_ = std::move(box); }

  // Feeding, called by Form1Logic. A record for an address other than the last one's starts a
  // new trend: the history is cleared first.
  // An accepted normal reply of a poll of `address`.
  void RecordReadings(int address, const instrument::Readings& readings);
  // A poll of `address` that got no valid reply in time (its reply time-out ran out). An
  // exception reply is an answer and records nothing: the instrument is there.
  void RecordGap(int address);
  // The port was lost during a poll of `address`.
  void RecordPortLoss(int address);

  // Controls (view -> logic), window thread.
  void TrendSpanChosen(TrendSpan span);
  void TrendQuantityChosen(TrendQuantity quantity);
  // Asks the view for a file name, writes the history as CSV there; a box on failure, and the
  // history stays.
  void TrendSaveClick();

  // The history as the reader's CSV (readings/csv_rows.h) with `decimal_separator`'s dialect:
  // a row per record, gaps with the outcome "unanswered" or "port_error" and empty values.
  std::string Csv(std::string_view decimal_separator) const;

  // The plot at `width` x `height` pixels, ending at now() (form/trend_plot.h).
  TrendScene Scene(int width, int height) const;

  // State for views and tests.
  TrendSpan span() const { return span_; }
  TrendQuantity quantity() const { return quantity_; }
  std::size_t size() const { return history_.size(); }
  const TrendHistory& history() const { return history_; }
  // The address the history is of; none before the first record.
  std::optional<int> address() const { return address_; }

 private:
  // Stamps `sample` with now() and keeps it.
  void Record(int address, TrendSample sample);
  void Invalidate();

  std::function<Clock::time_point()> now_;
  TrendView* view_ = nullptr;
  FailureBox failure_box_;
  TrendSpan span_ = TrendSpan::k10Minutes;
  TrendQuantity quantity_ = TrendQuantity::kLevels;
  std::optional<int> address_;
  TrendHistory history_;
};

}  // namespace form
