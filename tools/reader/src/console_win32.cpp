#include "reader/console.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace reader {

// Without a console (output to a file or a pipe) both calls fail and change nothing: the bytes
// go out as they are, UTF-8.
Utf8Console::Utf8Console() : previous_code_page_(::GetConsoleOutputCP()) {
  ::SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console() {
  if (previous_code_page_ != 0) ::SetConsoleOutputCP(previous_code_page_);
}

}  // namespace reader
