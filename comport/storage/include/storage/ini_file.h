// An INI file on disk: "[Section]" header lines and "name=value" lines.
//
// Format as read and written here:
// - Section and value names are matched ignoring the case of ASCII letters;
//   blanks around them in the file do not count; of duplicates the first counts.
// - A value is what follows the first "=" of its line, without the blanks
//   around it, so a hand-edited "Parity = Even" reads "Even". A value with
//   blanks at either end could not read back, so writing one is refused.
// - Lines starting with ";" or "#", blank lines and any other line are kept as
//   they are when the file is rewritten; so are CR LF line ends.
// - A new name goes after the last value of its section, a new section at the
//   end of the file.
// - Names and values that the format cannot hold (line breaks; surrounding
//   blanks; "=" or leading ";", "#", "[" in a name; "]" in a section) are
//   refused with EStorageError.
//
// The file is read once, by the constructor; a missing file is an empty INI.
// Every write goes to disk at once through a temporary file in the same
// directory, fsynced and renamed over the old one: a failed write raises
// EStorageError and leaves both the file and this object as they were.
//
// Thread rule: one thread at a time.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "runtime/custom_ini_file.h"

namespace storage {

class TIniFile : public runtime::TCustomIniFile {
 public:
  // Raises EStorageError when the file exists but cannot be read.
  explicit TIniFile(std::filesystem::path path);

  const std::filesystem::path& FileName() const { return path_; }

  void WriteString(std::string_view section, std::string_view name,
                   std::string_view value) override;
  void WriteInteger(std::string_view section, std::string_view name, std::int32_t value) override;
  std::string ReadString(std::string_view section, std::string_view name,
                         std::string_view default_value) const override;
  // Integers are read with the toolkit's rules (runtime::TryStrToInt).
  std::int32_t ReadInteger(std::string_view section, std::string_view name,
                           std::int32_t default_value) const override;

 private:
  // Index of the line holding the name's value in the section, if any.
  std::optional<std::size_t> FindValue(std::string_view section, std::string_view name) const;
  std::optional<std::string> Value(std::string_view section, std::string_view name) const;
  std::string Contents(const std::vector<std::string>& lines) const;

  std::filesystem::path path_;
  std::vector<std::string> lines_;  // without line ends
  bool crlf_ = false;
};

}  // namespace storage
