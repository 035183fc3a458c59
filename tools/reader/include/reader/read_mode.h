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

// Reads the instrument through the port of --port, or for --demo through the
// simulated instrument on an in-process line (simline/demo_line.h): opens the port set
// up like the window's, polls once or cyclically,
// prints each poll and reports failures on `err`. Returns the exit status.
// `options` passed the option checks.
int RunRead(const ReaderOptions& options, std::ostream& out, std::ostream& err);

}  // namespace reader
