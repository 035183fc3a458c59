// The settings file "user.ini": one line holding the port name, ending in CR LF, in the
// current directory. Plain file functions, no window; the handlers add the dialogs and pauses.
// Any thread, but one writer at a time per directory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace window {

inline constexpr std::string_view kSettingsFileName = "user.ini";

// The settings file in the process's current directory at the moment of the call.
std::filesystem::path SettingsFilePath();

enum class SettingsReadStatus {
  kMissing,  // nothing at the path: start with the port closed, silently
  kRead,     // `first_line` holds the file's first line
  kFailed,   // something is there but cannot be read (a directory, no permission)
};

struct SettingsReadResult {
  SettingsReadStatus status;
  std::string first_line;  // without its line end (CR, LF or CR LF)
};

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path);

// Replaces the file at `path` by `port_name` CR LF. The text goes to a temporary file in the
// same directory that is then renamed over the old file, so a failed write leaves the old
// file as it was. Returns false on any failure.
bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name);

}  // namespace window
