// The event thread of a port that watches events.
#include "comport/com_port.h"

namespace comport {

// Line events are not watched yet: a port opens without an event thread
// whatever its Events, and its handlers run only through the open and close
// notifications.
void TCustomComPort::StartEventThread() {}

void TCustomComPort::StopEventThread() { thread_created_ = false; }

}  // namespace comport
