// What saving and loading port settings need from a registry key that the
// caller has already opened: named string and integer values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

class TRegistryKey {
 public:
  virtual ~TRegistryKey() = default;

  virtual void WriteString(std::string_view name, std::string_view value) = 0;
  virtual void WriteInteger(std::string_view name, std::int32_t value) = 0;
  // A missing value reads as the empty text.
  virtual std::string ReadString(std::string_view name) const = 0;
  // A missing value, or one that is not an integer, raises ERegistryValueError
  // carrying the name: there is no default to fall back on.
  virtual std::int32_t ReadInteger(std::string_view name) const = 0;
};

}  // namespace runtime
