#include "window/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace window {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::filesystem::path SettingsFilePath() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  return directory / kSettingsFileName;
}

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path) {
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (error) return {SettingsReadStatus::kFailed, {}};
  if (!exists) return {SettingsReadStatus::kMissing, {}};

  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return {SettingsReadStatus::kFailed, {}};
  std::string line;
  char c = 0;
  while (file.get(c) && c != '\r' && c != '\n') line += c;
  // Reading a directory opens but fails at the first read; a plain end of file does not.
  if (file.bad() || (file.fail() && !file.eof())) return {SettingsReadStatus::kFailed, {}};
  return {SettingsReadStatus::kRead, line};
}

bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name) {
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(::getpid());
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const std::string content = std::string(port_name) + "\r\n";
  const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace window
