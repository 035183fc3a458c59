// One reader port and poll session on a simulated instrument, with every poll
// bounded: a hung poll aborts the test program, a slow one fails the test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "exchange/EMUL_Functions.h"
#include "reader/poll_session.h"
#include "reader/reader_port.h"
#include "sim/simulator.h"
#include "watchdog.h"

namespace faults {

// What panel 1 shows for the reference reply of address 1.
inline constexpr const char* kWorkedExampleStatus =
    "Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 0 71 "
    "118 ";

inline sim::Config WithBehaviour(const sim::Behaviour& behaviour) {
  sim::Config config;
  config.behaviour = behaviour;
  return config;
}

class PollFixture : public ::testing::Test {
 protected:
  // The worst poll (write, 186 ms read, purge) is far below this; the
  // watchdog bound is wider still, for a loaded machine.
  static constexpr std::chrono::milliseconds kPollBound{2000};
  static constexpr std::chrono::milliseconds kHangBound{10000};

  PollFixture() { Connect(simulator_->SlavePath()); }

  // Replaces the reader's port with one on `path`.
  void Connect(const std::string& path) {
    port_.reset();
    port_.emplace(worker_, path);
  }

  reader::PollRecord TimedPoll() {
    Watchdog watchdog("one poll", kHangBound);
    const auto start = std::chrono::steady_clock::now();
    reader::PollRecord record = session_.Poll(1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPollBound);
    return record;
  }

  // Switches the simulator back to a sound reply and checks the next poll
  // gets the reference reply.
  void ExpectNormalPollAccepted() {
    simulator_->SetConfig(sim::Config{});
    const reader::PollRecord record = TimedPoll();
    EXPECT_EQ(record.outcome, reader::PollOutcome::kAccepted);
    EXPECT_EQ(record.status_text, kWorkedExampleStatus);
  }

  static std::int32_t RxState() { return EMUL_Functions::RX_STATE.load(); }

  exchange::UART_THREAT& worker_ = exchange::UART_THREAT::Instance();
  std::unique_ptr<sim::Simulator> simulator_ = std::make_unique<sim::Simulator>();
  std::optional<reader::ReaderPort> port_;
  reader::PollSession session_{worker_, ","};
};

}  // namespace faults
