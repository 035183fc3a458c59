#pragma once

#include <optional>
#include <string>

namespace publish {

struct PasswordFile {
  std::optional<std::string> password;  // its first line, without the line's end
  std::string error;                    // why there is none, naming the cause
  bool others_can_read = false;         // every user of the machine may read it
};

PasswordFile ReadPasswordFile(const std::string& path);

}  // namespace publish
