// Standard output as a console shows it: the reader writes UTF-8 (the memo is Russian).
#pragma once

namespace reader {

// On Windows, while it lives, the console shows what the program writes as UTF-8 (output code
// page 65001); the code page the console had comes back after. Elsewhere terminals take UTF-8 as
// it is and this does nothing. One, in main.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  unsigned previous_code_page_ = 0;
};

}  // namespace reader
