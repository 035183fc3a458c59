// The reader's text as a console shows it: the reader writes UTF-8 (the memo is Russian).
#pragma once

#include <memory>

namespace reader {

// On Windows, while it lives, standard error (std::cerr) goes through a DescriptorOutput as
// standard output does, which writes what reaches a console as UTF-16, so that the console
// shows it whatever its code page (descriptor_output.h). Elsewhere terminals take UTF-8 as it is
// and this does nothing. One, in main, made before standard output's DescriptorOutput.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// True when standard error is a terminal (a console on Windows), where a progress line that
// rewrites itself can be shown; false for a file or a pipe.
bool StandardErrorIsTerminal();

}  // namespace reader
