// The built-in instrument of --demo, the same for every program and system: while a DemoLine
// lives, the port name it serves is the simulated instrument on an in-process line
// (instrument_line.h) behind the serial seam (demo_port.h). The port object, the exchange and
// the trace run as on a real port; no serial port or pseudo-terminal is needed.
//
// Thread rule: create before any port is opened and any thread that uses the serial seam has
// started; destroy after the port is closed and those threads have ended.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace simline {

class DemoLine {
 public:
  // How the line answers.
  enum class Pace {
    kAtOnce,     // the reply is there as soon as it is asked for
    kLineSpeed,  // the reply's bytes arrive at 9600 bit/s, as on a real line
  };

  // Serves `port_name` ("COM1", "<demo>") until destroyed.
  DemoLine(std::string_view port_name, Pace pace);
  ~DemoLine();
  DemoLine(const DemoLine&) = delete;
  DemoLine& operator=(const DemoLine&) = delete;

  const std::string& PortName() const { return port_name_; }

 private:
  struct Parts;
  std::string port_name_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace simline
