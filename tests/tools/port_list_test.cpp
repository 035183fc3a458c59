// --list-ports over a fake sysfs and /dev tree.
#include "reader/port_list.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace reader {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text << '\n';
}

class PortListTest : public ::testing::Test {
 protected:
  PortListTest() {
    root_ = fs::temp_directory_path() /
            ("vlk-ports-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    ::setenv("VLK240_COM2", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", 1);
  }
  ~PortListTest() override {
    ::unsetenv("VLK240_COM2");
    fs::remove_all(root_);
  }

  // A tty in the class directory, linked to a device directory as sysfs does.
  void AddTty(const std::string& name, const fs::path& device_dir) {
    const fs::path tty_dir = device_dir / "tty" / name;
    fs::create_directories(tty_dir);
    fs::create_directory_symlink(device_dir, tty_dir / "device");
    fs::create_directories(root_ / "sys/class/tty");
    fs::create_directory_symlink(tty_dir, root_ / "sys/class/tty" / name);
  }

  fs::path root_;
};

TEST_F(PortListTest, UsbAndBuiltInPortsWithTheirComNames) {
  const fs::path usb = root_ / "sys/devices/pci0000:00/usb1/1-2";
  WriteFile(usb / "idVendor", "0403");
  WriteFile(usb / "idProduct", "6001");
  WriteFile(usb / "manufacturer", "FTDI");
  WriteFile(usb / "product", "FT232R USB UART");
  AddTty("ttyUSB0", usb / "1-2:1.0/ttyUSB0");
  AddTty("ttyS0", root_ / "sys/devices/platform/serial8250");
  // A virtual console: in the class directory, but without a device.
  fs::create_directories(root_ / "sys/class/tty/tty1");
  ::setenv("VLK240_COM2", "/dev/ttyUSB0", 1);

  std::ostringstream out;
  EXPECT_EQ(RunListPorts(root_, out), 0);
  EXPECT_EQ(out.str(),
            "/dev/ttyS0  = COM1\n"
            "/dev/ttyUSB0  = COM2  USB 0403:6001 FTDI FT232R USB UART\n");
}

// A by-id link names a port only when its whole path resolves to a character device; what is
// listed stays one line each, whatever the names hold.
TEST_F(PortListTest, ByIdLinksCountOnlyWhenTheyLeadToACharacterDevice) {
  const fs::path by_id = root_ / "dev/serial/by-id";
  fs::create_directories(by_id);
  // /dev/null and /dev/zero stand in for adapters: character devices on every system.
  fs::create_symlink("/dev/null", by_id / "usb-FTDI_FT232R-if00-port0");
  fs::create_symlink("/dev/zero", by_id / "usb-evil\nforged line\x1B[2J\\");
  fs::create_symlink("/etc/passwd", by_id / "file");
  fs::create_symlink("..", by_id / "directory");
  fs::create_symlink("/dev", by_id / "device-directory");
  fs::create_symlink("../../ttyUSB5", by_id / "stale");
  fs::create_symlink("loop-b", by_id / "loop-a");
  fs::create_symlink("loop-a", by_id / "loop-b");
  fs::create_symlink("/dev/null\n/dev/ttyUSB9", by_id / "newline-in-the-target");

  std::ostringstream out;
  EXPECT_EQ(RunListPorts(root_, out), 0);
  EXPECT_EQ(out.str(),
            "/dev/null  = COM2\n"
            "    /dev/serial/by-id/usb-FTDI_FT232R-if00-port0\n"
            "/dev/zero\n"
            "    /dev/serial/by-id/usb-evil\\nforged line\\x1B[2J\\\\\n");
}

TEST_F(PortListTest, NothingFound) {
  std::ostringstream out;
  EXPECT_EQ(RunListPorts(root_, out), 0);
  EXPECT_EQ(out.str(), "No serial devices found.\n");
}

}  // namespace
}  // namespace reader
