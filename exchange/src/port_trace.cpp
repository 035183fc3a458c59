#include "exchange/port_trace.h"

#include "platform/comm_api.h"

namespace exchange {

void TracePortEvents(comport::TCustomComPort& port, trace::FrameTrace& trace) {
  port.OnBeforeOpen = [&trace](comport::TCustomComPort& sender) {
    trace.Opening(sender.Port(), platform::Comm().DevicePath(sender.Port()));
  };
  port.OnBeforeClose = [&trace](comport::TCustomComPort& sender) { trace.Closing(sender.Port()); };
}

}  // namespace exchange
