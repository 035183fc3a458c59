// One poll over a real serial port object on a pseudo-terminal, the instrument at the master
// end. Time bounds are generous: the machine is shared.
#include "exchange/comport_line.h"

#include <gtest/gtest.h>

#include <thread>

#include "comport/com_port.h"
#include "exchange/EMUL_Functions.h"
#include "exchange/poll.h"
#include "fake_window.h"
#include "frame_bytes.h"
#include "instrument/read_request.h"
#include "support/pseudo_terminal.h"

namespace {

using namespace EMUL_Functions;
using exchange::ExchangeOutcome;
using exchange::UART_THREAT;

class ComPortLineTest : public ::testing::Test {
 protected:
  ComPortLineTest() {
    port_.SetPort(pty_.SlavePath());
    port_.Parity().SetBits(comport::prOdd);  // the exchange sets even parity itself
    port_.Timeouts().SetReadTotalMultiplier(6);
    port_.Timeouts().SetWriteTotalMultiplier(150);
    UART_THREAT::Instance().SetPort(&line_);
    const auto request = instrument::FillReadRequest(TX_BUF, 1);
    TX_LEN = request.tx_len;
    RX_LEN = request.rx_len;
  }
  ~ComPortLineTest() override { UART_THREAT::Instance().SetPort(nullptr); }

  vlk_test::PseudoTerminal pty_;
  comport::TComPort port_;
  exchange::ComPortLine line_{port_};
  exchange_test::FakeWindow window_;
};

TEST_F(ComPortLineTest, ReplyFromTheLineIsAccepted) {
  port_.SetConnected(true);
  const protocol_test::Bytes reply = protocol_test::NormalReply(1);
  std::thread instrument([this, &reply] {
    if (pty_.ReadSome(5000).size() >= 8) pty_.Write(reply);
  });
  const auto result = exchange::POTOK_START(window_, UART_THREAT::Instance());
  instrument.join();
  EXPECT_EQ(result.outcome, ExchangeOutcome::kAccepted);
  EXPECT_EQ(port_.Parity().Bits(), comport::prEven);
  EXPECT_EQ(RX_STATE.load(), RX_ACCEPTED);
  EXPECT_EQ(RX_BUF, protocol_test::Buffer(reply));
}

TEST_F(ComPortLineTest, ClosedPortIsReportedNotUsed) {
  EXPECT_EQ(exchange::POTOK_START(window_, UART_THREAT::Instance()).outcome,
            ExchangeOutcome::kPortClosed);
  EXPECT_EQ(window_.boxes.size(), 1U);
}

}  // namespace
