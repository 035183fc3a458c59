// The other end of the line goes away while a poll waits for its reply, as when
// the adapter is pulled: the poll ends with a port error, the worker lives on,
// and a new line with a new port works.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "poll_fixture.h"

namespace faults {
namespace {

using reader::PollOutcome;

TEST_F(PollFixture, LineClosedDuringTheReadIsAPortErrorAndANewPortWorks) {
  simulator_->SetConfig(WithBehaviour({.kind = sim::BehaviourKind::kSilent}));
  std::thread unplug([this] {
    // Well inside the 186 ms read window.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    simulator_.reset();
  });
  const reader::PollRecord record = TimedPoll();
  unplug.join();
  EXPECT_EQ(record.outcome, PollOutcome::kPortError);
  EXPECT_FALSE(record.error.empty());
  EXPECT_TRUE(record.lines.empty());

  // A poll on the dead line fails the same way and does not hang.
  EXPECT_EQ(TimedPoll().outcome, PollOutcome::kPortError);

  port_.reset();
  simulator_ = std::make_unique<sim::Simulator>();
  Connect(simulator_->SlavePath());
  ExpectNormalPollAccepted();
}

}  // namespace
}  // namespace faults
