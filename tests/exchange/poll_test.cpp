#include "exchange/poll.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include "exchange/EMUL_Functions.h"
#include "exchange/reply_timeout.h"
#include "fake_port.h"
#include "fake_window.h"
#include "instrument/read_request.h"
#include "protocol/frames.h"

namespace {

using namespace EMUL_Functions;
using exchange::ExchangeOutcome;
using exchange::ExchangeResult;
using exchange::UART_THREAT;
using exchange_test::Answering;
using exchange_test::FakePort;
using exchange_test::FakeWindow;
using protocol_test::Bytes;
using protocol_test::NormalReply;
using protocol_test::WithCrc;

const Bytes kRequest1 = {1, 4, 0, 0, 0, 13, 0x31, 0xCF};
const Bytes kException1 = {0x01, 0x84, 0x02, 0xC2, 0xC1};

class PollTest : public ::testing::Test {
 protected:
  void SetUp() override { UART_THREAT::Instance().SetPort(&port_); }
  void TearDown() override { UART_THREAT::Instance().SetPort(nullptr); }

  // What the read handler and the window do around POTOK_START: fill the request, poll,
  // decode (here: show the reply), then let the window process events, which runs the reply
  // time-out's handler if it is still armed.
  ExchangeResult Poll(std::uint8_t address = 1) {
    const auto request = instrument::FillReadRequest(TX_BUF, address);
    TX_LEN = request.tx_len;
    RX_LEN = request.rx_len;
    ExchangeResult result = exchange::POTOK_START(window_, UART_THREAT::Instance());
    if (RX_STATE.load(std::memory_order_acquire) == RX_ACCEPTED) {
      window_.DisableReplyTimeout();
      window_.SetStatusPanel1(std::string(protocol::RECEIVED_PREFIX) + RX_TEXT);
    }
    if (window_.timeout_enabled) exchange::Time_is_outTimer(window_);
    return result;
  }

  FakePort port_;
  FakeWindow window_;
};

TEST_F(PollTest, CallsInOrderNothingDiscardedBeforeSending) {
  port_.instrument = Answering(NormalReply(1));
  EXPECT_EQ(Poll().outcome, ExchangeOutcome::kAccepted);
  EXPECT_EQ(port_.calls, (std::vector<std::string>{"Connected", "SetParityEven", "SendBytes 8",
                                                   "ReceiveBytes 31", "PurgeBuffers 1 1"}));
  EXPECT_EQ(port_.sent, std::vector<Bytes>{kRequest1});
  EXPECT_EQ(window_.events, (std::vector<std::string>{"clear", "pump", "sent", "arm"}));
  EXPECT_EQ(window_.static_text, "Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(DEV_ADDR, 1);
  EXPECT_EQ(DEV_FUNC, 4);
}

struct OutcomeCase {
  const char* name;
  Bytes answer;
  std::int32_t rx_state;
  Bytes rx_buf;  // expected start of RX_BUF, zero after it
};

TEST_F(PollTest, OutcomesOfOneExchange) {
  const Bytes normal = NormalReply(1);
  Bytes bad_crc = normal;
  bad_crc[30] ^= 0x80;
  const OutcomeCase cases[] = {
      {"normal reply", normal, RX_ACCEPTED, normal},
      {"exception reply", kException1, RX_ACCEPTED, kException1},  // text "1 132 2 194 193 "
      {"exception after stray bytes", protocol_test::Concat({0, 0xFF}, kException1), RX_ACCEPTED,
       kException1},
      {"wrong CRC", bad_crc, RX_REJECTED, bad_crc},
      {"other address", NormalReply(2), RX_REJECTED, {}},
      {"no reply", {}, RX_REJECTED, {}},
      {"cut short", Bytes(normal.begin(), normal.begin() + 20), RX_REJECTED,
       Bytes(normal.begin(), normal.begin() + 20)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    port_.instrument = Answering(c.answer);
    Poll();
    EXPECT_EQ(RX_STATE.load(), c.rx_state);
    EXPECT_EQ(RX_BUF, protocol_test::Buffer(c.rx_buf));
    EXPECT_EQ(RX_LEN, 31);
    const std::size_t accepted = c.rx_state == RX_ACCEPTED ? c.rx_buf.size() : 0;
    EXPECT_EQ(RX_TEXT, protocol::FrameText(c.rx_buf.data(), accepted));
  }
  EXPECT_TRUE(window_.boxes.empty());
}

TEST_F(PollTest, LateReplyIsReadAndAcceptedByTheNextExchange) {
  port_.instrument = [](FakePort& port, const Bytes&) { port.ArriveAfterPurge(NormalReply(1)); };
  Poll();
  EXPECT_EQ(RX_STATE.load(), RX_REJECTED);
  port_.instrument = nullptr;  // silent now: only the queued late reply is on the line
  Poll();
  EXPECT_EQ(RX_STATE.load(), RX_ACCEPTED);
  EXPECT_EQ(RX_BUF, protocol_test::Buffer(NormalReply(1)));
}

TEST_F(PollTest, UnansweredPollsCountedAcrossTheRun) {
  const Bytes reply = NormalReply(247);
  const struct {
    bool answered;
    std::string panel1;
  } polls[] = {
      {false, "Не отвечает (1)"},
      {false, "Не отвечает (2)"},
      {false, "Не отвечает (3)"},
      {true, "Принято:   " + protocol::FrameText(reply.data(), reply.size())},
      {false, "Не отвечает (4)"},
  };
  for (const auto& poll : polls) {
    port_.instrument = poll.answered ? Answering(reply) : nullptr;
    Poll(247);
    EXPECT_EQ(window_.static_text, "Послано:   247 4 0 0 0 13 37 89 ");
    EXPECT_EQ(window_.panel1, poll.panel1);
    EXPECT_FALSE(window_.timeout_enabled);
  }
  EXPECT_EQ(window_.tag, 4);
}

TEST_F(PollTest, ClosedPortShowsTheBoxOnceAndEndsWithoutDecoding) {
  port_.instrument = Answering(NormalReply(1));
  Poll();
  ASSERT_EQ(RX_STATE.load(), RX_ACCEPTED);

  port_.connected = false;
  port_.calls.clear();
  EXPECT_EQ(Poll().outcome, ExchangeOutcome::kPortClosed);
  EXPECT_NE(RX_STATE.load(), RX_ACCEPTED);
  EXPECT_EQ(port_.calls, std::vector<std::string>{"Connected"});
  EXPECT_EQ(window_.boxes, std::vector<std::string>{std::string(exchange::PORT_NOT_ACTIVE_TEXT)});

  port_.connected = true;
  EXPECT_EQ(Poll().outcome, ExchangeOutcome::kAccepted);
  EXPECT_EQ(window_.boxes.size(), 1U);
}

TEST_F(PollTest, PortErrorEndsThePollUnansweredAndTheNextPollWorks) {
  for (const char* failing :
       {"Connected", "SetParityEven", "SendBytes", "ReceiveBytes", "PurgeBuffers"}) {
    SCOPED_TRACE(failing);
    window_.boxes.clear();
    window_.events.clear();
    const std::int32_t tag_before = window_.tag;
    port_.instrument = Answering(NormalReply(1));
    port_.fail_once = failing;
    const ExchangeResult failed = Poll();
    EXPECT_EQ(failed.outcome, ExchangeOutcome::kPortError);
    EXPECT_EQ(RX_STATE.load(), RX_REJECTED);
    EXPECT_TRUE(RX_TEXT.empty());
    // Released before the operator is told, so the box does not hold the dead device.
    EXPECT_EQ(std::vector<std::string>(window_.events.end() - 2, window_.events.end()),
              (std::vector<std::string>{"release", "box"}));
    EXPECT_EQ(window_.boxes, std::vector<std::string>{std::string(exchange::PORT_LOST_TEXT) +
                                                      "\rline failure in " + failing});
    EXPECT_EQ(window_.tag, tag_before + 1);  // counted like a missing reply

    port_.Arrive({});  // the line is back; leftovers of the failed exchange may remain
    port_.PurgeBuffers(true, true);
    EXPECT_EQ(Poll().outcome, ExchangeOutcome::kAccepted);
    EXPECT_EQ(RX_STATE.load(), RX_ACCEPTED);
  }
}

TEST_F(PollTest, ManyRapidPollsLoseNoWakeUp) {
  constexpr int kPolls = 2000;
  int accepted = 0;
  for (int i = 0; i < kPolls; ++i) {
    const bool answered = i % 3 != 0;
    port_.instrument = answered ? Answering(NormalReply(1, static_cast<std::uint8_t>(i))) : nullptr;
    const ExchangeResult result = Poll();
    ASSERT_EQ(result.outcome, answered ? ExchangeOutcome::kAccepted : ExchangeOutcome::kRejected)
        << i;
    if (answered) {
      ASSERT_EQ(RX_BUF[3], static_cast<std::uint8_t>(i)) << i;
      ++accepted;
    }
  }
  EXPECT_EQ(accepted, kPolls - (kPolls + 2) / 3);
  UART_THREAT::Instance().WaitParked();
  EXPECT_TRUE(UART_THREAT::Instance().Parked());
}

// The parked worker looks for a wake-up for a short while before it sleeps: wake-ups that come
// at once, within that look, and after it went to sleep are all taken, each exactly once.
TEST_F(PollTest, WakeUpsAtAnySpacingAreEachTakenOnce) {
  const std::chrono::microseconds spacings[] = {
      std::chrono::microseconds(0), std::chrono::microseconds(20), std::chrono::microseconds(200),
      std::chrono::microseconds(2000)};
  for (int i = 0; i < 400; ++i) {
    port_.instrument = Answering(NormalReply(1, static_cast<std::uint8_t>(i)));
    std::this_thread::sleep_for(spacings[i % 4]);
    ASSERT_EQ(Poll().outcome, ExchangeOutcome::kAccepted) << i;
    ASSERT_EQ(RX_BUF[3], static_cast<std::uint8_t>(i)) << i;
  }
  EXPECT_EQ(port_.sent.size(), 400U);  // one exchange per wake-up, none run twice
}

TEST(PortNotActiveText, CyrillicComThenCarriageReturn) {
  EXPECT_EQ(exchange::PORT_NOT_ACTIVE_TEXT,
            "\xD0\xA1\xD0\x9E\xD0\x9C \xD0\x9F\xD0\xBE\xD1\x80\xD1\x82 \xD0\xBD\xD0\xB5 "
            "\xD0\xB0\xD0\xBA\xD1\x82\xD0\xB8\xD0\xB2\xD0\xB5\xD0\xBD !!!\r Written by Vastrel");
}

TEST(PortTexts, LostAndUnavailableSpellComInCyrillic) {
  const std::string com = "\xD0\xA1\xD0\x9E\xD0\x9C";  // С, О, М
  EXPECT_EQ(exchange::PORT_LOST_TEXT, "Связь с " + com + " портом потеряна");
  EXPECT_EQ(exchange::PORT_UNAVAILABLE_TEXT, com + " порт недоступен");
}

TEST(UartExchange, LengthsOutsideTheBuffersAreCutForThePort) {
  const struct {
    std::int32_t tx_len, rx_len;
    std::vector<std::string> counts;
  } cases[] = {
      {INT_MAX, INT_MAX, {"SendBytes 270", "ReceiveBytes 270"}},
      {INT_MIN, INT_MIN, {"SendBytes 0", "ReceiveBytes 0"}},
      {268, 270, {"SendBytes 270", "ReceiveBytes 270"}},
  };
  for (const auto& c : cases) {
    FakePort port;
    TX_BUF.fill(1);
    EXPECT_EQ(exchange::UART_EXCHANGE(&port, c.tx_len, c.rx_len), ExchangeOutcome::kRejected);
    EXPECT_EQ(port.calls[2], c.counts[0]);
    EXPECT_EQ(port.calls[3], c.counts[1]);
  }
}

}  // namespace
