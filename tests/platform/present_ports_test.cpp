// The port menu's ports on Linux, from the devices the reader lists.
#include "platform/present_ports.h"

#include <gtest/gtest.h>

#include "platform/serial_devices.h"

namespace platform {
namespace {

SerialDevice Device(const std::string& path, std::vector<std::string> by_id,
                    std::vector<std::string> com_names = {}) {
  SerialDevice device;
  device.path = path;
  device.by_id = std::move(by_id);
  device.com_names = std::move(com_names);
  return device;
}

TEST(PresentPorts, EachLinkByItsShortNameAndADeviceWithoutOneByItsPath) {
  const SerialDevice builtin = Device("/dev/ttyS0", {}, {"COM1"});
  const SerialDevice adapter =
      Device("/dev/ttyUSB0", {"/dev/serial/by-id/usb-FTDI_FT232R_A10K3XYZ-if00-port0",
                              "/dev/serial/by-id/usb-Prolific_PL2303-if01"});
  const SerialDevice odd = Device("/dev/ttyACM0", {"/dev/serial/by-id/usb-"});
  EXPECT_EQ(
      PortsOfDevices({builtin, adapter, odd}),
      (std::vector<PresentPort>{
          {"/dev/ttyS0", "/dev/ttyS0", true},
          {"/dev/serial/by-id/usb-FTDI_FT232R_A10K3XYZ-if00-port0", "FTDI FT232R A10K3XYZ", false},
          {"/dev/serial/by-id/usb-Prolific_PL2303-if01", "Prolific PL2303", false},
          {"/dev/serial/by-id/usb-", "usb-", false},  // nothing left: the link as it is
      }));
}

TEST(PresentPorts, ASavedNameIsADevicePathWithoutBlanks) {
  EXPECT_TRUE(PresentPortName("/dev/serial/by-id/usb-FTDI_FT232R_A10K3XYZ-if00-port0"));
  EXPECT_TRUE(PresentPortName("/dev/ttyUSB0"));
  for (const char* name : {"COM5", "dev/ttyUSB0", "/dev/ttyUSB0 ", "/dev/tty USB0", ""}) {
    EXPECT_FALSE(PresentPortName(name)) << name;
  }
}

}  // namespace
}  // namespace platform
