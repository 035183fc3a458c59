#pragma once

#include <ostream>

#include "reader/reader_options.h"

namespace reader {

// Reads the instruments of --address (address_list.h) through the port of --port, or for
// --demo through the simulated instrument on an in-process line (simline/demo_line.h): opens the
// port set up like the window's, polls each address in turn, once or every cycle, prints each poll
// and reports failures on `err`; with --scan, scans the bus instead (scan_mode.h). Returns the
// exit status, the worst that any poll came to. `options` passed the option checks.
int RunRead(const ReaderOptions& options, std::ostream& out, std::ostream& err);

}  // namespace reader
