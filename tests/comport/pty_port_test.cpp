// The port over the real Linux backend, on pseudo-terminals. Timing bounds are
// generous: the machine is shared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cancel_receive.h"
#include "comport/com_port.h"
#include "fake_port.h"
#include "support/best_of_runs.h"
#include "support/pseudo_terminal.h"

namespace comport {
namespace {

using Clock = std::chrono::steady_clock;
using ::testing::ElementsAre;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class PtyPortTest : public ::testing::Test {
 protected:
  PtyPortTest() {
    LoadComPort1Definition(port);
    port.SetPort(pty.SlavePath());
  }

  vlk_test::PseudoTerminal pty;
  TComPort port;
};

// Expects opening `subject` to raise error 1 with `system_code`.
void ExpectOpenError(TCustomComPort& subject, std::int32_t system_code) {
  try {
    subject.SetConnected(true);
    ADD_FAILURE() << "opened";
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 1);
    EXPECT_EQ(error.SystemErrorCode(), system_code);
  }
  EXPECT_FALSE(subject.Connected());
}

// 6 ms x 31 bytes = 186 ms; a timer with 100 ms steps (200 ms) must fail.
TEST_F(PtyPortTest, ReadInSilenceEndsOnTheTotalTimeout) {
  port.SetConnected(true);
  const double best = vlk_test::BestOfRuns(3, 195.0, [this] {
    std::vector<std::uint8_t> reply(31, 0xEE);
    const auto start = Clock::now();
    EXPECT_EQ(port.ReceiveBytes(reply.data(), 31), 0);
    const double elapsed = MsSince(start);
    EXPECT_GE(elapsed, 186.0);
    return elapsed;
  });
  EXPECT_LE(best, 195.0);
}

TEST_F(PtyPortTest, ShortReplyReturnsItsCountAndLeavesTheRestOfTheBuffer) {
  port.SetConnected(true);
  std::thread instrument([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pty.Write({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  });
  std::vector<std::uint8_t> reply(31, 0xEE);
  const std::int32_t received = port.ReceiveBytes(reply.data(), 31);
  instrument.join();
  EXPECT_EQ(received, 12);
  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(reply[11], 12);
  for (std::size_t i = 12; i < reply.size(); ++i) EXPECT_EQ(reply[i], 0xEE) << i;
}

TEST_F(PtyPortTest, WholeReplyAndRequestCrossTheLine) {
  port.SetConnected(true);
  const std::vector<std::uint8_t> request = {1, 4, 0, 0, 0, 13, 0x31, 0xCF};
  EXPECT_EQ(port.SendBytes(request.data(), 8), 8);
  EXPECT_EQ(pty.ReadSome(1000), request);
  std::vector<std::uint8_t> frame(31);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i);
  pty.Write(frame);
  std::vector<std::uint8_t> reply(31);
  EXPECT_EQ(port.ReceiveBytes(reply.data(), 31), 31);
  EXPECT_EQ(reply, frame);
}

TEST_F(PtyPortTest, NewPortTimeoutsReturnAtOnce) {
  TComPort fresh;
  fresh.SetPort(pty.SlavePath());
  fresh.SetConnected(true);
  std::uint8_t buffer[31] = {};
  auto start = Clock::now();
  EXPECT_EQ(fresh.ReceiveBytes(buffer, 31), 0);
  EXPECT_LT(MsSince(start), 100.0);

  pty.Write({7, 8, 9});
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (fresh.BytesAvailable() < 3 && Clock::now() < deadline) std::this_thread::yield();
  start = Clock::now();
  EXPECT_EQ(fresh.ReceiveBytes(buffer, 31), 3);
  EXPECT_LT(MsSince(start), 100.0);
  EXPECT_THAT(std::vector<std::uint8_t>(buffer, buffer + 3), ElementsAre(7, 8, 9));
}

// 1 is rounded to 0, which asks the driver for no particular size.
TEST_F(PtyPortTest, InputSizeZeroOrOneOpensWithTheDriversQueue) {
  for (const std::int32_t size : {0, 1}) {
    port.Buffer().SetInputSize(size);
    port.Buffer().SetOutputSize(size);
    EXPECT_NO_THROW(port.SetConnected(true)) << size;
    EXPECT_TRUE(port.Connected()) << size;
    port.SetConnected(false);
  }
}

TEST_F(PtyPortTest, SecondOpenIsRefused) {
  port.SetConnected(true);
  TComPort second;
  second.SetPort(pty.SlavePath());
  ExpectOpenError(second, 5);
  EXPECT_TRUE(port.Connected());
}

TEST_F(PtyPortTest, MissingDeviceIsError1WithCode2) {
  port.SetPort("/dev/vlk-no-such-port");
  try {
    port.SetConnected(true);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.Message(), "Unable to open com port (win error code: 2)");
  }
  EXPECT_FALSE(port.Connected());
}

TEST_F(PtyPortTest, CancelEndsAPendingReceiveFromAnotherThread) {
  port.SetConnected(true);
  TComTimeouts forever;
  forever.SetReadInterval(0);
  forever.SetWriteTotalMultiplier(0);
  forever.SetWriteTotalConstant(0);
  port.SetTimeouts(forever);
  const CancelledReceive result = CancelPendingReceive(
      port, [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(result.system, 995);
}

TEST_F(PtyPortTest, AThrowingTxListenerLeavesNoWritePendingOnTheFreedRecord) {
  port.SetConnected(true);
  TPortListener link;
  link.TxActivity = [](TCustomComPort&, bool) { throw std::runtime_error("listener"); };
  port.AddListener(link);
  // Far more than the pseudo-terminal holds while nobody reads it: the write pends.
  const std::vector<std::uint8_t> bulk(1 << 16, 0x55);
  EXPECT_THROW(port.SendBytes(bulk.data(), static_cast<std::int32_t>(bulk.size())),
               std::runtime_error);
  port.RemoveListener(link);
  platform::DWORD errors = 0;
  platform::COMSTAT stat{};
  ASSERT_TRUE(platform::Comm().ClearCommError(port.DeviceHandle(), &errors, &stat));
  EXPECT_EQ(stat.cbOutQue, 0u) << "the write still pends on the freed record";
}

TEST_F(PtyPortTest, PurgeDropsQueuedInput) {
  port.SetConnected(true);
  pty.Write({1, 2, 3, 4});
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (port.BytesAvailable() < 4 && Clock::now() < deadline) std::this_thread::yield();
  ASSERT_EQ(port.BytesAvailable(), 4);
  port.PurgeBuffers(true, true);
  EXPECT_EQ(port.BytesAvailable(), 0);
  port.Timeouts().SetReadTotalMultiplier(0);
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(port.ReceiveBytes(buffer, 4), 0);
}

}  // namespace
}  // namespace comport
