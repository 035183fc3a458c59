// One request/reply exchange over the process-wide exchange variables.
#pragma once

#include <cstdint>

#include "exchange/exchange_port.h"

namespace exchange {

// How an exchange ended. RX_STATE carries the first two as 1 and 2; the port cases leave it
// at 0 (port not open) or set it to 1 (port error: counted like a missing reply).
enum class ExchangeOutcome : std::int32_t {
  kRejected,    // no valid reply: RX_STATE 1, RX_TEXT empty
  kAccepted,    // valid reply in RX_BUF: RX_STATE 2, RX_TEXT its bytes as decimal text
  kPortClosed,  // port not open: nothing sent, RX_STATE, RX_BUF and RX_TEXT untouched
  kPortError,   // the port threw during the exchange
};

// Sends TX_BUF[0..tx_len-1] with its CRC appended, reads up to rx_len reply bytes, matches
// and checks the reply, purges the driver queues afterwards, and stores the outcome, RX_STATE
// last with release ordering. Nothing is discarded before sending, so a late reply of the
// previous exchange is read first. A null port counts as not open. Port failures propagate
// (RX_STATE then stays 0). Counts passed to the port never leave the 270-byte buffers.
// Worker thread only (or any thread while the worker is parked).
ExchangeOutcome UART_EXCHANGE(ExchangePort* port, std::int32_t tx_len, std::int32_t rx_len);

}  // namespace exchange
