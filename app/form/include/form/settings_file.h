// The settings file "user.ini": one line holding the port name, ending in CR LF, in the
// current directory. Plain file functions, no window; the handlers add the boxes and pauses.
// Any thread, but one writer at a time per directory.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace form {

inline constexpr std::string_view kSettingsFileName = "user.ini";

// The settings file in the process's current directory at the moment of the call.
std::filesystem::path SettingsFilePath();

// Whether a file (anything but a directory, links followed) is at `path`. Reports no error:
// what cannot be looked at, as in a directory that cannot be searched, is not there.
bool SettingsFileExists(const std::filesystem::path& path);

enum class SettingsReadStatus {
  kMissing,  // no file at the path (nothing, or a directory): start with the port closed
  kRead,     // `first_line` holds the file's first line
  kFailed,   // a file is there but cannot be read (no permission, not a plain file)
};

struct SettingsReadResult {
  SettingsReadStatus status;
  std::string first_line;  // without its line end (CR, LF or CR LF)
};

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path);

// Writes `port_name` CR LF as the file at `path`; returns false on any failure.
// - A file that cannot be opened for writing (read-only, a directory) is refused and kept.
// - Otherwise a new file replaces the old one, keeping its permission bits, so a failed write
//   leaves the old file as it was; a symbolic link is written through to its target.
// - Where the directory does not let the file be replaced (not writable, sticky), the file is
//   rewritten in place, as deleting and recreating it would have done.
bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name);

}  // namespace form
