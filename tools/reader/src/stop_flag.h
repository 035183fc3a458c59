// The flag behind StopRequested, for the system's own StopSignals.
#pragma once

namespace reader {

// Clears the flag: a StopSignals that goes in starts with no stop requested.
void ClearStopRequest();

}  // namespace reader
