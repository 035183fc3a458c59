#include "reader/reader_port.h"

#include <exception>
#include <optional>

#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "exchange/port_trace.h"
#include "exchange/traced_port.h"
#include "reader/demo_line.h"

namespace reader {

struct ReaderPort::Parts {
  comport::TComPort port;
  exchange::ComPortLine line{port};
  std::optional<exchange::TracedPort> traced;  // with a trace only
  // The demo's line in place of the port, and the trace its closing goes to.
  std::string demo_name;
  trace::FrameTrace* demo_trace = nullptr;
};

ReaderPort::ReaderPort(exchange::UART_THREAT& worker, const std::string& port_name,
                       trace::FrameTrace* frame_trace)
    : worker_(worker), parts_(std::make_unique<Parts>()) {
  if (exchange::ExchangePort* demo = FindDemoLine(port_name)) {
    exchange::ExchangePort* line = demo;
    if (frame_trace != nullptr) {
      frame_trace->Opening(port_name, "");
      line = &parts_->traced.emplace(*demo, *frame_trace);
      parts_->demo_name = port_name;
      parts_->demo_trace = frame_trace;
    }
    line_ = line;
    worker_.SetPort(line);
    return;
  }
  exchange::AssignInstrumentLineSettings(parts_->port);
  parts_->port.SetPort(port_name);
  exchange::ExchangePort* line = &parts_->line;
  if (frame_trace != nullptr) {
    exchange::TracePortEvents(parts_->port, *frame_trace);
    line = &parts_->traced.emplace(parts_->line, *frame_trace);
  }
  try {
    parts_->port.SetConnected(true);
  } catch (const std::exception& error) {
    if (frame_trace != nullptr) frame_trace->Failed(error.what());
    throw;
  }
  line_ = line;
  worker_.SetPort(line);
}

// The port's destruction closes it, recording "close" in the trace.
ReaderPort::~ReaderPort() {
  worker_.SetPort(nullptr);
  if (parts_->demo_trace != nullptr) parts_->demo_trace->Closing(parts_->demo_name);
}

}  // namespace reader
