#include "simline/demo_line.h"

#include "platform/comm_api.h"
#include "simline/demo_port.h"
#include "simline/instrument_line.h"

namespace simline {
namespace {

sim::Config DemoConfig(DemoLine::Pace pace) {
  sim::Config config;
  config.paced = pace == DemoLine::Pace::kLineSpeed;
  return config;
}

}  // namespace

struct DemoLine::Parts {
  Parts(std::string_view port_name, Pace pace)
      : line(DemoConfig(pace)), port(platform::Comm(), line, port_name), installed(port) {}

  InstrumentLine line;
  DemoPort port;
  platform::ScopedCommApi installed;
};

DemoLine::DemoLine(std::string_view port_name, Pace pace)
    : port_name_(port_name), parts_(std::make_unique<Parts>(port_name, pace)) {}

DemoLine::~DemoLine() = default;

}  // namespace simline
