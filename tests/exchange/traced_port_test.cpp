#include "exchange/traced_port.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "exchange/EMUL_Functions.h"
#include "exchange/uart_exchange.h"
#include "fake_port.h"
#include "instrument/read_request.h"
#include "protocol/frames.h"

namespace {

using exchange::ExchangeOutcome;
using exchange_test::Answering;
using exchange_test::FakePort;

// The trace's lines without their times.
std::vector<std::string> Events(const std::string& text) {
  std::vector<std::string> events;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) events.push_back(line.substr(line.find(' ') + 1));
  return events;
}

ExchangeOutcome Exchange(exchange::ExchangePort& port) {
  const protocol::ReadRequest request = instrument::FillReadRequest(EMUL_Functions::TX_BUF, 1);
  return exchange::UART_EXCHANGE(&port, request.tx_len, request.rx_len);
}

// The exchange sees the port it wraps unchanged; the trace gets what crossed it.
TEST(TracedPort, RecordsTheBytesEachCallMovedAndWhatFailed) {
  FakePort port;
  std::ostringstream out;
  trace::FrameTrace trace(out, "vlk240");
  exchange::TracedPort traced(port, trace);

  port.instrument = Answering({0x01, 0x84, 0x02, 0xC2, 0xC1});
  EXPECT_EQ(Exchange(traced), ExchangeOutcome::kAccepted);
  EXPECT_EQ(port.calls, (std::vector<std::string>{"Connected", "SetParityEven", "SendBytes 8",
                                                  "ReceiveBytes 31", "PurgeBuffers 1 1"}));
  port.instrument = nullptr;
  EXPECT_EQ(Exchange(traced), ExchangeOutcome::kRejected);
  port.fail_once = "ReceiveBytes";
  EXPECT_THROW(Exchange(traced), std::runtime_error);
  port.fail_once = "Connected";
  EXPECT_THROW(Exchange(traced), std::runtime_error);

  EXPECT_EQ(Events(out.str()), (std::vector<std::string>{
                                   "vlk240 tx 8 01 04 00 00 00 0D 31 CF",
                                   "vlk240 rx 5 01 84 02 C2 C1",
                                   "vlk240 tx 8 01 04 00 00 00 0D 31 CF",
                                   "vlk240 rx 0",
                                   "vlk240 tx 8 01 04 00 00 00 0D 31 CF",
                                   "vlk240 error line failure in ReceiveBytes",
                                   "vlk240 error line failure in Connected",
                               }));
}

}  // namespace
