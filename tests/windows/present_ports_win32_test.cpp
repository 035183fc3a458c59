// The port menu's ports on Windows: the registry's COM ports (Wine lists the prefix's mapped
// ones), each once, those COM1..COM4 open marked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/port_names.h"
#include "platform/present_ports.h"
#include "platform/serial_comm_ports.h"

namespace platform {
namespace {

TEST(Win32PresentPorts, EveryRegisteredPortOnceByItsNameAndThoseOfTheMenuMarked) {
  ASSERT_EQ(_putenv_s("VLK240_COM2", "COM7"), 0);
  const std::vector<ComPortEntry> registered = ReadComPorts(kSerialCommKey);
  const std::vector<PresentPort> present = PresentPorts();
  _putenv_s("VLK240_COM2", "");
  ASSERT_EQ(present.size(), registered.size());
  for (std::size_t i = 0; i < present.size(); ++i) {
    const PresentPort& port = present[i];
    EXPECT_EQ(port.name, registered[i].name);
    EXPECT_EQ(port.label.rfind(port.name, 0), 0u) << port.label;  // "COM7 (USB Serial Port)"
    const int number = ComPortNumber(port.name);
    EXPECT_EQ(port.menu_port, (number >= 1 && number <= 4) || port.name == "COM7") << port.name;
  }
}

TEST(Win32PresentPorts, ASavedNameIsAComName) {
  EXPECT_TRUE(PresentPortName("COM7"));
  EXPECT_TRUE(PresentPortName("COM255"));
  for (const char* name : {"com7", "COM0", "COM7 ", "/dev/ttyUSB0", "COM", ""}) {
    EXPECT_FALSE(PresentPortName(name)) << name;
  }
}

}  // namespace
}  // namespace platform
