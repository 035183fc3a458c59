// What saving and loading port settings need from an INI file: named strings
// and integers under a section, read with a default for a missing name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

class TCustomIniFile {
 public:
  virtual ~TCustomIniFile() = default;

  virtual void WriteString(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
  virtual void WriteInteger(std::string_view section, std::string_view name,
                            std::int32_t value) = 0;
  // `default_value` when the name is missing.
  virtual std::string ReadString(std::string_view section, std::string_view name,
                                 std::string_view default_value) const = 0;
  // `default_value` when the name is missing or its value is not an integer.
  virtual std::int32_t ReadInteger(std::string_view section, std::string_view name,
                                   std::int32_t default_value) const = 0;
};

}  // namespace runtime
