#include "exchange/port_trace.h"

#include "platform/port_names.h"

namespace exchange {

void TraceOpening(const comport::TCustomComPort& port, trace::FrameTrace* trace) {
  if (trace == nullptr) return;
  trace->Opening(port.Port(), platform::ResolvePortName(port.Port()));
}

void TraceClosing(const comport::TCustomComPort& port, trace::FrameTrace* trace) {
  if (trace == nullptr || !port.Connected()) return;
  trace->Closing(port.Port());
}

}  // namespace exchange
