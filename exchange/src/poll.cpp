#include "exchange/poll.h"

#include "exchange/EMUL_Functions.h"
#include "protocol/frames.h"

namespace exchange {

ExchangeResult POTOK_START(PollView& view, UART_THREAT& worker) {
  using namespace EMUL_Functions;
  RX_STATE.store(RX_NONE, std::memory_order_relaxed);
  view.ClearPollTexts();
  view.ProcessMessages();
  view.ShowSentFrame(protocol::SentFrameText(TX_BUF, TX_LEN));
  RX_BUF.fill(0);
  view.ArmReplyTimeout();

  worker.WaitParked();
  const std::uint64_t ticket = worker.Wake();
  ExchangeResult result;
  const std::chrono::milliseconds interval = view.MessageInterval();
  if (interval <= std::chrono::milliseconds::zero()) {
    result = worker.WaitForExchange(ticket);
  } else {
    while (!worker.WaitForExchangeFor(ticket, interval, result)) view.ProcessMessages();
  }

  if (result.outcome == ExchangeOutcome::kPortClosed) {
    view.ShowErrorBox(std::string(PORT_NOT_ACTIVE_TEXT));
  } else if (result.outcome == ExchangeOutcome::kPortError) {
    view.ReleaseFailedPort();
    view.ShowErrorBox(std::string(PORT_LOST_TEXT) + '\r' + result.error);
  }
  return result;
}

}  // namespace exchange
