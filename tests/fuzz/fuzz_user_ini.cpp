// The window's "user.ini" reader on arbitrary file contents: it reads the first
// line only, without its line end, and never fails on readable content.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "form/settings_file.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzzing::WriteInput(data, size, "user.ini");
  const auto result = form::ReadSettingsFile(path);
  if (result.status != form::SettingsReadStatus::kRead) std::abort();
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const std::string& line = result.first_line;
  if (content.substr(0, line.size()) != line) std::abort();
  if (line.find('\n') != std::string::npos) std::abort();
  return 0;
}
