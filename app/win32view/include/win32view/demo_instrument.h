// The built-in instrument of --demo: while it lives, COM1 is the simulated instrument on an
// in-process line at the pace of a real 9600 bit/s line (demo_port.h). Create on the window
// thread before any port is opened; destroy after the window has closed its port.
// Free of <windows.h>, whose macros clash with the serial seam's names.
#pragma once

#include <memory>

namespace win32view {

class DemoInstrument {
 public:
  DemoInstrument();
  ~DemoInstrument();
  DemoInstrument(const DemoInstrument&) = delete;
  DemoInstrument& operator=(const DemoInstrument&) = delete;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace win32view
