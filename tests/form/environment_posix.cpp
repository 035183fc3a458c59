#include <cstdlib>

#include "environment.h"

namespace form::testing {

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

void RemoveEnvironmentVariable(const std::string& name) { ::unsetenv(name.c_str()); }

}  // namespace form::testing
