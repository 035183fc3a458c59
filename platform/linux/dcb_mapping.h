// DCB <-> termios, as pure functions: what SetCommState asks for, and what
// the layer must do on Linux to give it. No device is touched here.
#pragma once

#include "linux/line_settings.h"
#include "platform/comm_api.h"

namespace platform::linux_backend {

// Level to put on an output modem line; kLeave when flow control drives it.
enum class LineLevel { kLeave, kLow, kHigh };

// Everything SetCommState does on Linux for one DCB.
struct LinePlan {
  LineSettings line;
  LineLevel dtr = LineLevel::kLeave;
  LineLevel rts = LineLevel::kLeave;
  bool rts_toggle = false;  // RTS_CONTROL_TOGGLE: RS485 direction by the driver
  // Read path, done by the layer: PARMRK marks are decoded (bad bytes pass
  // unchanged or become `error_char`), NUL bytes dropped on request.
  bool parity_marks = false;
  bool replace_errors = false;
  unsigned char error_char = 0;
  bool discard_nul = false;
};

// Fills `plan` for `dcb` and returns ERROR_SUCCESS, or ERROR_INVALID_PARAMETER
// for a DCB that Linux cannot honour:
//  - fBinary clear (Linux has no non-binary mode), BaudRate 0 (B0 hangs up),
//    ByteSize outside 5..8, Parity outside 0..4, StopBits outside 0..2;
//  - 1.5 stop bits with other than 5 data bits, 2 stop bits with 5;
//  - fOutxDsrFlow, DTR_CONTROL_HANDSHAKE, fDsrSensitivity (no DSR flow control);
//  - fOutX or fInX with XonChar equal to XoffChar;
//  - fAbortOnError (the layer does not latch errors).
// Tuning without a Linux counterpart is taken as given: XonLim, XoffLim (the
// kernel's thresholds are fixed), fTXContinueOnXoff, EofChar (binary mode).
// fOutxCtsFlow and RTS_CONTROL_HANDSHAKE both mean CRTSCTS, which drives RTS
// and watches CTS together.
DWORD PlanLineSettings(const DCB& dcb, LinePlan* plan);

// The DCB that describes termios `line` (the shadow before the first SetCommState).
DCB DcbFromLine(const LineSettings& line);

// `line` in raw mode with its rate, size, parity and stop bits kept.
LineSettings RawLine(const LineSettings& line);

}  // namespace platform::linux_backend
