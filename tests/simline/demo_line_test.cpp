// The demo line as the programs use it: a port object opened on the served name polls the
// simulated instrument through the serial seam, one opener at a time, with no device named for
// it; every other name still reaches the system, and the seam is the system's again after.
#include "simline/demo_line.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "comport/com_errors.h"
#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "platform/comm_api.h"
#include "platform/port_names.h"
#include "platform/win_errors.h"
#include "simline/demo_port.h"
#include "simline/instrument_line.h"
#include "worked_example.h"

namespace simline {
namespace {

const std::array<std::uint8_t, 8> kRequest{1, 4, 0, 0, 0, 13, 49, 207};
const std::vector<std::uint8_t>& kWorkedReply = testing_example::kReply;

TEST(DemoLine, APortObjectPollsTheInstrumentThroughTheSeam) {
  const DemoLine demo("COM1", DemoLine::Pace::kAtOnce);
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(demo.PortName());
  port.SetConnected(true);
  exchange::ComPortLine line(port);
  ASSERT_EQ(line.SendBytes(kRequest.data(), 8), 8);
  std::vector<std::uint8_t> reply(40);
  reply.resize(static_cast<std::size_t>(line.ReceiveBytes(reply.data(), 40)));
  EXPECT_EQ(reply, kWorkedReply);

  // A served port has one opener at a time, as a real one.
  comport::TComPort second;
  second.SetPort(demo.PortName());
  EXPECT_THROW(second.SetConnected(true), comport::EComPort);

  EXPECT_EQ(platform::Comm().DevicePath("COM1"), "");
  EXPECT_EQ(platform::Comm().DevicePath("COM2"), platform::ResolvePortName("COM2"));
  port.SetConnected(false);
  second.SetConnected(true);  // free again once closed
}

TEST(DemoLine, OtherNamesReachTheSystemAndTheSeamIsItsOwnAfter) {
  {
    const DemoLine demo("<demo>", DemoLine::Pace::kAtOnce);
    platform::CommApi& api = platform::Comm();
    EXPECT_EQ(api.CreateFileA("\\\\.\\COM250", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                              nullptr, platform::OPEN_EXISTING, platform::FILE_FLAG_OVERLAPPED, 0),
              platform::INVALID_HANDLE_VALUE);
    EXPECT_EQ(api.GetLastError(), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(api.DevicePath("<demo>"), "");
  }
  EXPECT_EQ(platform::Comm().DevicePath("<demo>"), platform::ResolvePortName("<demo>"));
}

// A reply that comes after the read gave up waits in the port's input queue, as in a driver's,
// where the next exchange finds it and can tell it was there before its request went out.
TEST(DemoPort, AReplyThatCameLateWaitsInTheInputQueue) {
  sim::Config config;
  config.behaviour.kind = sim::BehaviourKind::kLate;
  config.behaviour.late = std::chrono::milliseconds(230);
  InstrumentLine line(config);
  DemoPort port(platform::Comm(), line, "COM9");
  const platform::ScopedCommApi installed(port);
  const platform::HANDLE device =
      port.CreateFileA("\\\\.\\COM9", platform::GENERIC_READ | platform::GENERIC_WRITE, 0, nullptr,
                       platform::OPEN_EXISTING, platform::FILE_FLAG_OVERLAPPED, 0);
  ASSERT_NE(device, platform::INVALID_HANDLE_VALUE);
  // The instrument port's read time-out: 6 ms a byte.
  platform::COMMTIMEOUTS timeouts{platform::MAXDWORD, 6, 0, 0, 0};
  ASSERT_TRUE(port.SetCommTimeouts(device, &timeouts));
  platform::DWORD moved = 0;
  ASSERT_TRUE(port.WriteFile(device, kRequest.data(), 8, &moved, nullptr));
  std::array<std::uint8_t, 31> reply{};
  ASSERT_TRUE(port.ReadFile(device, reply.data(), 31, &moved, nullptr));
  EXPECT_EQ(moved, 0u);  // the read time-out ran out first
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  platform::DWORD errors = 1;
  platform::COMSTAT stat{};
  ASSERT_TRUE(port.ClearCommError(device, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 31u);
  EXPECT_TRUE(port.CloseHandle(device));
}

}  // namespace
}  // namespace simline
