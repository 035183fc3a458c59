#include "reader/reader_port.h"

#include <exception>
#include <optional>

#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/instrument_port.h"
#include "exchange/port_trace.h"
#include "exchange/traced_port.h"

namespace reader {

struct ReaderPort::Parts {
  comport::TComPort port;
  exchange::ComPortLine line{port};
  std::optional<exchange::TracedPort> traced;  // with a trace only
};

ReaderPort::ReaderPort(exchange::UART_THREAT& worker, const std::string& port_name,
                       trace::FrameTrace* frame_trace)
    : worker_(worker), parts_(std::make_unique<Parts>()) {
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
}

}  // namespace reader
