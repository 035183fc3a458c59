// Setting and removing a variable of the process environment, each system its own way
// (environment_posix.cpp, environment_win32.cpp). Test set-up only: no other thread may read the
// environment meanwhile.
#pragma once

#include <string>

namespace form::testing {

void SetEnvironmentVariable(const std::string& name, const std::string& value);
void RemoveEnvironmentVariable(const std::string& name);

}  // namespace form::testing
