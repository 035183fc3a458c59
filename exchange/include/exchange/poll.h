// The window-side half of one poll: show the request, hand it to the worker, wait for it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "exchange/UART_THREAT.h"

namespace exchange {

// Text of the error box shown when a poll finds the port closed ("СОМ" in Cyrillic letters).
inline constexpr std::string_view PORT_NOT_ACTIVE_TEXT =
    "\u0421\u041E\u041C Порт не активен !!!\r Written by Vastrel";

// First line of the error box shown when the port failed during a poll and was released; the
// port's message follows after a carriage return.
inline constexpr std::string_view PORT_LOST_TEXT = "Связь с \u0421\u041E\u041C портом потеряна";

// Panel 1 of the status bar while a port released after a failure cannot be opened again.
inline constexpr std::string_view PORT_UNAVAILABLE_TEXT = "\u0421\u041E\u041C порт недоступен";

// What a poll needs of the window. Called on the window thread only.
class PollView {
 public:
  virtual ~PollView() = default;
  // Empties the line under the pages and panel 1 of the status bar.
  virtual void ClearPollTexts() = 0;
  // Lets the toolkit process all pending events.
  virtual void ProcessMessages() = 0;
  // Shows the sent-frame text in the line under the pages.
  virtual void ShowSentFrame(const std::string& text) = 0;
  // Enables the reply time-out; one that still runs keeps its interval (no restart).
  virtual void ArmReplyTimeout() = 0;
  // Modal error box: caption "Error", stop icon, one button "Cancel".
  virtual void ShowErrorBox(const std::string& text) = 0;
  // The port failed during the exchange: close it, so that the device is free at once (a
  // replugged adapter gets its old name back). The worker no longer touches the port by then.
  // A view that does not own the port (its owner releases it between polls) leaves it be.
  virtual void ReleaseFailedPort() {}
  // Above zero: ProcessMessages runs every such interval while the worker exchanges, for a view
  // that stays live during a long run of polls and takes no part in the exchange meanwhile.
  // Zero: the window thread waits, processing nothing.
  virtual std::chrono::milliseconds MessageInterval() const {
    return std::chrono::milliseconds::zero();
  }
};

// Runs one poll of the request in TX_BUF/TX_LEN/RX_LEN (written while the worker is parked):
// clears and repaints the poll texts, shows the sent frame with its CRC, clears RX_BUF, arms
// the reply time-out, wakes the worker and blocks, processing no window events (but every
// MessageInterval where the view has one), until the exchange has ended. A closed port shows
// PORT_NOT_ACTIVE_TEXT in an error box; a port that failed is released first, then
// PORT_LOST_TEXT, a carriage return and the port's message are shown in one. RX_STATE is 2 only
// for an accepted reply.
ExchangeResult POTOK_START(PollView& view, UART_THREAT& worker);

}  // namespace exchange
