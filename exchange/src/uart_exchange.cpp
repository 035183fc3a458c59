#include "exchange/uart_exchange.h"

#include <algorithm>

#include "exchange/EMUL_Functions.h"
#include "protocol/frames.h"

namespace exchange {

namespace {

// A byte count cut to the frame buffers, computed wide so that no length can overflow it.
std::int32_t FitBuffer(std::int64_t count) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(count, 0, EMUL_Functions::FRAME_BUFFER_SIZE));
}

}  // namespace

ExchangeOutcome UART_EXCHANGE(ExchangePort* port, std::int32_t tx_len, std::int32_t rx_len) {
  using namespace EMUL_Functions;
  if (port == nullptr || !port->Connected()) return ExchangeOutcome::kPortClosed;

  RX_BUF.fill(0);
  RX_STATE.store(RX_NONE, std::memory_order_relaxed);
  port->SetParityEven();
  DEV_ADDR = TX_BUF[0];
  DEV_FUNC = TX_BUF[1];
  RX_TEXT.clear();
  protocol::AppendCrc(TX_BUF, tx_len);
  // Nothing is purged before the request: a reply that came after an earlier exchange gave up
  // is read first.
  port->SendBytes(TX_BUF.data(), FitBuffer(std::int64_t{tx_len} + 2));

  // The receive scratch area belongs to this one run: zero before the read, so positions that
  // received nothing hold 0, and gone afterwards, so no reply bytes outlive the exchange.
  FrameBuffer scratch{};
  port->ReceiveBytes(scratch.data(), FitBuffer(rx_len));
  const std::int32_t n = protocol::MatchReply(scratch, RX_BUF, DEV_ADDR, DEV_FUNC, rx_len);
  port->PurgeBuffers(true, true);

  if (!protocol::ReplyCrcOk(RX_BUF, n)) {
    RX_STATE.store(RX_REJECTED, std::memory_order_release);
    return ExchangeOutcome::kRejected;
  }
  RX_TEXT = protocol::FrameText(RX_BUF.data(), static_cast<std::size_t>(n));
  RX_STATE.store(RX_ACCEPTED, std::memory_order_release);
  return ExchangeOutcome::kAccepted;
}

}  // namespace exchange
