// Opening the reader's port at the start of a read or a scan.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "exchange/UART_THREAT.h"
#include "reader/reader_port.h"
#include "trace/frame_trace.h"

namespace reader {

// Opens `port_name` into `port` for `worker`; when it cannot be opened, says why on `err` in
// one line, with what the operator can do about it, and returns false.
bool OpenReaderPort(std::optional<ReaderPort>& port, exchange::UART_THREAT& worker,
                    const std::string& port_name, trace::FrameTrace* frame_trace,
                    std::ostream& err);

// Messages may carry the error box's carriage return; standard error gets one line each.
std::string OneLine(std::string text);

}  // namespace reader
