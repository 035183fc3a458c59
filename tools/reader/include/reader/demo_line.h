// The built-in instrument of --demo: the simulated instrument on an in-process line
// (simline/instrument_line.h), so the demo needs no serial port and no pseudo-terminal and runs
// alike on every system. While a DemoLine lives, ReaderPort opened on its PortName() attaches
// the exchange worker to the line instead of a serial port.
// Thread rule: create, use and destroy on the thread that runs the polls.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "exchange/exchange_port.h"

namespace reader {

class DemoLine {
 public:
  DemoLine();
  ~DemoLine();
  DemoLine(const DemoLine&) = delete;
  DemoLine& operator=(const DemoLine&) = delete;

  // The name the read loop opens, which no serial port has.
  const std::string& PortName() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// The line of the living DemoLine whose PortName() is `port_name`; nullptr for any other name.
exchange::ExchangePort* FindDemoLine(std::string_view port_name);

}  // namespace reader
