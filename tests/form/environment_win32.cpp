// The C runtime's copy of the environment, which std::getenv reads, and the process's with it.
#include <cstdlib>

#include "environment.h"

namespace form::testing {

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
  ::_putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable.
void RemoveEnvironmentVariable(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

}  // namespace form::testing
