// vlk240-read --scan: the bus scan (scan/bus_scan.h) on the reader's port, its findings on
// standard output and its progress on a terminal's standard error.
#pragma once

#include <ostream>
#include <string>

#include "reader/reader_options.h"
#include "trace/frame_trace.h"

namespace reader {

// Opens `port_name`, probes --scan's range and prints each instrument found (with --json: one
// record per address probed). Returns 0 when an instrument answered, 1 when none did, or the
// status of a port or output failure. `frame_trace` may be null.
int RunScan(const ReaderOptions& options, const std::string& port_name,
            trace::FrameTrace* frame_trace, std::ostream& out, std::ostream& err);

}  // namespace reader
