// The port menu's ports on Linux, from the devices the reader lists.
#include <gtest/gtest.h>

#include "platform/present_ports.h"
#include "platform/serial_devices.h"

namespace platform {
namespace {

bool operator==(const PresentPort& a, const PresentPort& b) {
  return a.name == b.name && a.label == b.label && a.menu_port == b.menu_port;
}

TEST(PresentPorts, EachLinkByItsShortNameAndADeviceWithoutOneByItsPath) {
  SerialDevice builtin{.name = "ttyS0", .path = "/dev/ttyS0", .com_names = {"COM1"}};
  SerialDevice adapter{.name = "ttyUSB0",
                       .path = "/dev/ttyUSB0",
                       .by_id = {"/dev/serial/by-id/usb-FTDI_FT232R_A10K3XYZ-if00-port0",
                                 "/dev/serial/by-id/usb-Prolific_PL2303-if01"}};
  SerialDevice odd{.name = "ttyACM0", .path = "/dev/ttyACM0", .by_id = {"/dev/serial/by-id/usb-"}};
  EXPECT_EQ(PortsOfDevices({builtin, adapter, odd}),
            (std::vector<PresentPort>{
                {"/dev/ttyS0", "/dev/ttyS0", true},
                {"/dev/serial/by-id/usb-FTDI_FT232R_A10K3XYZ-if00-port0", "FTDI FT232R A10K3XYZ",
                 false},
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
