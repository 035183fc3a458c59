// Errors of the settings storage facilities (INI files and the key store).
#pragma once

#include <string>

#include "runtime/exception.h"

namespace storage {

// A file that cannot be read or written, a malformed store file, or a name or
// value that the file format cannot hold. `SystemCode()` is the errno of the
// failed call (on Windows its Win32 error code), 0 when no system call failed.
class EStorageError : public runtime::Exception {
 public:
  explicit EStorageError(std::string message, int system_code = 0)
      : runtime::Exception(std::move(message)), system_code_(system_code) {}

  int SystemCode() const noexcept { return system_code_; }

 private:
  int system_code_;
};

// A registry value that is missing or of the wrong type for the read.
class ERegistryValueError : public EStorageError {
 public:
  ERegistryValueError(std::string value_name, std::string message)
      : EStorageError(std::move(message)), value_name_(std::move(value_name)) {}

  const std::string& ValueName() const noexcept { return value_name_; }

 private:
  std::string value_name_;
};

}  // namespace storage
