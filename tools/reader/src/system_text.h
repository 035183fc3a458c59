// The reader's texts and rules that differ by system: what its help says of ports, of stopping
// a cyclic read, of the trace's clock and in its examples, and how a device path starts. Each
// system's file defines them (system_text_linux.cpp, system_text_win32.cpp).
#pragma once

#include <string_view>

namespace reader::system_text {

// The start of a port name that is a device path used as it stands: "/" on Linux ("/dev/ttyUSB0"),
// "\\" on Windows ("\\.\CNCA0").
extern const std::string_view kDevicePathStart;
// The option lines of --port, --cycle and --list-ports.
extern const std::string_view kPortHelp;
extern const std::string_view kCycleHelp;
extern const std::string_view kListPortsHelp;
// The help's paragraph "Port names: ...", ending in a line end.
extern const std::string_view kPortNames;
// What the trace's clock is, after "milliseconds on the monotonic clock ", ending in ", the\n".
extern const std::string_view kTraceClock;
// The help's example lines.
extern const std::string_view kExamples;

}  // namespace reader::system_text
