#include "reader/console.h"

namespace reader {

struct Utf8Console::Parts {};

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace reader
