#include "reader/demo_line.h"

#include "simline/instrument_line.h"

namespace reader {
namespace {

const std::string kDemoPortName = "<demo>";

// The one living demo line; the reading thread's own.
simline::InstrumentLine* g_demo_line = nullptr;

}  // namespace

struct DemoLine::Parts {
  simline::InstrumentLine line;
};

DemoLine::DemoLine() : parts_(std::make_unique<Parts>()) { g_demo_line = &parts_->line; }

DemoLine::~DemoLine() { g_demo_line = nullptr; }

const std::string& DemoLine::PortName() const { return kDemoPortName; }

exchange::ExchangePort* FindDemoLine(std::string_view port_name) {
  return port_name == kDemoPortName ? g_demo_line : nullptr;
}

}  // namespace reader
