#include "polling/poll_instrument.h"

#include <cstddef>
#include <utility>

#include "exchange/EMUL_Functions.h"
#include "instrument/read_request.h"
#include "protocol/frames.h"

namespace polling {
namespace {

PollOutcome OutcomeOf(exchange::ExchangeOutcome outcome) {
  switch (outcome) {
    case exchange::ExchangeOutcome::kAccepted:
      return PollOutcome::kAccepted;
    case exchange::ExchangeOutcome::kRejected:
      return PollOutcome::kUnanswered;
    case exchange::ExchangeOutcome::kPortClosed:
      return PollOutcome::kPortClosed;
    case exchange::ExchangeOutcome::kPortError:
      return PollOutcome::kPortError;
  }
  return PollOutcome::kUnanswered;
}

}  // namespace

PollResult PollInstrument(std::uint8_t address, exchange::PollView& view,
                          exchange::UART_THREAT& worker, instrument::DecodedFields& kept) {
  using namespace EMUL_Functions;
  const protocol::ReadRequest request = instrument::FillReadRequest(TX_BUF, address);
  TX_LEN = request.tx_len;
  RX_LEN = request.rx_len;
  exchange::ExchangeResult exchanged = exchange::POTOK_START(view, worker);

  PollResult result;
  // The worker's verdict is the one RX_STATE holds; WaitForExchange has made the reply's
  // bytes visible here.
  result.outcome = OutcomeOf(exchanged.outcome);
  if (result.outcome == PollOutcome::kPortError) result.error = std::move(exchanged.error);
  if (result.outcome != PollOutcome::kAccepted) return result;

  result.readings = instrument::Decode(RX_BUF, kept);
  if (!result.readings) result.outcome = PollOutcome::kException;
  // Reply matching took an exception reply's 5 bytes, a normal reply's RX_LEN.
  const std::size_t length = result.readings ? static_cast<std::size_t>(RX_LEN)
                                             : std::size_t{protocol::EXCEPTION_REPLY_LENGTH};
  result.reply.assign(RX_BUF.begin(), RX_BUF.begin() + static_cast<std::ptrdiff_t>(length));
  return result;
}

}  // namespace polling
