#include <unistd.h>

#include <iostream>
#include <streambuf>

#include "reader/console.h"
#include "reader/descriptor_output.h"

namespace reader {

struct Utf8Console::Parts {
  DescriptorOutput standard_error{STDERR_FILENO};
  std::streambuf* previous = nullptr;
};

// std::cerr stays unit-buffered: each message goes out as it is written.
Utf8Console::Utf8Console() : parts_(std::make_unique<Parts>()) {
  parts_->previous = std::cerr.rdbuf(&parts_->standard_error);
}

Utf8Console::~Utf8Console() {
  std::cerr.flush();
  std::cerr.rdbuf(parts_->previous);
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace reader
