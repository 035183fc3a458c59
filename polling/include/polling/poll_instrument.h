// One poll of the instrument, as the window's read button and the command-line reader both run
// it: the read request, POTOK_START, and the accepted reply decoded into Readings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/UART_THREAT.h"
#include "exchange/poll.h"
#include "instrument/readings.h"

namespace polling {

// How one poll ended.
enum class PollOutcome {
  kAccepted,    // a valid normal reply, decoded into readings
  kException,   // a valid exception reply: the instrument refused, nothing decoded
  kUnanswered,  // no valid reply: silence, another address or function, cut short, bad CRC
  kPortClosed,  // the port was not open: nothing was sent
  kPortError,   // the port failed during the exchange
};

struct PollResult {
  PollOutcome outcome = PollOutcome::kUnanswered;
  std::vector<std::uint8_t> reply;               // the valid reply's bytes, empty otherwise
  std::optional<instrument::Readings> readings;  // kAccepted only
  std::string error;                             // the port's message, kPortError only

  // A valid reply came, normal or exception: RX_STATE 2, RX_TEXT its bytes.
  bool Answered() const {
    return outcome == PollOutcome::kAccepted || outcome == PollOutcome::kException;
  }
};

// Fills the read request for `address` (1..247) into TX_BUF, TX_LEN and RX_LEN, runs
// POTOK_START on `view` and `worker`, and decodes a normal reply from RX_BUF, which updates
// `kept`. Shows nothing of the reply: what an answer or its absence does to the window is the
// caller's. Window thread only, while no other poll runs.
PollResult PollInstrument(std::uint8_t address, exchange::PollView& view,
                          exchange::UART_THREAT& worker, instrument::DecodedFields& kept);

}  // namespace polling
