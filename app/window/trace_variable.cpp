#include "window/trace_variable.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace window {

std::unique_ptr<trace::FrameTrace> OpenTraceFromEnvironment(std::ostream& err) {
  const char* const path = std::getenv("VLK240_TRACE");
  if (path == nullptr || *path == '\0') return nullptr;
  try {
    return trace::FrameTrace::Open(path, err, "vlk240");
  } catch (const std::system_error& error) {
    err << "vlk240: VLK240_TRACE: cannot open \"" << path << "\": " << error.code().message()
        << "; no trace\n";
    return nullptr;
  }
}

}  // namespace window
