#include "window/command_line.h"

namespace window {

std::string UsageText(std::string_view program) {
  std::string text = "Usage: " + std::string(program) + " [--demo | --demo-read] [--help]\n";
  text +=
      "Reads a VLK240T level gauge over RS485 (Modbus RTU, 9600 8E1) and shows its readings.\n"
      "\n"
      "  --demo       start with the built-in instrument simulator on COM1;\n"
      "               choose \"COM 1\" in the port menu and press the read button\n"
      "  --demo-read  as --demo, and read the simulator once right after start\n"
      "  --help       show this text\n"
      "\n"
      "Ports COM1..COM4 are /dev/ttyS0../dev/ttyS3; the environment variable VLK240_COMn\n"
      "names another device for COMn, e.g. VLK240_COM1=/dev/ttyUSB0.\n"
      "The chosen port is saved in user.ini in the current directory.\n";
  return text;
}

}  // namespace window
