// The line settings of the instrument's port, as the operator window defines its ComPort1:
// 9600 bit/s, 8 data bits, even parity, 1 stop bit, no flow control, DTR and RTS held
// inactive, no events, a read time-out of 6 ms per requested byte and a write time-out of
// 150 ms per byte plus 1000 ms; every other setting keeps the component's default.
// The window, the command-line reader and the benchmarks set up their port with it.
#pragma once

#include "comport/com_port.h"

namespace exchange {

// Assigns the settings through the port's setters. Called while the port is loading (the
// window's case) they are only stored and reach the device when it opens; on a closed port
// likewise; on an open port each changed group is re-applied at once.
void AssignInstrumentLineSettings(comport::TCustomComPort& port);

}  // namespace exchange
