// "Поиск прибора…": a scan of the bus on the open port, shown in the search box as it goes.
#include <string>

#include "exchange/UART_THREAT.h"
#include "form/form1_logic.h"
#include "form/search_texts.h"

namespace form {

SearchBox& Form1Logic::Box() {
  if (!search_) search_.emplace(view_.SearchBoxView());
  return *search_;
}

void Form1Logic::SearchClick() {
  Guard([this] { Search(); });
}

void Form1Logic::Search() {
  if (Box().Scanning()) return;
  if (reopen_before_poll_) ReopenLostPort();
  if (!ComPort1.Connected()) {
    Box().Refuse(std::string(texts::kSearchNoPort));
    return;
  }
  SetSearchControlsEnabled(false);
  scan::ScanResult result;
  try {
    Box().Start(search_settings);
    result = scan::ScanBus(
        exchange::UART_THREAT::Instance(), *worker_port_, search_settings, Box().CancelFlag(),
        [this](const scan::Probe& probe, const scan::ScanProgress& progress) {
          Box().Probed(probe, progress);
        },
        [this] { view_.ProcessMessages(); });
  } catch (...) {
    Box().Finish(result);
    SetSearchControlsEnabled(true);
    throw;
  }
  // A port that failed is released as a poll releases it; the next poll opens it again.
  if (!result.port_error.empty()) ReleasePort();
  Box().Finish(result);
  // The box closes on a choice before the controls come back.
  TakeSearchChoice();
  SetSearchControlsEnabled(true);
}

void Form1Logic::SetSearchControlsEnabled(bool enabled) {
  view_.SetReadButtonEnabled(enabled);
  view_.SetCyclicEnabled(enabled);
  view_.SetAddressEnabled(enabled);
  view_.SetMenuEnabled(enabled);
  view_.ProcessMessages();
}

void Form1Logic::SearchChoose(int row) {
  Guard([this, row] {
    Box().Choose(row);
    TakeSearchChoice();
  });
}

void Form1Logic::TakeSearchChoice() {
  if (const std::optional<std::uint8_t> address = Box().TakeChoice()) {
    view_.SetAddressText(std::to_string(*address));
  }
}

void Form1Logic::SearchCancel() {
  Guard([this] { Box().Cancel(); });
}

void Form1Logic::SearchBoxClosed() {
  Guard([this] { Box().Closed(); });
}

}  // namespace form
