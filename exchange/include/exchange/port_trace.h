// The port events of a frame trace, recorded as the reader and the window open and close the
// instrument's port. Each is recorded just before the call, so that an "error" line right after
// it says the call failed. A null trace records nothing. The thread that opens and closes.
#pragma once

#include "comport/com_port.h"
#include "trace/frame_trace.h"

namespace exchange {

// "open NAME DEVICE": `port` is about to open on its name, which stands for DEVICE.
void TraceOpening(const comport::TCustomComPort& port, trace::FrameTrace* trace);

// "close NAME": `port` is about to close; nothing when it is not open.
void TraceClosing(const comport::TCustomComPort& port, trace::FrameTrace* trace);

}  // namespace exchange
