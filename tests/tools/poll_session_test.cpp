// Whole polls over a pseudo-terminal: the reader's port, the exchange worker
// and the decoder against our simulator, or against a scripted line where the
// simulator has no such behaviour.
#include "reader/poll_session.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "reader/reader_port.h"
#include "sim/pty_pair.h"
#include "sim/simulator.h"
#include "worked_example.h"

namespace reader {
namespace {

using sim::BehaviourKind;

sim::Config WithBehaviour(BehaviourKind kind) {
  sim::Config config;
  config.behaviour.kind = kind;
  return config;
}

class PollSessionTest : public ::testing::Test {
 protected:
  exchange::UART_THREAT& worker_ = exchange::UART_THREAT::Instance();
  sim::Simulator simulator_;
  ReaderPort port_{worker_, simulator_.SlavePath()};
  PollSession session_{worker_, ","};
};

TEST_F(PollSessionTest, NormalReplyGivesTheWorkedExample) {
  const PollRecord record = session_.Poll(1);
  EXPECT_EQ(record.outcome, PollOutcome::kAccepted);
  EXPECT_EQ(record.sent_text, "Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(record.status_text,
            "Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 "
            "64 0 0 66 200 0 0 0 21 0 10 66 72 0 0 "
            "71 118 ");
  EXPECT_EQ(record.lines, testing_example::kMemoLines);
  ASSERT_TRUE(record.readings);
  EXPECT_EQ(record.readings->level1, 45.5F);
  EXPECT_EQ(record.readings->volume2, 100.0F);
  EXPECT_EQ(record.readings->relays, (std::array<bool, 4>{true, false, true, false}));
  EXPECT_EQ(record.reply.size(), 31u);
  EXPECT_EQ(record.unanswered_count, 0);
}

TEST_F(PollSessionTest, ExceptionReplyIsAcceptedWithoutReadings) {
  simulator_.SetConfig(WithBehaviour(BehaviourKind::kException));
  const PollRecord record = session_.Poll(1);
  EXPECT_EQ(record.outcome, PollOutcome::kException);
  EXPECT_EQ(EMUL_Functions::RX_STATE.load(), EMUL_Functions::RX_ACCEPTED);
  EXPECT_EQ(EMUL_Functions::RX_TEXT, "1 132 2 194 193 ");
  EXPECT_EQ(EMUL_Functions::RX_LEN, 31);
  EXPECT_EQ(record.status_text, "Принято:   1 132 2 194 193 ");
  EXPECT_TRUE(record.lines.empty());
  EXPECT_FALSE(record.readings);
  EXPECT_EQ(record.unanswered_count, 0);  // an accepted reply stops the time-out
}

TEST_F(PollSessionTest, AddressInTheSentFrame) {
  simulator_.SetConfig([] {
    sim::Config config;
    config.address = 247;
    return config;
  }());
  const PollRecord record = session_.Poll(247);
  EXPECT_EQ(record.sent_text, "Послано:   247 4 0 0 0 13 37 89 ");
  EXPECT_EQ(record.outcome, PollOutcome::kAccepted);
  EXPECT_EQ(record.address, 247);
}

// Rejected replies and silence all count as unanswered; an accepted reply
// leaves the count.
TEST_F(PollSessionTest, TimeOutCountRunsAcrossPolls) {
  const std::vector<std::pair<BehaviourKind, PollOutcome>> polls = {
      {BehaviourKind::kSilent, PollOutcome::kUnanswered},
      {BehaviourKind::kBadCrc, PollOutcome::kUnanswered},
      {BehaviourKind::kOtherAddress, PollOutcome::kUnanswered},
      {BehaviourKind::kNormal, PollOutcome::kAccepted},
      {BehaviourKind::kSilent, PollOutcome::kUnanswered},
  };
  const std::vector<std::string> statuses = {"Не отвечает (1)", "Не отвечает (2)",
                                             "Не отвечает (3)", "Принято:", "Не отвечает (4)"};
  for (std::size_t i = 0; i < polls.size(); ++i) {
    simulator_.SetConfig(WithBehaviour(polls[i].first));
    const PollRecord record = session_.Poll(1);
    EXPECT_EQ(record.outcome, polls[i].second) << "poll " << i + 1;
    EXPECT_EQ(record.status_text.rfind(statuses[i], 0), 0u) << record.status_text;
    if (record.outcome == PollOutcome::kUnanswered) {
      EXPECT_TRUE(record.lines.empty());
      EXPECT_TRUE(record.reply.empty());
    }
  }
}

// No reply within the read window, then silence: the next exchange reads the
// late reply first.
TEST_F(PollSessionTest, LateReplyIsTakenByTheNextExchange) {
  simulator_.SetConfig(WithBehaviour(BehaviourKind::kSilent));
  simulator_.InjectOnce(sim::Behaviour{.kind = BehaviourKind::kLate});
  EXPECT_EQ(session_.Poll(1).outcome, PollOutcome::kUnanswered);
  const PollRecord second = session_.Poll(1);
  EXPECT_EQ(second.outcome, PollOutcome::kAccepted);
  EXPECT_EQ(second.lines.size(), 8u);
}

// A line where each request is answered with a fixed byte string.
class ScriptedLine {
 public:
  explicit ScriptedLine(std::vector<std::uint8_t> answer)
      : answer_(std::move(answer)), thread_([this] { Serve(); }) {}
  ~ScriptedLine() {
    stopping_ = true;
    thread_.join();
  }
  const std::string& SlavePath() const { return pty_.slave_path(); }

 private:
  void Serve() {
    std::size_t got = 0;
    while (!stopping_) {
      pollfd wait{pty_.master(), POLLIN, 0};
      if (::poll(&wait, 1, 10) <= 0) continue;
      std::uint8_t chunk[64];
      const ssize_t n = ::read(pty_.master(), chunk, sizeof chunk);
      if (n <= 0) continue;
      got += static_cast<std::size_t>(n);
      if (got >= 8) {  // one whole request
        got = 0;
        EXPECT_EQ(::write(pty_.master(), answer_.data(), answer_.size()),
                  static_cast<ssize_t>(answer_.size()));
      }
    }
  }

  sim::PtyPair pty_;
  std::vector<std::uint8_t> answer_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

TEST(PollSessionStray, ExceptionReplyAfterStrayBytesIsFound) {
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  for (std::size_t stray = 1; stray <= 4; ++stray) {
    std::vector<std::uint8_t> answer(stray, 0x55);
    answer.insert(answer.end(), {0x01, 0x84, 0x02, 0xC2, 0xC1});
    ScriptedLine line(answer);
    ReaderPort port(worker, line.SlavePath());
    PollSession session(worker, ",");
    const PollRecord record = session.Poll(1);
    EXPECT_EQ(record.outcome, PollOutcome::kException) << stray << " stray bytes";
    EXPECT_EQ(record.reply, (std::vector<std::uint8_t>{1, 0x84, 2, 0xC2, 0xC1}));
  }
}

TEST(PollSessionLine, PulledLineIsAPortErrorAndTheWorkerServesOn) {
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  auto simulator = std::make_unique<sim::Simulator>();
  {
    ReaderPort port(worker, simulator->SlavePath());
    PollSession session(worker, ",");
    EXPECT_EQ(session.Poll(1).outcome, PollOutcome::kAccepted);
    simulator.reset();  // closes the instrument's end of the line
    const PollRecord record = session.Poll(1);
    EXPECT_EQ(record.outcome, PollOutcome::kPortError);
    EXPECT_FALSE(record.error.empty());
    EXPECT_EQ(record.unanswered_count, 1);
  }
  sim::Simulator replacement;
  ReaderPort port(worker, replacement.SlavePath());
  PollSession session(worker, ",");
  EXPECT_EQ(session.Poll(1).outcome, PollOutcome::kAccepted);
}

}  // namespace
}  // namespace reader
