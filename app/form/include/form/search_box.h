// The search box's logic without a toolkit: what it shows of a bus scan as the scan goes, and
// the operator's cancel and choice. Idle until a scan starts; scanning; then done, cancelled or
// failed, the rows kept until the box is closed or the next scan. The window's logic runs the
// scan (Form1Logic::SearchClick) and feeds it here. Window thread only; the cancel flag is an
// atomic because the scan reads it between addresses.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "form/search_view.h"
#include "scan/bus_scan.h"

namespace form {

enum class SearchState { kIdle, kScanning, kDone, kCancelled, kFailed };

// A probe's row in the list, e.g. "Адрес 5: ВЛК240Т, вариант 1, ответ за 12 мс"; none for a
// silent address.
std::optional<std::string> SearchRowText(const scan::Probe& probe);

class SearchBox {
 public:
  // `view` must outlive the box.
  explicit SearchBox(SearchView& view) : view_(view) {}

  SearchState State() const { return state_; }
  bool Scanning() const { return state_ == SearchState::kScanning; }

  // Opens the box for a scan of `settings`, empty.
  void Start(const scan::ScanSettings& settings);
  // Opens the box, or keeps it, with `reason` why no scan could start.
  void Refuse(const std::string& reason);
  // After each address, as the scan's on_probe.
  void Probed(const scan::Probe& probe, const scan::ScanProgress& progress);
  // The scan has returned.
  void Finish(const scan::ScanResult& result);

  // What the scan looks at between addresses.
  const std::atomic<bool>& CancelFlag() const { return cancel_; }
  // "Отмена": the scan stops before its next address.
  void Cancel();
  // The operator chose `row`: while the scan runs it is stopped first. The address is then to
  // be taken with TakeChoice.
  void Choose(int row);
  // The address chosen, once no scan runs; the box is closed then.
  std::optional<std::uint8_t> TakeChoice();
  // The box was closed by the operator: a running scan is stopped.
  void Closed();

 private:
  void SetButtons();

  SearchView& view_;
  SearchState state_ = SearchState::kIdle;
  std::atomic<bool> cancel_{false};
  bool open_ = false;
  std::vector<std::uint8_t> rows_;  // the address of each row
  int first_ = 1;
  int total_ = 0;
  int found_ = 0;
  std::optional<std::uint8_t> chosen_;
};

}  // namespace form
