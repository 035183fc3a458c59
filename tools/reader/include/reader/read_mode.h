#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "reader/reader_options.h"

namespace reader {

struct AddressText {
  std::optional<std::uint8_t> address;
  std::string error;  // the window's own message when the text is no usable address
};

// The address field's rule: the toolkit's integer conversion, then 1..247.
AddressText ParseAddress(std::string_view text);

// Reads the instruments of --address (address_list.h) through the port of --port, or for
// --demo through the simulated instrument on an in-process line (simline/demo_line.h): opens the port
// set up like the window's, polls each address in turn, once or every cycle, prints each poll
// and reports failures on `err`; with --scan, scans the bus instead (scan_mode.h). Returns the
// exit status, the worst that any poll came to. `options` passed the option checks.
int RunRead(const ReaderOptions& options, std::ostream& out, std::ostream& err);

}  // namespace reader
