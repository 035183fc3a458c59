#pragma once

#include <memory>
#include <string>

#include "exchange/UART_THREAT.h"
#include "trace/frame_trace.h"

namespace reader {

// The reader's serial port, set up like the window's ComPort1 (9600 bit/s, 8E1,
// no events, no flow control, read time-out 6 ms per byte, write time-out 150
// ms per byte), opened on a port name and handed to the exchange worker for as
// long as it lives. With a trace, its opening and closing are recorded there and
// the worker gets it through a traced port. Thread rule: create, use and destroy
// on the thread that runs the polls, between polls.
class ReaderPort {
 public:
  // Opens `port_name` (COMn or a device path) and sets it on `worker`. Throws
  // the port's error (derived from std::exception) when it cannot be opened;
  // the worker is then left alone. `frame_trace` may be null; else it must
  // outlive the port.
  ReaderPort(exchange::UART_THREAT& worker, const std::string& port_name,
             trace::FrameTrace* frame_trace = nullptr);
  // Takes the port away from the worker, then closes it.
  ~ReaderPort();
  ReaderPort(const ReaderPort&) = delete;
  ReaderPort& operator=(const ReaderPort&) = delete;

  // The line set on the worker, for a scan that puts its own in front of it for a while.
  exchange::ExchangePort& Line() { return *line_; }

 private:
  struct Parts;
  exchange::UART_THREAT& worker_;
  exchange::ExchangePort* line_ = nullptr;
  std::unique_ptr<Parts> parts_;
};

}  // namespace reader
