#include "window/demo_instrument.h"

#include <cstdlib>

namespace window {
namespace {

sim::Config DemoConfig() {
  sim::Config config;
  config.paced = true;  // answer at the pace of a real 9600 bit/s line
  return config;
}

}  // namespace

DemoInstrument::DemoInstrument() : simulator_(DemoConfig()) {
  ::setenv("VLK240_COM1", simulator_.SlavePath().c_str(), 1);
}

}  // namespace window
