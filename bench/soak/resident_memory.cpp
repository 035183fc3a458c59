#include "resident_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <string_view>

namespace soak {

std::optional<std::int64_t> ResidentKilobytes() {
  const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::array<char, 8192> text{};  // the status file is about 1.5 kB
  std::size_t length = 0;
  while (length < text.size()) {
    const ssize_t got = ::read(fd, text.data() + length, text.size() - length);
    if (got <= 0) break;
    length += static_cast<std::size_t>(got);
  }
  ::close(fd);

  const std::string_view status(text.data(), length);
  constexpr std::string_view kField = "\nVmRSS:";
  const std::size_t at = status.find(kField);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t digits = status.find_first_not_of(" \t", at + kField.size());
  if (digits == std::string_view::npos) return std::nullopt;
  std::int64_t kilobytes = 0;
  const auto [end, error] =
      std::from_chars(status.data() + digits, status.data() + status.size(), kilobytes);
  if (error != std::errc{}) return std::nullopt;
  return kilobytes;
}

}  // namespace soak
