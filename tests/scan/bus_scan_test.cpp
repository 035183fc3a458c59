// The bus scan over the in-process instrument line: progress, cancel, a port that fails, and
// an instrument slower than a poll's first bytes but within the first-byte time-out.
#include "scan/bus_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "simline/instrument_line.h"

namespace scan {
namespace {

using exchange::UART_THREAT;

class PulledLine : public simline::InstrumentLine {
 public:
  std::int32_t SendBytes(const std::uint8_t*, std::int32_t) override {
    throw std::runtime_error("device gone");
  }
};

class BusScanTest : public ::testing::Test {
 protected:
  void TearDown() override { UART_THREAT::Instance().SetPort(nullptr); }

  ScanResult Scan(exchange::ExchangePort& line, const ScanSettings& settings,
                  const std::function<void(const Probe&, const ScanProgress&)>& on_probe = {},
                  const std::function<void()>& process_messages = {}) {
    UART_THREAT::Instance().SetPort(&line);
    return ScanBus(UART_THREAT::Instance(), line, settings, cancel_, on_probe, process_messages);
  }

  std::atomic<bool> cancel_{false};
};

TEST_F(BusScanTest, ReportsProgressAndStopsWhenCancelled) {
  sim::Config config;
  config.address = 2;
  simline::InstrumentLine line(config);
  std::vector<ScanProgress> steps;
  const ScanResult result = Scan(line, {1, 10, std::chrono::milliseconds(10)},
                                 [&](const Probe&, const ScanProgress& step) {
                                   steps.push_back(step);
                                   if (steps.size() == 4) cancel_.store(true);
                                 });
  EXPECT_TRUE(result.cancelled);
  ASSERT_EQ(result.probes.size(), 4u);
  EXPECT_EQ(result.probes[0].finding, Finding::kSilent);
  EXPECT_FALSE(result.probes[0].turnaround);
  EXPECT_EQ(result.probes[1].finding, Finding::kReadings);
  EXPECT_EQ(result.probes[1].variant, 1);
  EXPECT_EQ(result.probes[1].bytes, 31);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].found, 0);
  EXPECT_EQ(steps[3].found, 1);
  EXPECT_EQ(steps[3].address, 4);
  EXPECT_EQ(steps[3].left, 6 * SilentAddressTime({1, 10, std::chrono::milliseconds(10)}));
  EXPECT_EQ(line.RequestsSeen(), 4u);
}

TEST_F(BusScanTest, APortThatFailsEndsTheScan) {
  PulledLine pulled;
  const ScanResult result = Scan(pulled, {1, 5, std::chrono::milliseconds(10)});
  EXPECT_EQ(result.port_error, "device gone");
  EXPECT_TRUE(result.probes.empty());
}

// A reply that starts within the first-byte time-out is read to its end however long it takes,
// and the turnaround counts from the end of the request.
TEST_F(BusScanTest, ASlowInstrumentWithinTheTimeoutIsFound) {
  sim::Config config;
  config.address = 3;
  config.paced = true;
  config.reply_delay = std::chrono::milliseconds(12);
  simline::InstrumentLine line(config);
  const ScanResult result = Scan(line, {3, 3, std::chrono::milliseconds(25)});
  ASSERT_EQ(result.probes.size(), 1u);
  EXPECT_EQ(result.probes[0].finding, Finding::kReadings);
  ASSERT_TRUE(result.probes[0].turnaround);
  EXPECT_GE(*result.probes[0].turnaround, std::chrono::milliseconds(12));
}

// A reply after the first-byte time-out comes during a later probe: it takes its own address's
// place, found with the turnaround it had, reported again to the caller, and the addresses
// after it stay silent.
TEST_F(BusScanTest, AReplyAfterTheTimeoutIsFoundAtItsOwnAddress) {
  sim::Config config;
  config.address = 10;
  config.paced = true;
  config.reply_delay = std::chrono::milliseconds(60);
  simline::InstrumentLine line(config);
  std::vector<Probe> reported;
  std::vector<int> found;
  const ScanResult result = Scan(line, {9, 12, std::chrono::milliseconds(20)},
                                 [&](const Probe& probe, const ScanProgress& step) {
                                   reported.push_back(probe);
                                   found.push_back(step.found);
                                 });
  ASSERT_EQ(result.probes.size(), 4u);
  const Probe& ten = result.probes[1];
  EXPECT_EQ(ten.address, 10);
  EXPECT_EQ(ten.finding, Finding::kReadings);
  EXPECT_TRUE(ten.late);
  ASSERT_TRUE(ten.turnaround);
  EXPECT_GE(*ten.turnaround, std::chrono::milliseconds(60));
  EXPECT_GE(TimeoutFitting(*ten.turnaround), std::chrono::milliseconds(80));
  EXPECT_EQ(result.probes[2].finding, Finding::kSilent);
  // Each address once, and 10 again once its reply came.
  ASSERT_EQ(reported.size(), 5u);
  EXPECT_EQ(reported[1].finding, Finding::kSilent);
  EXPECT_EQ(std::count_if(reported.begin(), reported.end(),
                          [](const Probe& p) { return p.address == 10 && p.late; }),
            1);
  EXPECT_EQ(found.back(), 1);
}

// A window's events are processed before each address and while the worker waits at it, so a
// silent address, nearly 200 ms, does not freeze the window.
TEST_F(BusScanTest, AWindowsEventsAreProcessedWhileTheWorkerWaitsAtAnAddress) {
  sim::Config config;
  config.address = 2;
  simline::InstrumentLine line(config);
  int calls = 0;
  const ScanResult result =
      Scan(line, {1, 1, std::chrono::milliseconds(160)}, {}, [&calls] { ++calls; });
  ASSERT_EQ(result.probes.size(), 1u);
  EXPECT_EQ(result.probes[0].finding, Finding::kSilent);
  EXPECT_GE(calls, 3);  // once before the request, then every 50 ms of the wait
}

}  // namespace
}  // namespace scan
