// The poll routine's verdict and readings over the in-process instrument line: what each kind
// of reply, or none, gives, and what the fields kept between replies keep.
#include "polling/poll_instrument.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "exchange/quiet_view.h"
#include "simline/instrument_line.h"

namespace polling {
namespace {

using exchange::UART_THREAT;

// A line whose adapter is pulled out as the request goes.
class PulledLine : public simline::InstrumentLine {
 public:
  std::int32_t SendBytes(const std::uint8_t*, std::int32_t) override {
    throw std::runtime_error("device gone");
  }
};

class PollInstrumentTest : public ::testing::Test {
 protected:
  void TearDown() override { UART_THREAT::Instance().SetPort(nullptr); }

  PollResult Poll(exchange::ExchangePort* port, std::uint8_t address = 1) {
    UART_THREAT::Instance().SetPort(port);
    return PollInstrument(address, view_, UART_THREAT::Instance(), kept_);
  }

  exchange::QuietView view_;
  instrument::DecodedFields kept_;
};

TEST_F(PollInstrumentTest, EachReplyGivesItsOutcomeAndOnlyANormalOneReadings) {
  simline::InstrumentLine line;
  const PollResult accepted = Poll(&line);
  EXPECT_EQ(accepted.outcome, PollOutcome::kAccepted);
  EXPECT_TRUE(accepted.Answered());
  ASSERT_EQ(accepted.reply.size(), 31u);
  EXPECT_EQ(accepted.reply[2], 26);
  ASSERT_TRUE(accepted.readings);
  EXPECT_EQ(accepted.readings->level1, 45.5F);
  EXPECT_EQ(accepted.readings->volume2, 100.0F);
  EXPECT_EQ(kept_.LEVEL_1, 45.5F);
  EXPECT_TRUE(accepted.error.empty());

  sim::Behaviour refusal;
  refusal.kind = sim::BehaviourKind::kException;
  line.InjectOnce(refusal);
  const PollResult exception = Poll(&line);
  EXPECT_EQ(exception.outcome, PollOutcome::kException);
  EXPECT_TRUE(exception.Answered());
  EXPECT_EQ(exception.reply, (std::vector<std::uint8_t>{1, 0x84, 2, 0xC2, 0xC1}));
  EXPECT_FALSE(exception.readings);
  EXPECT_EQ(kept_.LEVEL_1, 45.5F) << "a refusal decodes nothing";

  const PollResult silence = Poll(&line, 247);
  EXPECT_EQ(silence.outcome, PollOutcome::kUnanswered);
  EXPECT_FALSE(silence.Answered());
  EXPECT_TRUE(silence.reply.empty());
  EXPECT_FALSE(silence.readings);
  EXPECT_EQ(EMUL_Functions::TX_BUF[0], 247);
  EXPECT_TRUE(view_.error.empty());
}

TEST_F(PollInstrumentTest, APortThatIsNotThereOrFailsIsNoAnswer) {
  const PollResult closed = Poll(nullptr);
  EXPECT_EQ(closed.outcome, PollOutcome::kPortClosed);
  EXPECT_FALSE(closed.Answered());
  EXPECT_TRUE(closed.error.empty());
  EXPECT_EQ(view_.error, exchange::PORT_NOT_ACTIVE_TEXT) << "POTOK_START tells the operator";

  PulledLine pulled;
  const PollResult failed = Poll(&pulled);
  EXPECT_EQ(failed.outcome, PollOutcome::kPortError);
  EXPECT_EQ(failed.error, "device gone");
  EXPECT_FALSE(failed.Answered());
  EXPECT_FALSE(failed.readings);
  EXPECT_EQ(view_.error, std::string(exchange::PORT_LOST_TEXT) + "\rdevice gone");
}

}  // namespace
}  // namespace polling
