// The port events of a frame trace, as the reader and the window open and close the
// instrument's port: "open NAME DEVICE" just before the port opens (DEVICE: what the name
// stands for), "close NAME" just before it closes. An open that fails is followed by the
// "error" line its caller records. Thread rule: that of the port.
#pragma once

#include "comport/com_port.h"
#include "trace/frame_trace.h"

namespace exchange {

// Records the opening and closing of `port` in `trace` from now on, through the port's
// OnBeforeOpen and OnBeforeClose handlers (which it takes over). `trace` must outlive the port.
void TracePortEvents(comport::TCustomComPort& port, trace::FrameTrace& trace);

}  // namespace exchange
