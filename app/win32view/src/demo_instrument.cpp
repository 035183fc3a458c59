#include "win32view/demo_instrument.h"

#include "simline/instrument_line.h"
#include "win32view/demo_port.h"

namespace win32view {
namespace {

sim::Config DemoConfig() {
  sim::Config config;
  config.paced = true;  // answer at the pace of a real 9600 bit/s line
  return config;
}

}  // namespace

struct DemoInstrument::Parts {
  simline::InstrumentLine line{DemoConfig()};
  DemoPort port{platform::Comm(), line, "\\\\.\\COM1"};
  platform::ScopedCommApi installed{port};
};

DemoInstrument::DemoInstrument() : parts_(std::make_unique<Parts>()) {}

DemoInstrument::~DemoInstrument() = default;

}  // namespace win32view
