#include "form/search_box.h"

#include <chrono>
#include <utility>

#include "form/search_texts.h"

namespace form {
namespace {

std::string Number(long long value) { return std::to_string(value); }

}  // namespace

std::optional<std::string> SearchRowText(const scan::Probe& probe) {
  std::string row(texts::kSearchAddress);
  row += Number(probe.address);
  switch (probe.finding) {
    case scan::Finding::kReadings:
      row += texts::kSearchVariant;
      row += Number(probe.variant.value_or(0));
      break;
    case scan::Finding::kException:
      row += texts::kSearchRefused;
      row += Number(probe.exception_code.value_or(0));
      row += ')';
      break;
    case scan::Finding::kGarbage:
      row += texts::kSearchGarbage;
      // The reader's hint, in the window's language.
      row += probe.line_errors ? texts::kSearchLineErrorsHint : texts::kSearchBadFrameHint;
      return row;
    case scan::Finding::kSilent:
      return std::nullopt;
  }
  if (probe.turnaround) {
    row += texts::kSearchTurnaround;
    row += Number(std::chrono::round<std::chrono::milliseconds>(*probe.turnaround).count());
    row += texts::kSearchMs;
    if (probe.late) row += texts::kSearchLate;
  }
  return row;
}

void SearchBox::Start(const scan::ScanSettings& settings) {
  state_ = SearchState::kScanning;
  cancel_.store(false, std::memory_order_relaxed);
  rows_.clear();
  chosen_.reset();
  first_ = settings.first;
  total_ = settings.last - settings.first + 1;
  found_ = 0;
  view_.OpenSearchBox(total_);
  open_ = true;
  view_.SetSearchStatus("");
  SetButtons();
}

void SearchBox::Refuse(const std::string& reason) {
  state_ = SearchState::kFailed;
  rows_.clear();
  chosen_.reset();
  view_.OpenSearchBox(1);  // empty again, whatever an earlier search left
  open_ = true;
  view_.SetSearchStatus(reason);
  SetButtons();
}

void SearchBox::Probed(const scan::Probe& probe, const scan::ScanProgress& progress) {
  if (const std::optional<std::string> row = SearchRowText(probe)) {
    rows_.push_back(probe.address);
    view_.AddSearchRow(*row);
    if (rows_.size() == 1) SetButtons();
  }
  found_ = progress.found;
  view_.SetSearchProgress(progress.address - first_ + 1);
  std::string status(texts::kSearchRunning);
  status.append(Number(progress.address))
      .append(texts::kSearchOf)
      .append(Number(total_))
      .append(texts::kSearchFoundSoFar)
      .append(Number(found_));
  view_.SetSearchStatus(status);
}

void SearchBox::Finish(const scan::ScanResult& result) {
  std::string status;
  if (!result.port_error.empty()) {
    state_ = SearchState::kFailed;
    status = std::string(texts::kSearchPortLost).append(result.port_error);
  } else if (result.cancelled) {
    state_ = SearchState::kCancelled;
    status = std::string(texts::kSearchCancelled).append(Number(found_));
  } else {
    state_ = SearchState::kDone;
    view_.SetSearchProgress(total_);
    status = found_ == 0 ? std::string(texts::kSearchNone)
                         : std::string(texts::kSearchDone).append(Number(found_));
  }
  if (!open_) return;  // closed by the operator while it ran
  view_.SetSearchStatus(status);
  SetButtons();
}

void SearchBox::Cancel() { cancel_.store(true, std::memory_order_relaxed); }

void SearchBox::Choose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
  chosen_ = rows_[static_cast<std::size_t>(row)];
  Cancel();
}

std::optional<std::uint8_t> SearchBox::TakeChoice() {
  if (Scanning() || !chosen_) return std::nullopt;
  if (open_) view_.CloseSearchBox();
  open_ = false;
  state_ = SearchState::kIdle;
  return std::exchange(chosen_, std::nullopt);
}

void SearchBox::Closed() {
  open_ = false;
  Cancel();
  chosen_.reset();
  if (!Scanning()) state_ = SearchState::kIdle;
}

void SearchBox::SetButtons() { view_.SetSearchButtons(Scanning(), !rows_.empty()); }

}  // namespace form
