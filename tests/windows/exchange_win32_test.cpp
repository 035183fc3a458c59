// The exchange worker on Windows: it polls at THREAD_PRIORITY_HIGHEST, set by SetThreadPriority.
#include <gtest/gtest.h>

#include "exchange/EMUL_Functions.h"
#include "exchange/poll.h"
#include "fake_port.h"
#include "fake_window.h"
#include "instrument/read_request.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

using exchange::ExchangeOutcome;
using exchange::UART_THREAT;
using exchange_test::FakePort;
using exchange_test::FakeWindow;

TEST(ExchangeOnWindows, TheWorkerPollsAtThreadPriorityHighest) {
  FakePort port;
  int priority = THREAD_PRIORITY_ERROR_RETURN;
  port.instrument = [&priority](FakePort& line, const protocol_test::Bytes&) {
    priority = ::GetThreadPriority(::GetCurrentThread());
    line.Arrive(protocol_test::NormalReply(1));
  };
  UART_THREAT::Instance().SetPort(&port);
  FakeWindow window;
  const auto request = instrument::FillReadRequest(EMUL_Functions::TX_BUF, 1);
  EMUL_Functions::TX_LEN = request.tx_len;
  EMUL_Functions::RX_LEN = request.rx_len;
  const auto result = exchange::POTOK_START(window, UART_THREAT::Instance());
  UART_THREAT::Instance().SetPort(nullptr);
  EXPECT_EQ(result.outcome, ExchangeOutcome::kAccepted);
  EXPECT_EQ(priority, THREAD_PRIORITY_HIGHEST);
  // The polling thread itself stays as it was.
  EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

}  // namespace
