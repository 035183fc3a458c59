// The port used from two threads at once, one sending while the other
// receives, over the Linux backend on a pseudo-terminal: the transfer started
// second ends as soon as the line allows, not when the first one ends, with or
// without time-outs. Every wait is bounded, so a stalled transfer fails the
// test instead of hanging it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "comport/com_errors.h"
#include "comport/com_port.h"
#include "fake_port.h"
#include "support/pseudo_terminal.h"

namespace comport {
namespace {

using std::chrono::milliseconds;

const std::vector<std::uint8_t> kRequest{1, 4, 0, 0, 0, 13, 0x31, 0xCA};
const std::vector<std::uint8_t> kReply{1, 2, 3, 4, 5, 6, 7, 8};
constexpr milliseconds kPromptly{1500};
constexpr std::int32_t kTimedOutMs = 3000;

struct Timing {
  const char* name;
  std::int32_t read_total;  // ms; 0 with interval 0: no limit
  std::int32_t write_total;
};

// The port's output can be held as flow control would hold it, from a second
// descriptor of the line opened before the port claims it: a send pends with
// its bytes unsent, and only a poll for room notices the line going on.
class PtyCrossTransfer : public ::testing::TestWithParam<Timing> {
 protected:
  PtyCrossTransfer()
      : line_(::open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)), reply_(8, 0) {
    LoadComPort1Definition(port_);
    port_.SetPort(pty_.SlavePath());
    TComTimeouts& t = port_.Timeouts();
    t.SetReadInterval(0);
    t.SetReadTotalMultiplier(0);
    t.SetReadTotalConstant(GetParam().read_total);
    t.SetWriteTotalMultiplier(0);
    t.SetWriteTotalConstant(GetParam().write_total);
    port_.SetConnected(true);
  }
  ~PtyCrossTransfer() override {
    Release();
    // A transfer still running after a failure is ended so the threads can be joined.
    if (!Ended(sending_) || !Ended(receiving_)) port_.CancelTransfers();
    for (auto* transfer : {&sending_, &receiving_}) {
      try {
        if (transfer->valid()) transfer->get();
      } catch (const EComPort&) {
      }
    }
    port_.SetConnected(false);
    if (line_ >= 0) ::close(line_);
  }

  void Hold() { ASSERT_EQ(::tcflow(line_, TCOOFF), 0); }
  void Release() { ::tcflow(line_, TCOON); }
  void StartSend() {
    sending_ = std::async(std::launch::async, [this] {
      return port_.SendBytes(kRequest.data(), static_cast<std::int32_t>(kRequest.size()));
    });
  }
  void StartReceive() {
    receiving_ = std::async(std::launch::async, [this] {
      return port_.ReceiveBytes(reply_.data(), static_cast<std::int32_t>(reply_.size()));
    });
  }
  static bool Ended(std::future<std::int32_t>& transfer, milliseconds limit = milliseconds(0)) {
    return !transfer.valid() || transfer.wait_for(limit) == std::future_status::ready;
  }
  // Lets the first transfer's thread settle in its wait.
  static void Settle() { std::this_thread::sleep_for(milliseconds(100)); }

  vlk_test::PseudoTerminal pty_;
  const int line_;
  TComPort port_;
  std::vector<std::uint8_t> reply_;
  std::future<std::int32_t> sending_;
  std::future<std::int32_t> receiving_;
};

TEST_P(PtyCrossTransfer, SendBytesWhileAnotherThreadReceivesGoesOut) {
  ASSERT_GE(line_, 0);
  StartReceive();
  Settle();
  Hold();
  StartSend();
  Settle();
  Release();
  ASSERT_TRUE(Ended(sending_, kPromptly));
  EXPECT_EQ(sending_.get(), 8);
  EXPECT_EQ(pty_.ReadSome(1000), kRequest);

  pty_.Write(kReply);
  ASSERT_TRUE(Ended(receiving_, kPromptly));
  EXPECT_EQ(receiving_.get(), 8);
  EXPECT_EQ(reply_, kReply);
}

TEST_P(PtyCrossTransfer, ReceiveBytesWhileAnotherThreadSendsTakesTheReply) {
  ASSERT_GE(line_, 0);
  Hold();
  StartSend();
  Settle();
  StartReceive();
  Settle();
  pty_.Write(kReply);
  ASSERT_TRUE(Ended(receiving_, kPromptly));
  EXPECT_EQ(receiving_.get(), 8);
  EXPECT_EQ(reply_, kReply);

  Release();
  ASSERT_TRUE(Ended(sending_, kPromptly));
  EXPECT_EQ(sending_.get(), 8);
  EXPECT_EQ(pty_.ReadSome(1000), kRequest);
}

INSTANTIATE_TEST_SUITE_P(ComPort, PtyCrossTransfer,
                         ::testing::Values(Timing{"NoTimeouts", 0, 0},
                                           Timing{"Timeouts", kTimedOutMs, kTimedOutMs}),
                         [](const ::testing::TestParamInfo<Timing>& param) {
                           return param.param.name;
                         });

}  // namespace
}  // namespace comport
