#include "reader/console.h"

#include <unistd.h>

namespace reader {

struct Utf8Console::Parts {};

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace reader
