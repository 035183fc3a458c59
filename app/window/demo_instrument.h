// The built-in instrument for --demo: the simulator on a pseudo-terminal, mapped to COM1 by
// setting VLK240_COM1 in the process environment before anything resolves a port name.
// Create on the main thread before the window and its port exist; the simulator's own thread
// never reads the environment, so the one write here races with nothing.
#pragma once

#include "sim/simulator.h"

namespace window {

class DemoInstrument {
 public:
  DemoInstrument();
  const std::string& DevicePath() const { return simulator_.SlavePath(); }

 private:
  sim::Simulator simulator_;
};

}  // namespace window
