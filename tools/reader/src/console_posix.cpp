#include "reader/console.h"

namespace reader {

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace reader
